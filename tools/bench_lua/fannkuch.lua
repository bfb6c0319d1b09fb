-- Fannkuch-redux for n = 9: the checksum and the most flips over all permutations.
local perm, perm1, count = {}, {}, {}
local n = 9
for i = 0, n - 1 do perm1[i] = i end
local maxFlips, checksum, sign, r, done = 0, 0, 1, n, false
while not done do
  while r ~= 1 do count[r - 1] = r; r = r - 1 end
  for i = 0, n - 1 do perm[i] = perm1[i] end
  local flips = 0
  local k = perm[0]
  while k ~= 0 do
    local i, j = 0, k
    while i < j do perm[i], perm[j] = perm[j], perm[i]; i = i + 1; j = j - 1 end
    flips = flips + 1
    k = perm[0]
  end
  if flips > maxFlips then maxFlips = flips end
  checksum = checksum + sign * flips
  sign = -sign
  -- The next permutation: rotate the first r + 1 elements until a count is left.
  r = 1
  while r < n do
    local p0 = perm1[0]
    for i = 0, r - 1 do perm1[i] = perm1[i + 1] end
    perm1[r] = p0
    count[r] = count[r] - 1
    if count[r] > 0 then break end
    r = r + 1
  end
  if r == n then done = true end
end
print(string.format("fannkuch %d %d", checksum, maxFlips))
