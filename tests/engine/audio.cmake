# Tests: engine/audio
