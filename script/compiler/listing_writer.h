// The listing writer: the compiled script as assembly listing text, the only place that writes it.
#pragma once

#include <string>

#include "script/compiler/compiler_state.h"

namespace script {

// The names and time written in the listing's header comments.
struct ListingHeader {
  std::string outputName;
  std::string sourceName;
  std::string time;
};

// The whole listing: header, directives, globals, the script functions and
// last the main function. The text ends with the last block's "\t}" and no
// new line.
std::string writeListing(const xCompilerState& state, const ListingHeader& header);

}  // namespace script
