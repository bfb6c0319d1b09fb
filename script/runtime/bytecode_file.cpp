// Writing and validating reading of assembled script files.
#include "script/runtime/bytecode_file.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

#include "base/xLogFile.h"
#include "engine/platform.h"
#include "script/runtime/file_write.h"
#include "script/runtime/number_text.h"
#include "script/runtime/opcodes.h"

namespace script {
namespace {

bool gTrace = false;

constexpr std::size_t kHeaderSize = 28;
constexpr std::uint8_t kMajorVersion = 1;
constexpr std::uint8_t kMinorVersion = 2;

// Bytes of operand data that follow an operand type byte.
std::size_t operandDataSize(std::uint8_t type) {
  if (type == OP_TYPE_ARRAY_INDEX) return 8;
  return type <= OP_TYPE_RETVAL ? 4 : 0;
}

class ByteWriter {
 public:
  void u8(std::uint8_t v) { bytes_.push_back(v); }
  void u16(std::uint16_t v) { u8(v & 0xff), u8(v >> 8); }
  void u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void raw(const std::string& s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
  std::vector<std::uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Bounds-checked little-endian reads; a failed read sets the failure flag
// and yields zeros so callers can check once per record.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  std::size_t remaining() const { return size_ - pos_; }
  bool has(std::size_t n) {
    if (n > remaining()) ok_ = false;
    return ok_;
  }
  std::uint8_t u8() { return has(1) ? data_[pos_++] : 0; }
  std::uint16_t u16() {
    if (!has(2)) return 0;
    std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  std::uint32_t u32() {
    if (!has(4)) return 0;
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(data_[pos_ + i]) << (8 * i);
    pos_ += 4;
    return v;
  }
  std::string text(std::size_t n) {
    if (!has(n)) return std::string();
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

// Thrown inside the reader: the result code and a short reason.
struct LoadFailure {
  int code;
  const char* why;
};

// Checks that [count] records of at least [minBytes] each can still follow.
void requireRecords(ByteReader& in, std::uint64_t count, std::size_t minBytes, const char* what) {
  if (count * minBytes > in.remaining()) throw LoadFailure{kLoadTruncated, what};
}

// A file shorter than the header is truncated, whatever its first bytes are.
void readHeader(ByteReader& in, AssembledScript& out) {
  if (!in.has(kHeaderSize)) throw LoadFailure{kLoadTruncated, "header"};
  if (std::memcmp(in.text(4).data(), "VEKT", 4) != 0) throw LoadFailure{kLoadBadMagic, "bad magic"};
  std::uint8_t major = in.u8();
  std::uint8_t minor = in.u8();
  if (major != kMajorVersion || minor != kMinorVersion) throw LoadFailure{kLoadBadVersion, "version"};
  out.stackSize = in.u32();
  out.globalSize = in.u32();
  out.priorityKind = in.u8();
  out.priorityValue = in.u32();
  out.hasMain = in.u8() != 0;
  out.mainIndex = in.u32();
  if (effectiveStackSize(out.stackSize) > kMaxStackSize) throw LoadFailure{kLoadMalformed, "stack size"};
}

void readInstructions(ByteReader& in, AssembledScript& out) {
  std::uint32_t count = in.u32();
  if (!in.ok()) throw LoadFailure{kLoadTruncated, "instruction count"};
  requireRecords(in, count, 3, "instructions");
  out.instrs.resize(count);
  for (FileInstr& instr : out.instrs) {
    instr.opcode = in.u16();
    std::uint8_t operands = in.u8();
    if (!in.ok()) throw LoadFailure{kLoadTruncated, "instruction"};
    requireRecords(in, operands, 1, "operands");
    instr.operands.resize(operands);
    for (FileOperand& op : instr.operands) {
      op.type = in.u8();
      std::size_t data = operandDataSize(op.type);
      if (data >= 4) op.value = static_cast<std::int32_t>(in.u32());
      if (data == 8) op.extra = static_cast<std::int32_t>(in.u32());
      if (!in.ok()) throw LoadFailure{kLoadTruncated, "operand"};
    }
  }
}

void readTables(ByteReader& in, AssembledScript& out) {
  std::uint32_t strings = in.u32();
  if (!in.ok()) throw LoadFailure{kLoadTruncated, "string count"};
  requireRecords(in, strings, 4, "string table");
  out.strings.resize(strings);
  for (std::string& s : out.strings) {
    std::uint32_t length = in.u32();
    if (!in.ok() || length > in.remaining()) throw LoadFailure{kLoadTruncated, "string"};
    s = in.text(length);
  }
  std::uint32_t funcs = in.u32();
  if (!in.ok()) throw LoadFailure{kLoadTruncated, "function count"};
  requireRecords(in, funcs, 10, "function table");
  out.funcs.resize(funcs);
  for (FileFunc& f : out.funcs) {
    f.entry = in.u32();
    f.paramCount = in.u8();
    f.localSize = in.u32();
    f.name = toUpperAscii(in.text(in.u8()));
    if (!in.ok()) throw LoadFailure{kLoadTruncated, "function"};
  }
  std::uint32_t hosts = in.u32();
  if (!in.ok()) throw LoadFailure{kLoadTruncated, "host-call count"};
  requireRecords(in, hosts, 1, "host-call table");
  out.hostCalls.resize(hosts);
  for (std::string& name : out.hostCalls) {
    name = toUpperAscii(in.text(in.u8()));
    if (!in.ok()) throw LoadFailure{kLoadTruncated, "host call"};
  }
  if (in.remaining() != 0) throw LoadFailure{kLoadMalformed, "bytes after the host-call table"};
}

bool kindAccepts(std::uint8_t kinds, const FileOperand& op) {
  switch (op.type) {
    // "" assembles as the integer 0, so string positions take it too.
    case OP_TYPE_INT: return (kinds & kKindInt) || ((kinds & kKindString) && op.value == 0);
    case OP_TYPE_FLOAT: return kinds & kKindFloat;
    case OP_TYPE_STRING: return kinds & kKindString;
    case OP_TYPE_STACK_INDEX:
    case OP_TYPE_ARRAY_INDEX: return kinds & kKindMemory;
    case OP_TYPE_INSTR_INDEX: return kinds & kKindLabel;
    case OP_TYPE_FUNC_INDEX: return kinds & kKindFunc;
    case OP_TYPE_HOST_CALL: return kinds & kKindHost;
    case OP_TYPE_RETVAL: return kinds & kKindRetVal;
    default: return false;
  }
}

bool inRange(std::int32_t index, std::size_t size) {
  return index >= 0 && static_cast<std::size_t>(index) < size;
}

void checkOperand(const AssembledScript& s, const FileOperand& op) {
  bool ok = true;
  switch (op.type) {
    case OP_TYPE_STRING:
    case OP_TYPE_HOST_CALL: ok = inRange(op.value, s.strings.size()); break;
    case OP_TYPE_INSTR_INDEX: ok = inRange(op.value, s.instrs.size()); break;
    case OP_TYPE_FUNC_INDEX: ok = inRange(op.value, s.funcs.size()); break;
    default: break;
  }
  if (!ok) throw LoadFailure{kLoadMalformed, "operand index out of range"};
}

void checkInstruction(const AssembledScript& s, const FileInstr& instr) {
  for (const FileOperand& op : instr.operands) checkOperand(s, op);
  if (isUncheckedOp(instr.opcode)) return;
  const OpInfo& info = kOpTable[instr.opcode];
  if (instr.operands.size() != info.operandCount) throw LoadFailure{kLoadMalformed, "operand count"};
  for (std::size_t i = 0; i < instr.operands.size(); ++i) {
    if (!kindAccepts(info.kinds[i], instr.operands[i])) {
      throw LoadFailure{kLoadMalformed, "operand kind"};
    }
  }
}

void validate(const AssembledScript& s) {
  for (const FileInstr& instr : s.instrs) checkInstruction(s, instr);
  for (const FileFunc& f : s.funcs) {
    if (f.entry >= s.instrs.size()) throw LoadFailure{kLoadMalformed, "function entry"};
  }
  std::uint64_t needed = s.globalSize;
  if (s.hasMain) {
    if (s.mainIndex >= s.funcs.size()) throw LoadFailure{kLoadMalformed, "main index"};
    const FileFunc& main = s.funcs[s.mainIndex];
    needed += std::uint64_t{main.paramCount} + main.localSize + 2;
  }
  if (needed > effectiveStackSize(s.stackSize)) throw LoadFailure{kLoadMalformed, "globals exceed the stack"};
}

void traceWrite(const AssembledScript& s) {
  for (const FileInstr& instr : s.instrs) {
    std::cout << "Writing Instruction, iOpcode: " << instr.opcode << " iOpCount"
              << instr.operands.size() << "\n";
    for (const FileOperand& op : instr.operands) {
      std::cout << "\t\t\tWriting OpType: " << int{op.type} << "\n";
    }
  }
  for (const std::string& text : s.strings) {
    std::cout << "Writing String: " << text << " Size:" << text.size() << "\n";
  }
  for (const FileFunc& f : s.funcs) {
    std::cout << "Writing Func Node: " << f.entry << " DataSize:" << f.localSize << "\n";
  }
  for (const std::string& name : s.hostCalls) {
    std::cout << "Writing Host API Call Table: " << name << "   size:" << name.size() << "\n";
  }
}

}  // namespace

FileOperand FileOperand::floating(float f) {
  return {OP_TYPE_FLOAT, std::bit_cast<std::int32_t>(f), 0};
}

void FileOperands::resize(std::size_t n) {
  if (n > kInPlace) {
    if (size_ <= kInPlace) more_.assign(inPlace_, inPlace_ + size_);
    more_.resize(n);
  } else if (size_ > kInPlace) {
    std::copy(more_.begin(), more_.begin() + static_cast<std::ptrdiff_t>(n), inPlace_);
    more_.clear();
  }
  for (std::size_t i = size_; i < std::min(n, kInPlace); ++i) inPlace_[i] = FileOperand{};
  size_ = n;
}

void FileOperands::assign(const FileOperand* ops, std::size_t n) {
  resize(n);
  std::copy(ops, ops + n, begin());
}

bool FileOperands::operator==(const FileOperands& other) const {
  return size_ == other.size_ && std::equal(begin(), end(), other.begin());
}

float FileOperand::asFloat() const { return std::bit_cast<float>(value); }

std::vector<std::uint8_t> serializeAssembledScript(const AssembledScript& s) {
  ByteWriter out;
  out.raw("VEKT");
  out.u8(kMajorVersion), out.u8(kMinorVersion);
  out.u32(s.stackSize), out.u32(s.globalSize);
  out.u8(s.priorityKind), out.u32(s.priorityValue);
  out.u8(s.hasMain ? 1 : 0), out.u32(s.mainIndex);
  out.u32(static_cast<std::uint32_t>(s.instrs.size()));
  for (const FileInstr& instr : s.instrs) {
    out.u16(instr.opcode);
    out.u8(static_cast<std::uint8_t>(instr.operands.size()));
    for (const FileOperand& op : instr.operands) {
      out.u8(op.type);
      std::size_t data = operandDataSize(op.type);
      if (data >= 4) out.u32(static_cast<std::uint32_t>(op.value));
      if (data == 8) out.u32(static_cast<std::uint32_t>(op.extra));
    }
  }
  out.u32(static_cast<std::uint32_t>(s.strings.size()));
  for (const std::string& text : s.strings) {
    out.u32(static_cast<std::uint32_t>(text.size()));
    out.raw(text);
  }
  out.u32(static_cast<std::uint32_t>(s.funcs.size()));
  for (const FileFunc& f : s.funcs) {
    out.u32(f.entry), out.u8(f.paramCount), out.u32(f.localSize);
    std::string name = f.name.substr(0, 255);
    out.u8(static_cast<std::uint8_t>(name.size()));
    out.raw(name);
  }
  out.u32(static_cast<std::uint32_t>(s.hostCalls.size()));
  for (const std::string& call : s.hostCalls) {
    std::string name = call.substr(0, 255);
    out.u8(static_cast<std::uint8_t>(name.size()));
    out.raw(name);
  }
  return std::move(out.bytes());
}

bool writeAssembledFile(const AssembledScript& script, const std::string& path) {
  std::vector<std::uint8_t> bytes = serializeAssembledScript(script);
  std::string reason;
  WriteStatus status = writeWholeFile(
      path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), reason);
  if (status == WriteStatus::Ok) {
    if (gTrace) traceWrite(script);
    return true;
  }
  const char* what = status == WriteStatus::CannotOpen ? "Could not open executable file for output: "
                                                       : "Could not write executable file: ";
  ShowErrorBox("Fatal Error: %s.\n", (what + fileAndReason(path, reason)).c_str());
  return false;
}

int parseAssembledScript(const std::uint8_t* data, std::size_t size, AssembledScript& out,
                         std::string* why) {
  out = AssembledScript();
  try {
    ByteReader in(data, size);
    AssembledScript parsed;
    readHeader(in, parsed);
    readInstructions(in, parsed);
    readTables(in, parsed);
    validate(parsed);
    out = std::move(parsed);
    return kLoadOk;
  } catch (const LoadFailure& error) {
    if (why != nullptr) *why = error.why;
    return error.code;
  } catch (const std::bad_alloc&) {
    out = AssembledScript();
    if (why != nullptr) *why = "out of memory";
    return kLoadNoMemory;
  }
}

int validateAssembledScript(const AssembledScript& script, std::string* why) {
  try {
    if (effectiveStackSize(script.stackSize) > kMaxStackSize) throw LoadFailure{kLoadMalformed, "stack size"};
    validate(script);
    return kLoadOk;
  } catch (const LoadFailure& error) {
    if (why != nullptr) *why = error.why;
    return error.code;
  }
}

int readAssembledFile(const std::string& path, AssembledScript& out, std::string* why) {
  out = AssembledScript();
  std::vector<unsigned char> bytes;
  try {
    if (!engine::readFile(path, bytes)) {
      if (why != nullptr) *why = "cannot open";
      return kLoadCannotOpen;
    }
  } catch (const std::bad_alloc&) {
    return kLoadNoMemory;
  }
  return parseAssembledScript(bytes.data(), bytes.size(), out, why);
}

void setTraceOutput(bool on) { gTrace = on; }
bool traceOutput() { return gTrace; }

}  // namespace script
