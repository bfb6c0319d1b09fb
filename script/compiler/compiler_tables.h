// The compiler's tables (symbols, functions, strings, defines, structs) and the intermediate code.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/runtime/name_index.h"
#include "script/runtime/opcodes.h"

namespace script {

// A symbol's kind; the listing writes parameters as "Param" lines.
enum class SymbolKind : std::int32_t { Variable = 0, Parameter = 1, StructVariable = 2 };

constexpr std::int32_t kGlobalScope = -1;

struct SymbolRecord {
  std::int32_t index = 0;
  std::string name;
  std::int32_t size = 1;  // cells: 1, the array size, or the struct's total size
  std::int32_t scope = kGlobalScope;  // owning function, or kGlobalScope
  SymbolKind kind = SymbolKind::Variable;
  std::string structType;  // struct variables only
};

enum class FunctionKind : std::int32_t { Host = 1, Script = 2, BuiltIn = 3 };

// I-code operand kinds. Kind 8 is never made; the writer prints nothing for it.
enum class OperandKind : std::int32_t {
  Int = 0,
  Float = 1,
  String = 2,        // value = string-table index
  Variable = 3,      // value = symbol index
  ElementConst = 4,  // value = symbol index, constIndex
  ElementVar = 5,    // value = symbol index, indexVar = symbol index
  JumpTarget = 6,    // value = label number
  Function = 7,      // value = function index
  None = 8,
  Register = 9,  // _RetVal
};

struct Operand {
  OperandKind kind = OperandKind::None;
  std::int32_t value = 0;  // float bits for Float
  std::int32_t constIndex = 0;
  std::int32_t indexVar = 0;

  static Operand integer(std::int32_t v) { return {OperandKind::Int, v, 0, 0}; }
  static Operand floating(float f);
  static Operand string(std::int32_t index) { return {OperandKind::String, index, 0, 0}; }
  static Operand variable(std::int32_t symbol) { return {OperandKind::Variable, symbol, 0, 0}; }
  static Operand elementConst(std::int32_t symbol, std::int32_t index) {
    return {OperandKind::ElementConst, symbol, index, 0};
  }
  static Operand elementVar(std::int32_t symbol, std::int32_t indexSymbol) {
    return {OperandKind::ElementVar, symbol, 0, indexSymbol};
  }
  static Operand jumpTarget(std::int32_t label) { return {OperandKind::JumpTarget, label, 0, 0}; }
  static Operand function(std::int32_t index) { return {OperandKind::Function, index, 0, 0}; }
  static Operand retVal() { return {OperandKind::Register, 0, 0, 0}; }

  float asFloatBits() const;
  bool isMemory() const {
    return kind == OperandKind::Variable || kind == OperandKind::ElementConst ||
           kind == OperandKind::ElementVar;
  }
};

// Equal memory operands: same variable, same constant element, or same
// array with the same index variable. Nothing else is ever equal.
bool sameMemory(const Operand& a, const Operand& b);
// Whether [op] reads or writes cells of [symbol] (as itself or as its index).
bool touchesSymbol(const Operand& op, std::int32_t symbol);
// operandAsInt / operandAsFloat: numeric constants converted; others 0.
std::int32_t operandAsInt(const Operand& op);
float operandAsFloat(const Operand& op);

enum class NodeKind : std::int32_t { Deleted = -1, Instruction = 0, Note = 1, Label = 2 };

// An instruction's operands, stored in place (no instruction has more than
// kMaxOperands), so building code allocates nothing per instruction.
class OperandList {
 public:
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  void push_back(const Operand& op) {
    if (count_ < items_.size()) items_[count_++] = op;
  }
  Operand& operator[](std::size_t i) { return items_[i]; }
  const Operand& operator[](std::size_t i) const { return items_[i]; }
  Operand* begin() { return items_.data(); }
  Operand* end() { return items_.data() + count_; }
  const Operand* begin() const { return items_.data(); }
  const Operand* end() const { return items_.data() + count_; }

 private:
  std::array<Operand, kMaxOperands> items_{};
  std::size_t count_ = 0;
};

struct ICodeNode {
  NodeKind kind = NodeKind::Instruction;
  std::int32_t opcode = -1;  // -1 for notes and labels
  OperandList operands;
  std::shared_ptr<const std::string> note;  // a note's source line, shared by the notes of one line
  std::int32_t label = 0;

  bool live() const { return kind != NodeKind::Deleted; }
  bool is(Op op) const { return kind == NodeKind::Instruction && opcode == int(op); }
};

using ICodeList = std::vector<ICodeNode>;

struct FunctionRecord {
  std::int32_t index = 0;
  std::string name;
  std::int32_t parameterCount = 0;
  FunctionKind kind = FunctionKind::Script;
  ICodeList code;
};

struct DefineRecord {
  std::string name;
  std::int32_t tokenKind = 0;  // 1 integer, 2 float, 3 identifier, 26 string
  std::string value;
};

// A struct's own members only: a struct-typed member is one run of cells,
// and the members inside it are found through its type's record.
struct StructMember {
  std::string name;
  std::int32_t offset = 0;
  std::int32_t size = 1;  // cells: 1, the array size, or the member struct's total size
  std::string typeName;  // empty for plain members
};

struct StructRecord {
  std::string name;
  std::vector<StructMember> members;
  std::int32_t totalSize = 0;
};

// memberOffset results besides an offset.
constexpr std::int32_t kUnknownMember = -1;
constexpr std::int32_t kArrayMemberWithoutIndex = -2;

// All tables of one compilation. Functions 0-12 are the built-ins, made by
// the constructor.
class CompilerTables {
 public:
  CompilerTables();

  // Symbols. Names match without regard to ASCII case; a global is visible
  // in every scope and is found before a local of the same name.
  const SymbolRecord* findSymbol(std::string_view name, std::int32_t scope) const;
  std::int32_t addSymbol(std::string_view name, std::int32_t size, std::int32_t scope,
                         SymbolKind kind);
  // Whether any symbol of any scope has [name] (without regard to case).
  bool nameUsed(std::string_view name) const;
  // Adds without the visibility check (parameters are always listed).
  std::int32_t appendSymbol(std::string_view name, std::int32_t size, std::int32_t scope,
                            SymbolKind kind);
  const SymbolRecord* symbolAt(std::int32_t index) const;
  SymbolRecord* symbolAt(std::int32_t index);
  const std::vector<SymbolRecord>& symbols() const { return symbols_; }

  // Functions; names match without regard to ASCII case.
  const FunctionRecord* findFunction(std::string_view name) const;
  std::int32_t addFunction(std::string_view name, FunctionKind kind);
  void setParameterCount(std::int32_t index, std::int32_t count);
  FunctionRecord* functionAt(std::int32_t index);
  const std::vector<FunctionRecord>& functions() const { return functions_; }
  std::vector<FunctionRecord>& functions() { return functions_; }
  std::int32_t nextLabel() { return labelCounter_++; }

  // Strings: exact, case-sensitive; an unknown index reads as "".
  std::int32_t addString(std::string_view text);
  const std::string& stringAt(std::int32_t index) const;

  // Defines (exact names).
  bool hasDefine(std::string_view name) const;
  void addDefine(std::string_view name, std::int32_t tokenKind, std::string_view value);
  std::string defineValue(std::string_view name) const;

  // Structs (exact names).
  std::int32_t addStruct(std::string_view name);
  void addMember(std::int32_t structIndex, std::string_view name, std::int32_t size,
                 std::string_view typeName);
  const StructRecord* findStruct(std::string_view name) const;
  // The member's cell offset; kUnknownMember or kArrayMemberWithoutIndex.
  // [path] is "m" or "m.n" for members of a nested struct.
  std::int32_t memberOffset(const StructRecord& record, std::string_view path) const;
  // The member that [path] names, its offset counted from the start of
  // [record]; nullopt when there is none.
  std::optional<StructMember> findMember(const StructRecord& record, std::string_view path) const;

  // I-code of [function]; a missing function takes nothing (-1 / no-op).
  std::int32_t addInstruction(std::int32_t function, Op op);
  void addOperand(std::int32_t function, std::int32_t node, const Operand& operand);
  void addNote(std::int32_t function, std::shared_ptr<const std::string> line);
  void addLabel(std::int32_t function, std::int32_t label);

 private:
  std::vector<SymbolRecord> symbols_;
  std::int32_t labelCounter_ = 0;
  std::vector<FunctionRecord> functions_;
  std::vector<std::string> strings_;
  // Lookup indices (load time is compile time): symbols by scope and name,
  // functions by name, strings by their exact text.
  ScopedNameIndex symbolIndex_;
  NameMap<std::int32_t> functionsByName_;
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_map<std::string, std::int32_t, TextHash, std::equal_to<>> stringsByText_;
  std::vector<DefineRecord> defines_;
  std::vector<StructRecord> structs_;
};

}  // namespace script
