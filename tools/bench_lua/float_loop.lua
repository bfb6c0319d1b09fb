-- Float arithmetic loop: a damped sum.
local x, y = 0.5, 0.0
for i = 1, 5000000 do x = x * 0.999 + 0.25; y = y + x / 1000.0 end
print(y)
