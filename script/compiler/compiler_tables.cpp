// The compiler's tables and the intermediate-code builders.
#include "script/compiler/compiler_tables.h"

#include <bit>
#include <climits>

#include "script/runtime/number_text.h"

namespace script {

static_assert(kGlobalScope == ScopedNameIndex::kGlobal);

Operand Operand::floating(float f) {
  return {OperandKind::Float, std::bit_cast<std::int32_t>(f), 0, 0};
}

float Operand::asFloatBits() const { return std::bit_cast<float>(value); }

bool sameMemory(const Operand& a, const Operand& b) {
  if (a.kind != b.kind || a.value != b.value) return false;
  switch (a.kind) {
    case OperandKind::Variable: return true;
    case OperandKind::ElementConst: return a.constIndex == b.constIndex;
    case OperandKind::ElementVar: return a.indexVar == b.indexVar;
    default: return false;
  }
}

bool touchesSymbol(const Operand& op, std::int32_t symbol) {
  if (!op.isMemory()) return false;
  return op.value == symbol || (op.kind == OperandKind::ElementVar && op.indexVar == symbol);
}

std::int32_t operandAsInt(const Operand& op) {
  if (op.kind == OperandKind::Int) return op.value;
  if (op.kind == OperandKind::Float) return floatToInt(op.asFloatBits());
  return 0;
}

float operandAsFloat(const Operand& op) {
  if (op.kind == OperandKind::Int) return float(op.value);
  if (op.kind == OperandKind::Float) return op.asFloatBits();
  return 0.0f;
}

CompilerTables::CompilerTables() {
  for (Op op : kBuiltInOps) {
    const OpInfo& info = opInfo(op);
    std::int32_t index = addFunction(info.name, FunctionKind::BuiltIn);
    setParameterCount(index, info.operandCount - 1);
  }
}

// Symbol indices count declarations, so the lower of the global and the
// scope's own is the first declared.
const SymbolRecord* CompilerTables::findSymbol(std::string_view name, std::int32_t scope) const {
  std::int32_t index = symbolIndex_.findVisible(name, scope);
  return index == ScopedNameIndex::kNone ? nullptr : &symbols_[std::size_t(index)];
}

bool CompilerTables::nameUsed(std::string_view name) const { return symbolIndex_.used(name); }

std::int32_t CompilerTables::addSymbol(std::string_view name, std::int32_t size,
                                       std::int32_t scope, SymbolKind kind) {
  if (findSymbol(name, scope)) return -1;
  return appendSymbol(name, size, scope, kind);
}

std::int32_t CompilerTables::appendSymbol(std::string_view name, std::int32_t size,
                                          std::int32_t scope, SymbolKind kind) {
  SymbolRecord record;
  record.index = std::int32_t(symbols_.size());
  record.name = std::string(name);
  record.size = size;
  record.scope = scope;
  record.kind = kind;
  symbolIndex_.add(name, scope, record.index);  // a later one of the name is listed, never found
  symbols_.push_back(std::move(record));
  return symbols_.back().index;
}

const SymbolRecord* CompilerTables::symbolAt(std::int32_t index) const {
  if (index < 0 || std::size_t(index) >= symbols_.size()) return nullptr;
  return &symbols_[std::size_t(index)];
}

SymbolRecord* CompilerTables::symbolAt(std::int32_t index) {
  if (index < 0 || std::size_t(index) >= symbols_.size()) return nullptr;
  return &symbols_[std::size_t(index)];
}

const FunctionRecord* CompilerTables::findFunction(std::string_view name) const {
  auto it = functionsByName_.find(name);
  return it == functionsByName_.end() ? nullptr : &functions_[std::size_t(it->second)];
}

std::int32_t CompilerTables::addFunction(std::string_view name, FunctionKind kind) {
  if (findFunction(name)) return -1;
  FunctionRecord record;
  record.index = std::int32_t(functions_.size());
  record.name = std::string(name);
  record.kind = kind;
  functionsByName_.emplace(std::string(name), record.index);
  functions_.push_back(std::move(record));
  return functions_.back().index;
}

void CompilerTables::setParameterCount(std::int32_t index, std::int32_t count) {
  if (FunctionRecord* function = functionAt(index)) function->parameterCount = count;
}

FunctionRecord* CompilerTables::functionAt(std::int32_t index) {
  if (index < 0 || std::size_t(index) >= functions_.size()) return nullptr;
  return &functions_[std::size_t(index)];
}

std::int32_t CompilerTables::addString(std::string_view text) {
  if (auto it = stringsByText_.find(text); it != stringsByText_.end()) return it->second;
  std::int32_t index = std::int32_t(strings_.size());
  stringsByText_.emplace(std::string(text), index);
  strings_.emplace_back(text);
  return index;
}

const std::string& CompilerTables::stringAt(std::int32_t index) const {
  static const std::string kEmpty;
  if (index < 0 || std::size_t(index) >= strings_.size()) return kEmpty;
  return strings_[std::size_t(index)];
}

bool CompilerTables::hasDefine(std::string_view name) const {
  for (const DefineRecord& define : defines_) {
    if (define.name == name) return true;
  }
  return false;
}

void CompilerTables::addDefine(std::string_view name, std::int32_t tokenKind,
                               std::string_view value) {
  defines_.push_back({std::string(name), tokenKind, std::string(value)});
}

std::string CompilerTables::defineValue(std::string_view name) const {
  for (const DefineRecord& define : defines_) {
    if (define.name == name) return define.value;
  }
  return {};
}

std::int32_t CompilerTables::addStruct(std::string_view name) {
  if (findStruct(name)) return -1;
  structs_.push_back({std::string(name), {}, 0});
  return std::int32_t(structs_.size() - 1);
}

// A struct-typed member takes the whole run of its struct's cells; its
// size was computed once, when that struct was defined.
void CompilerTables::addMember(std::int32_t structIndex, std::string_view name, std::int32_t size,
                               std::string_view typeName) {
  if (structIndex < 0 || std::size_t(structIndex) >= structs_.size()) return;
  const StructRecord* inner = typeName.empty() ? nullptr : findStruct(typeName);
  if (inner) size = inner->totalSize;
  StructRecord& record = structs_[std::size_t(structIndex)];
  record.members.push_back({std::string(name), record.totalSize, size, std::string(typeName)});
  record.totalSize += size;
}

const StructRecord* CompilerTables::findStruct(std::string_view name) const {
  for (const StructRecord& record : structs_) {
    if (record.name == name) return &record;
  }
  return nullptr;
}

// Walks the path one member at a time, through the records of the member
// structs, adding up the offsets. Only the cells a struct had when a member
// of its type was declared belong to that member (a struct holding a member
// of its own type grows afterwards).
std::optional<StructMember> CompilerTables::findMember(const StructRecord& record,
                                                       std::string_view path) const {
  const StructRecord* current = &record;
  std::int64_t room = INT64_MAX;
  std::int32_t offset = 0;
  for (;;) {
    std::size_t dot = path.find('.');
    std::string_view name = path.substr(0, dot);
    const StructMember* member = nullptr;
    for (const StructMember& candidate : current->members) {
      if (candidate.name == name && std::int64_t{candidate.offset} + candidate.size <= room) {
        member = &candidate;
        break;
      }
    }
    if (!member) return std::nullopt;
    offset += member->offset;
    if (dot == std::string_view::npos) {
      StructMember found = *member;
      found.offset = offset;
      return found;
    }
    current = member->typeName.empty() ? nullptr : findStruct(member->typeName);
    if (!current) return std::nullopt;
    room = member->size;
    path.remove_prefix(dot + 1);
  }
}

std::int32_t CompilerTables::memberOffset(const StructRecord& record, std::string_view path) const {
  std::optional<StructMember> member = findMember(record, path);
  if (!member) return kUnknownMember;
  if (member->size > 1) return kArrayMemberWithoutIndex;
  return member->offset;
}

std::int32_t CompilerTables::addInstruction(std::int32_t function, Op op) {
  FunctionRecord* record = functionAt(function);
  if (!record) return -1;
  ICodeNode& node = record->code.emplace_back();
  node.kind = NodeKind::Instruction;
  node.opcode = std::int32_t(op);
  return std::int32_t(record->code.size() - 1);
}

void CompilerTables::addOperand(std::int32_t function, std::int32_t node, const Operand& operand) {
  FunctionRecord* record = functionAt(function);
  if (!record || node < 0 || std::size_t(node) >= record->code.size()) return;
  record->code[std::size_t(node)].operands.push_back(operand);
}

void CompilerTables::addNote(std::int32_t function, std::shared_ptr<const std::string> line) {
  FunctionRecord* record = functionAt(function);
  if (!record) return;
  ICodeNode node;
  node.kind = NodeKind::Note;
  node.note = std::move(line);
  record->code.push_back(std::move(node));
}

void CompilerTables::addLabel(std::int32_t function, std::int32_t label) {
  FunctionRecord* record = functionAt(function);
  if (!record) return;
  ICodeNode node;
  node.kind = NodeKind::Label;
  node.label = label;
  record->code.push_back(std::move(node));
}

}  // namespace script
