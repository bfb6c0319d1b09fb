#!/usr/bin/env python3
"""Writes twin load-time programs of about LINES lines: NAME.vkscript and NAME.lua.

Usage: gen_load.py LINES NAME

Both are one header (a define or constant, a host function, a struct, 50
globals), then small functions of 12 lines each using most statement kinds,
each calling the one before, then a main function. Nothing runs them: the
benchmark times loading (compiling) only.
"""
import sys


def script_function(n):
    call = "htAdd(a, b)" if n == 0 else "f%d(a, 2)" % (n - 1)
    return [
        "func f%d(a, b) {" % n,
        "\tvar l; var k; var arr[8]; P p;",
        "\tl = a * b + K - (a - b) / 2; // mixed arithmetic",
        "\tfor (k = 0; k < 4; k += 1) { arr[k] = k * l; }",
        "\tif (l > 10 && a < b) { l = l + arr[2]; } else { l = %s; }" % call,
        "\twhile (l < 100 || l == 200) { l += 7; }",
        "\tp.x = l; p.y = p.x * 2;",
        "\tg%d = \"v\" $ p.y;" % (n % 50),
        "\tprint(\"value %i of %i\", l, k);",
        "\tk = sqrt(l) + randomInt(1, 6);",
        "\treturn l + k;",
        "}",
    ]


def lua_function(n):
    call = "htAdd(a, b)" if n == 0 else "f%d(a, 2)" % (n - 1)
    return [
        "function f%d(a, b)" % n,
        "  local l, k; local arr = {}; local p = {x = 0, y = 0}",
        "  l = a * b + K - (a - b) / 2 -- mixed arithmetic",
        "  for k = 0, 3 do arr[k] = k * l end",
        "  if l > 10 and a < b then l = l + arr[2] else l = %s end" % call,
        "  while l < 100 or l == 200 do l = l + 7 end",
        "  p.x = l; p.y = p.x * 2",
        "  g%d = \"v\" .. p.y" % (n % 50),
        "  print(string.format(\"value %%d of %%d\", l, k))",
        "  k = math.sqrt(l) + math.random(1, 6)",
        "  return l + k",
        "end",
    ]


def generate(lines, header, function, main):
    out = list(header)
    n = 0
    while len(out) < lines - len(main(0)):
        out += function(n)
        n += 1
    return "\n".join(out + main(n)) + "\n"


def main():
    lines, name = int(sys.argv[1]), sys.argv[2]
    globals_ = ["var g%d;" % i for i in range(50)]
    script = generate(lines, ["#define K 3;", "host htAdd(a, b);", "struct P { var x; var y; }"] + globals_,
                      script_function,
                      lambda n: ["func _Main() {", "\tg0 = f%d(1, 2);" % (n - 1), "}", "func main() { return 1; }"])
    lua_globals = ["g%d = 0" % i for i in range(50)]
    lua = generate(lines, ["local K = 3", "function htAdd(a, b) return a + b end", "-- P is a table {x, y}"] +
                   lua_globals, lua_function, lambda n: ["function main()", "  g0 = f%d(1, 2)" % (n - 1), "end", "return 1"])
    with open(name + ".vkscript", "w") as f:
        f.write(script)
    with open(name + ".lua", "w") as f:
        f.write(lua)


if __name__ == "__main__":
    main()
