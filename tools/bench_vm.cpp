// Interpreter benchmarks: integer, float, string and host-call loops, in instructions per second.
#include <benchmark/benchmark.h>

#include "engine/options.h"
#include "script/runtime/bytecode_file.h"
#include "script/runtime/opcodes.h"
#include "script/runtime/vm.h"
#include "script/runtime/xHostAPIManager.h"

namespace {

using script::FileOperand;
using script::Op;

constexpr std::int32_t kIterations = 1000000;

struct Loop {
  script::AssembledScript program;
  int instructionsPerIteration = 0;
};

void emit(script::AssembledScript& s, Op op, std::vector<FileOperand> operands) {
  s.instrs.push_back({static_cast<std::uint16_t>(op), std::move(operands)});
}

// T: g0 = 0; [setup]; loop: [body]; inc g0; jl g0, N, loop; ret
Loop makeLoop(const std::vector<script::FileInstr>& setup, const std::vector<script::FileInstr>& body,
              std::vector<std::string> strings) {
  Loop loop;
  script::AssembledScript& s = loop.program;
  s.globalSize = 4;
  s.strings = std::move(strings);
  s.funcs.push_back({0, 0, 0, "T"});
  emit(s, Op::MOV, {FileOperand::stack(0), FileOperand::integer(0)});
  s.instrs.insert(s.instrs.end(), setup.begin(), setup.end());
  auto top = static_cast<std::int32_t>(s.instrs.size());
  s.instrs.insert(s.instrs.end(), body.begin(), body.end());
  emit(s, Op::INC, {FileOperand::stack(0)});
  emit(s, Op::JL, {FileOperand::stack(0), FileOperand::integer(kIterations), FileOperand::label(top)});
  emit(s, Op::RET, {});
  loop.instructionsPerIteration = static_cast<int>(body.size()) + 2;
  return loop;
}

script::FileInstr instr(Op op, std::vector<FileOperand> operands) {
  return {static_cast<std::uint16_t>(op), std::move(operands)};
}

vm* gGroup = nullptr;
void htIdentity(script::ThreadIndex thread, script::GroupId) {
  gGroup->returnIntFromHost(thread, 1, gGroup->getParamAsInt(thread, 0));
}

void runLoop(benchmark::State& state, const Loop& loop) {
  engine::options().backend = engine::Backend::Headless;
  xHostAPIManager::getInstance()->addFunc("htIdentity", htIdentity);
  script::GroupPtr group(new vm(script::GroupId{0}));
  gGroup = group.get();
  script::ThreadIndex thread = group->loadAssembled(loop.program);
  if (!group->isThreadValid(thread)) {
    state.SkipWithError("program did not load");
    return;
  }
  for (auto _ : state) {
    bool ran = group->callFunc(thread, "T");
    benchmark::DoNotOptimize(ran);
  }
  double instructions = static_cast<double>(loop.instructionsPerIteration) * kIterations;
  state.counters["instr/s"] = benchmark::Counter(instructions, benchmark::Counter::kIsIterationInvariantRate);
  gGroup = nullptr;
}

void BM_IntegerLoop(benchmark::State& state) {
  static const Loop loop = makeLoop(
      {instr(Op::MOV, {FileOperand::stack(1), FileOperand::integer(0)})},
      {instr(Op::ADD, {FileOperand::stack(1), FileOperand::stack(0)}),
       instr(Op::XOR, {FileOperand::stack(1), FileOperand::integer(0x55)})},
      {});
  runLoop(state, loop);
}

void BM_FloatLoop(benchmark::State& state) {
  static const Loop loop = makeLoop(
      {instr(Op::MOV, {FileOperand::stack(1), FileOperand::floating(0.0f)})},
      {instr(Op::ADD, {FileOperand::stack(1), FileOperand::floating(1.5f)}),
       instr(Op::MUL, {FileOperand::stack(1), FileOperand::floating(0.5f)})},
      {});
  runLoop(state, loop);
}

void BM_StringConcat(benchmark::State& state) {
  static const Loop loop = makeLoop(
      {},
      {instr(Op::MOV, {FileOperand::stack(1), FileOperand::string(0)}),
       instr(Op::CONCAT, {FileOperand::stack(1), FileOperand::string(1)})},
      {"abc", "def"});
  runLoop(state, loop);
}

void BM_HostCall(benchmark::State& state) {
  static const Loop loop = makeLoop(
      {},
      {instr(Op::PUSHHPARAM, {FileOperand::stack(0)}),
       instr(Op::CALLHOST, {FileOperand::host(0)}),
       instr(Op::MOV, {FileOperand::stack(1), FileOperand::retval()})},
      {"htIdentity"});
  runLoop(state, loop);
}

}  // namespace

BENCHMARK(BM_IntegerLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloatLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StringConcat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostCall)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
