-- Sorting: 500 generated numbers, quicksorted 300 times, with a checksum of the sorted order.
local a, seed = {}, 42

local function fill()
  for i = 0, 499 do seed = (seed * 1103 + 12345) % 65536; a[i] = seed end
end

local function quicksort(lo, hi)
  if lo >= hi then return 0 end
  local p = a[(lo + hi) >> 1]
  local i, j = lo, hi
  while i <= j do
    while a[i] < p do i = i + 1 end
    while a[j] > p do j = j - 1 end
    if i <= j then a[i], a[j] = a[j], a[i]; i = i + 1; j = j - 1 end
  end
  quicksort(lo, j)
  quicksort(i, hi)
  return 0
end

local sum = 0
for _ = 1, 300 do
  fill()
  quicksort(0, 499)
  for i = 0, 499 do sum = (sum + a[i] * (i + 1)) % 1000000007 end
end
print(sum)
