-- Struct members and arrays in loops: a ring of particles stepped and summed.
local ring = {px = {}, py = {}, vx = {}, vy = {}, sum = {x = 0, y = 0}, steps = 0}
-- Truncating remainder, as the script language's (C's) remainder.
local function rem(a, b) return math.fmod(a, b) end

for i = 0, 63 do ring.px[i] = i; ring.py[i] = 64 - i; ring.vx[i] = i % 3 - 1; ring.vy[i] = i % 5 - 2 end
ring.steps = 0
for _ = 1, 6000 do
  ring.sum.x = 0; ring.sum.y = 0
  for i = 0, 63 do
    local j = (i + 1) % 64
    ring.vx[i] = ring.vx[i] + rem(ring.px[j] - ring.px[i], 3)
    ring.vy[i] = ring.vy[i] + rem(ring.py[j] - ring.py[i], 3)
    ring.px[i] = rem(ring.px[i] + ring.vx[i], 1000)
    ring.py[i] = rem(ring.py[i] + ring.vy[i], 1000)
    ring.sum.x = ring.sum.x + ring.px[i]
    ring.sum.y = ring.sum.y + ring.py[i]
  end
  ring.steps = ring.steps + 1
end
print(string.format("ring %d %d %d", ring.sum.x, ring.sum.y, ring.steps))
