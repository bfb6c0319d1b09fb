# Tests: script/assembler
