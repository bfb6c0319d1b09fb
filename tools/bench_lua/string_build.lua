-- String building: a short text made of numbers, a million times.
local t = "-"
for i = 1, 1000000 do t = "n" .. i .. ":" .. i * 2 end
print(t)
