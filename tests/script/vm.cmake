# Tests: script/vm
