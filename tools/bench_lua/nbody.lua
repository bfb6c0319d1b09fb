-- N-body: five planets, fixed steps, the energy before and after (six decimals).
local x, y, z, vx, vy, vz, m = {}, {}, {}, {}, {}, {}, {}
local sqrt = math.sqrt

local function setBody(i, px, py, pz, pvx, pvy, pvz, pm)
  x[i] = px; y[i] = py; z[i] = pz
  vx[i] = pvx * 365.24; vy[i] = pvy * 365.24; vz[i] = pvz * 365.24
  m[i] = pm * 39.47841760435743
end

local function init()
  setBody(0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0)
  setBody(1, 4.84143144246472090, -1.16032004402742839, -0.103622044471123109,
          0.00166007664274403694, 0.00769901118419740425, -0.0000690460016972063023, 0.000954791938424326609)
  setBody(2, 8.34336671824457987, 4.12479856412430479, -0.403523417114321381,
          -0.00276742510726862411, 0.00499852801234917238, 0.0000230417297573763929, 0.000285885980666130812)
  setBody(3, 12.8943695621391310, -15.1111514016986312, -0.223307578892655734,
          0.00296460137564761618, 0.00237847173959480950, -0.0000296589568540237556, 0.0000436624404335156298)
  setBody(4, 15.3796971148509165, -25.9193146099879641, 0.179258772950371181,
          0.00268067772490389322, 0.00162824170038242295, -0.0000951592254519715870, 0.0000515138902046611451)
  local px, py, pz = 0.0, 0.0, 0.0
  for i = 0, 4 do px = px + vx[i] * m[i]; py = py + vy[i] * m[i]; pz = pz + vz[i] * m[i] end
  vx[0] = -px / 39.47841760435743
  vy[0] = -py / 39.47841760435743
  vz[0] = -pz / 39.47841760435743
end

local function energy()
  local e = 0.0
  for i = 0, 4 do
    e = e + 0.5 * m[i] * (vx[i] * vx[i] + vy[i] * vy[i] + vz[i] * vz[i])
    for j = i + 1, 4 do
      local dx, dy, dz = x[i] - x[j], y[i] - y[j], z[i] - z[j]
      e = e - m[i] * m[j] / sqrt(dx * dx + dy * dy + dz * dz)
    end
  end
  return e
end

local function advance(dt)
  for i = 0, 4 do
    local mi = m[i]
    for j = i + 1, 4 do
      local dx, dy, dz = x[i] - x[j], y[i] - y[j], z[i] - z[j]
      local d2 = dx * dx + dy * dy + dz * dz
      local mag = dt / (d2 * sqrt(d2))
      local mj = m[j] * mag
      vx[i] = vx[i] - dx * mj; vy[i] = vy[i] - dy * mj; vz[i] = vz[i] - dz * mj
      mj = mi * mag
      vx[j] = vx[j] + dx * mj; vy[j] = vy[j] + dy * mj; vz[j] = vz[j] + dz * mj
    end
  end
  for i = 0, 4 do x[i] = x[i] + dt * vx[i]; y[i] = y[i] + dt * vy[i]; z[i] = z[i] + dt * vz[i] end
end

init()
local before = energy()
for _ = 1, 50000 do advance(0.01) end
print(string.format("energy %f %f", before, energy()))
