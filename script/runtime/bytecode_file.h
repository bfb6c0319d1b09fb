// Assembled script files (".vkasmb"): the in-memory model, the writer and the
// validating reader (shared API: the assembler fills an AssembledScript and
// calls writeAssembledFile; script threads load files with readAssembledFile).
//
// DO NOT CHANGE THE LAYOUT: the byte format below is fixed (magic "VEKT",
// version 1.2, little-endian, packed, strings without terminators).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "script/runtime/vm_value.h"

namespace script {

// One operand as stored in the file: a vm_value tag (OP_TYPE_INT ...
// OP_TYPE_RETVAL) and its data words. For OP_TYPE_FLOAT [value] holds the
// float's bits; for OP_TYPE_STRING and OP_TYPE_HOST_CALL a string-table
// index; for OP_TYPE_ARRAY_INDEX [value] is the array base's stack index and
// [extra] the stack index of the cell that holds the element index.
struct FileOperand {
  std::uint8_t type = OP_TYPE_INT;
  std::int32_t value = 0;
  std::int32_t extra = 0;

  static FileOperand integer(std::int32_t v) { return {OP_TYPE_INT, v, 0}; }
  static FileOperand floating(float f);
  static FileOperand string(std::int32_t stringIndex) { return {OP_TYPE_STRING, stringIndex, 0}; }
  static FileOperand stack(std::int32_t stackIndex) { return {OP_TYPE_STACK_INDEX, stackIndex, 0}; }
  static FileOperand array(std::int32_t base, std::int32_t indexCell) {
    return {OP_TYPE_ARRAY_INDEX, base, indexCell};
  }
  static FileOperand label(std::int32_t instrIndex) { return {OP_TYPE_INSTR_INDEX, instrIndex, 0}; }
  static FileOperand function(std::int32_t funcIndex) { return {OP_TYPE_FUNC_INDEX, funcIndex, 0}; }
  static FileOperand host(std::int32_t stringIndex) { return {OP_TYPE_HOST_CALL, stringIndex, 0}; }
  static FileOperand retval() { return {OP_TYPE_RETVAL, 0, 0}; }

  float asFloat() const;
  bool operator==(const FileOperand&) const = default;
};

// An instruction's operands: up to three in place (every instruction of the
// set), more only for the no-op numbers a file may carry, so reading and
// assembling a script allocate nothing per instruction.
class FileOperands {
 public:
  static constexpr std::size_t kInPlace = 3;

  FileOperands() = default;
  FileOperands(std::initializer_list<FileOperand> operands) { assign(operands.begin(), operands.size()); }
  FileOperands(const std::vector<FileOperand>& operands) { assign(operands.data(), operands.size()); }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  FileOperand* begin() { return size_ <= kInPlace ? inPlace_ : more_.data(); }
  FileOperand* end() { return begin() + size_; }
  const FileOperand* begin() const { return size_ <= kInPlace ? inPlace_ : more_.data(); }
  const FileOperand* end() const { return begin() + size_; }
  FileOperand& operator[](std::size_t i) { return begin()[i]; }
  const FileOperand& operator[](std::size_t i) const { return begin()[i]; }
  const FileOperand& at(std::size_t i) const {
    if (i >= size_) throw std::out_of_range("FileOperands::at");
    return begin()[i];
  }
  void resize(std::size_t n);
  void push_back(const FileOperand& op) {
    resize(size_ + 1);
    (*this)[size_ - 1] = op;
  }
  void pop_back() { resize(size_ - 1); }
  bool operator==(const FileOperands& other) const;

 private:
  void assign(const FileOperand* ops, std::size_t n);

  FileOperand inPlace_[kInPlace];
  std::vector<FileOperand> more_;  // all of them, past kInPlace
  std::size_t size_ = 0;
};

struct FileInstr {
  std::uint16_t opcode = 0;  // see opcodes.def
  FileOperands operands;
  bool operator==(const FileInstr&) const = default;
};

struct FileFunc {
  std::uint32_t entry = 0;       // instruction index
  std::uint8_t paramCount = 0;
  std::uint32_t localSize = 0;   // cells of local variables
  std::string name;              // upper case, at most 255 bytes
  bool operator==(const FileFunc&) const = default;
};

// Priority kinds of the header; read and kept, no effect at run time.
constexpr std::uint8_t kPriorityNumber = 0;
constexpr std::uint8_t kPriorityLow = 1;
constexpr std::uint8_t kPriorityMedium = 2;
constexpr std::uint8_t kPriorityHigh = 3;

// A whole assembled script, field for field as the file holds it.
struct AssembledScript {
  std::uint32_t stackSize = 0;      // cells; 0 means the default 1024
  std::uint32_t globalSize = 0;     // cells of global variables
  std::uint8_t priorityKind = kPriorityLow;
  std::uint32_t priorityValue = 0;  // only with kPriorityNumber
  bool hasMain = false;             // a function "_MAIN" exists
  std::uint32_t mainIndex = 0;      // its function index, else 0
  std::vector<FileInstr> instrs;
  std::vector<std::string> strings;    // each distinct text once
  std::vector<FileFunc> funcs;
  std::vector<std::string> hostCalls;  // the assembler writes none
  bool operator==(const AssembledScript&) const = default;
};

// Reader results. Callers treat every non-zero code alike.
enum LoadResult : int {
  kLoadOk = 0,
  kLoadCannotOpen = 1,   // the file cannot be opened for binary reading
  kLoadBadMagic = 2,     // the first four bytes are not "VEKT"
  kLoadBadVersion = 3,   // the version is not 1.2
  kLoadNoMemory = 5,     // a table could not be allocated
  kLoadTruncated = 6,    // the file ends inside a field or a table
  kLoadMalformed = 7,    // a count, index, operand count or operand kind is wrong
  kLoadThreadBusy = 8,   // the thread runs a call and cannot take another script now
};

// Stack sizes: 0 in the file means kDefaultStackSize; larger than
// kMaxStackSize is rejected by the reader.
constexpr std::uint32_t kDefaultStackSize = 1024;
constexpr std::uint32_t kMaxStackSize = 1048576;

// The file's bytes. Pure; never fails.
std::vector<std::uint8_t> serializeAssembledScript(const AssembledScript& script);

// Writes [script] to [path]. When the file cannot be opened or written (up
// to its close) the error box shows "Fatal Error: %s.\n" with "Could not
// open executable file for output: " or "Could not write executable file: ",
// the path and the reason, and the result is false. With trace output on
// (setTraceOutput) it prints the writer's trace lines to stdout.
[[nodiscard]] bool writeAssembledFile(const AssembledScript& script, const std::string& path);

// Parses and fully validates [size] bytes into [out]: every read is bounds
// checked, counts are checked against the bytes left before allocating, and
// string, function, jump-target and main indices, operand counts and kinds,
// and the globals plus main's frame against the stack size are verified.
// Returns a LoadResult; on failure [out] is left empty and [why], when given,
// gets a short reason. Unknown operand types (9 or more) carry no data in the
// layout but are rejected by the kind check.
[[nodiscard]] int parseAssembledScript(const std::uint8_t* data, std::size_t size,
                                       AssembledScript& out, std::string* why = nullptr);

// The semantic checks of parseAssembledScript alone (indices, operand counts
// and kinds, stack fit), for scripts built in memory. kLoadOk or kLoadMalformed.
[[nodiscard]] int validateAssembledScript(const AssembledScript& script, std::string* why = nullptr);

// Reads and validates the file at [path] (see parseAssembledScript).
[[nodiscard]] int readAssembledFile(const std::string& path, AssembledScript& out,
                                    std::string* why = nullptr);

// The effective stack size of a file's header value (0 -> 1024).
constexpr std::uint32_t effectiveStackSize(std::uint32_t fileValue) {
  return fileValue == 0 ? kDefaultStackSize : fileValue;
}

// Trace lines of the writer and the assembler; off by default.
void setTraceOutput(bool on);
bool traceOutput();

}  // namespace script
