-- Strings compared: keys built from numbers, matched against a table of names.
local names = {[0] = "k3", "k17", "k42", "k99", "k5", "k64", "k81", "k0"}
local hits, total = 0, 0
for i = 0, 99999 do
  local key = "k" .. (i % 100)
  for k = 0, 7 do
    if key == names[k] then hits = hits + 1; total = total + k end
  end
end
print(string.format("hits %d %d", hits, total))
