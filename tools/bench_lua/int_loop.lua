-- Integer loop: a running sum kept below a prime.
local s = 0
for i = 1, 5000000 do s = (s + i * 3) % 1000003 end
print(s)
