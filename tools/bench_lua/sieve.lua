-- Prime sieve: the primes below 1000, found 3000 times.
local flags = {}

local function sieve()
  for i = 2, 999 do flags[i] = 1 end
  local count = 0
  for i = 2, 999 do
    if flags[i] == 1 then
      count = count + 1
      for k = i + i, 999, i do flags[k] = 0 end
    end
  end
  return count
end

local total = 0
for _ = 1, 3000 do total = total + sieve() end
print(total)
