# Tests: script/compiler
