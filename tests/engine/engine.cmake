# Tests: engine/engine
