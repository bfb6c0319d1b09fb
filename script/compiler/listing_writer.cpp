// The listing writer: tables and intermediate code to the assembler's listing text.
#include "script/compiler/listing_writer.h"

#include <vector>

#include "script/runtime/number_text.h"

namespace script {

namespace {

constexpr const char* kSectionTail = " -----------------------------------\n";
constexpr const char* kBanner = "; VKH Compiler By the Velmora team, Win32 Version: 1.1\n";
// Every statement of a line repeats the line in its note: a note shows at
// most this much of it, so a long line of many statements cannot make the
// listing grow with the square of its length.
constexpr std::size_t kMaxNoteLength = 1024;

class ListingWriter {
 public:
  explicit ListingWriter(const xCompilerState& state) : s_(state), t_(state.tables) {}

  std::string write(const ListingHeader& header) {
    // About a line per node and per symbol: growing a listing of megabytes
    // by doubling would copy it over and over.
    std::size_t nodes = 0;
    for (const FunctionRecord& function : t_.functions()) nodes += function.code.size();
    out_.reserve(64 * 1024 + 32 * (nodes + t_.symbols().size()) + 2 * s_.lines.size() * 16);
    scopes_.resize(t_.functions().size() + 1);
    for (const SymbolRecord& symbol : t_.symbols()) scopes_[std::size_t(symbol.scope + 1)].push_back(&symbol);
    put("; ", header.outputName, "\n\n");
    put("; Source File: ", header.sourceName, "\n");
    put(kBanner);
    put("; Time: ", header.time, "\n\n");
    section("Directives");
    directives();
    section("Global Variables");
    symbols(kGlobalScope, SymbolKind::Variable, 1);
    symbols(kGlobalScope, SymbolKind::StructVariable, 1);
    section("Functions");
    for (const FunctionRecord& function : t_.functions()) {
      if (function.kind != FunctionKind::Script || equalsIgnoreAsciiCase(function.name, "_MAIN")) continue;
      block(function);
      out_ += "\n\n";
    }
    if (s_.hasMain) {
      section("Main");
      out_ += "\n\n";
      block(t_.functions()[std::size_t(s_.mainIndex)]);
    }
    return std::move(out_);
  }

 private:
  void section(const char* title) {
    out_ += "; ---- ";
    out_ += title;
    out_ += kSectionTail;
  }

  void directives() {
    bool stackLine = s_.stackSize != 0;
    if (stackLine) put("\tSetStackSize ", intToText(s_.stackSize), "\n");
    if (s_.priorityKind == -1) {
      if (stackLine) out_ += "\n";
      return;
    }
    out_ += "\tSetPriority ";
    switch (s_.priorityKind) {
      case 0: out_ += intToText(s_.priorityValue); break;
      case 1: out_ += "LOW"; break;
      case 2: out_ += "MEDIUM"; break;
      case 3: out_ += "HIGH"; break;
      default: break;
    }
    out_ += "\n\n";
  }

  // One group of symbols of [scope] in table order, then a blank line when
  // the group wrote anything. [tabs] is 1 for globals, 2 in a function.
  void symbols(std::int32_t scope, SymbolKind kind, int tabs) {
    bool wrote = false;
    for (const SymbolRecord* symbol : scopes_[std::size_t(scope + 1)]) {
      if (symbol->kind != kind) continue;
      out_.append(std::size_t(tabs), '\t');
      out_ += kind == SymbolKind::Parameter ? "Param " : "Var ";
      out_ += symbol->name;
      if (symbol->size > 1) put("[ ", intToText(symbol->size), " ]");
      out_ += "\n";
      wrote = true;
    }
    if (wrote) out_ += "\n";
  }

  void block(const FunctionRecord& function) {
    put("\tFunc ", function.name, "\n\t{\n");
    symbols(function.index, SymbolKind::Parameter, 2);
    symbols(function.index, SymbolKind::Variable, 2);
    symbols(function.index, SymbolKind::StructVariable, 2);
    bool anyLive = false;
    for (const ICodeNode& node : function.code) anyLive = anyLive || node.live();
    if (!anyLive) out_ += "\t\t; (No code)\n";
    for (std::size_t i = 0; i < function.code.size(); ++i) node(function.code[i], i == 0);
    out_ += "\t}";
  }

  void node(const ICodeNode& node, bool first) {
    switch (node.kind) {
      case NodeKind::Instruction: instruction(node); break;
      case NodeKind::Note: {
        std::string_view text = node.note ? std::string_view(*node.note) : std::string_view();
        if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
        text = text.substr(0, kMaxNoteLength);
        if (!first) out_ += '\n';
        put("\t\t; ", text, "\n\n");
        break;
      }
      case NodeKind::Label: put("\t_L", intToText(node.label), ":\n"); break;
      case NodeKind::Deleted: break;
    }
  }

  void instruction(const ICodeNode& node) {
    std::string_view name = instrNameTable[node.opcode];
    put("\t\t", name);
    if (!node.operands.empty()) out_ += name.size() < 8 ? "\t\t" : "\t";
    for (std::size_t k = 0; k < node.operands.size(); ++k) {
      if (k > 0) out_ += ", ";
      operand(node.operands[k]);
    }
    out_ += "\n";
  }

  const std::string& symbolName(std::int32_t index) const {
    static const std::string kNone;
    const SymbolRecord* symbol = t_.symbolAt(index);
    return symbol ? symbol->name : kNone;
  }

  void operand(const Operand& op) {
    switch (op.kind) {
      case OperandKind::Int: out_ += intToText(op.value); break;
      case OperandKind::Float: out_ += floatToText(op.asFloatBits()); break;
      case OperandKind::String: put("\"", t_.stringAt(op.value), "\""); break;
      case OperandKind::Variable: out_ += symbolName(op.value); break;
      case OperandKind::ElementConst: put(symbolName(op.value), " [ ", intToText(op.constIndex), " ]"); break;
      case OperandKind::ElementVar: put(symbolName(op.value), " [ ", symbolName(op.indexVar), " ]"); break;
      case OperandKind::JumpTarget: put("_L", intToText(op.value)); break;
      case OperandKind::Function: out_ += t_.functions()[std::size_t(op.value)].name; break;
      case OperandKind::Register: out_ += "_RetVal"; break;
      case OperandKind::None: break;
    }
  }

  template <class... Parts>
  void put(const Parts&... parts) {
    (out_.append(parts), ...);
  }

  const xCompilerState& s_;
  const CompilerTables& t_;
  std::string out_;
  // Symbols by owner in table order: globals first, then function by function.
  std::vector<std::vector<const SymbolRecord*>> scopes_;
};

}  // namespace

std::string writeListing(const xCompilerState& state, const ListingHeader& header) {
  return ListingWriter(state).write(header);
}

}  // namespace script
