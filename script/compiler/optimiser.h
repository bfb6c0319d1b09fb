// The optimiser: rewrites each function's stack code in place to drop push/pop pairs and temporaries.
#pragma once

#include "script/compiler/compiler_state.h"

namespace script {

// Runs the seven steps twice over every script function of [state]:
// push/pop pairing, move merging, temporary propagation, compaction, index
// folding, compaction, concat and constant folding. Every rewrite keeps
// each function's effect on variables, the stack and _RetVal; constants are
// folded only when the result is exactly what the interpreter would compute
// and survives the listing's number text. The compiler's temporaries are
// taken to be dead at labels, jumps, calls and returns (the parser never
// carries one across them). Throws ParseError on an operand the parser
// cannot have made.
void optimiseProgram(xCompilerState& state);

// One function's code; the state's tables supply symbols and take folded strings.
void optimiseFunction(xCompilerState& state, ICodeList& code);

}  // namespace script
