# Tests: engine/util
