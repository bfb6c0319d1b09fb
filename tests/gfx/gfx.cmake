# Tests: gfx/gfx
