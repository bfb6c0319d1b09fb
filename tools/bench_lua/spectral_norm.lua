-- Spectral norm of a 100 x 100 matrix: forty power iterations of A'A, calls in the inner loops.
local u, v, t = {}, {}, {}

local function a(i, j) return 1.0 / ((i + j) * (i + j + 1) / 2 + i + 1) end

-- t = A u, v = A' t, then t = A v, u = A' t.
local function timesUT()
  for i = 0, 99 do local s = 0.0; for j = 0, 99 do s = s + a(i, j) * u[j] end; t[i] = s end
end
local function transTV()
  for i = 0, 99 do local s = 0.0; for j = 0, 99 do s = s + a(j, i) * t[j] end; v[i] = s end
end
local function timesVT()
  for i = 0, 99 do local s = 0.0; for j = 0, 99 do s = s + a(i, j) * v[j] end; t[i] = s end
end
local function transTU()
  for i = 0, 99 do local s = 0.0; for j = 0, 99 do s = s + a(j, i) * t[j] end; u[i] = s end
end

for i = 0, 99 do u[i] = 1.0 end
for _ = 1, 40 do timesUT(); transTV(); timesVT(); transTU() end
local vbv, vv = 0.0, 0.0
for i = 0, 99 do vbv = vbv + u[i] * v[i]; vv = vv + v[i] * v[i] end
print(string.format("norm %f", math.sqrt(vbv / vv)))
