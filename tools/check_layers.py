#!/usr/bin/env python3
"""Fails when a source file includes a header from its own level or above (other than its own folder).

Levels, lowest first: engine < base < gfx, script < core < stg, avg < host < app;
inside script/: runtime < assembler, compiler < manager.
"""
import pathlib
import re
import sys

LEVELS = {
    "engine": 0, "base": 1, "gfx": 2, "script": 2, "core": 3,
    "stg": 4, "avg": 4, "host": 5, "app": 6,
}
SCRIPT_LEVELS = {"runtime": 0, "assembler": 1, "compiler": 1, "manager": 2}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def unit(path):
    parts = pathlib.PurePosixPath(path).parts
    if parts[0] == "script" and len(parts) > 2 and parts[1] in SCRIPT_LEVELS:
        return ("script", parts[1])
    return (parts[0], None)


def allowed(src, dst):
    if src == dst:
        return True
    (top_s, sub_s), (top_d, sub_d) = src, dst
    if top_s == top_d == "script":
        return SCRIPT_LEVELS[sub_d] < SCRIPT_LEVELS[sub_s]
    return LEVELS[top_d] < LEVELS[top_s]


def main(root):
    root = pathlib.Path(root)
    bad = []
    for top in LEVELS:
        for path in sorted((root / top).rglob("*")):
            if path.suffix not in (".cpp", ".h", ".def"):
                continue
            rel = path.relative_to(root).as_posix()
            for included in INCLUDE.findall(path.read_text(encoding="latin-1")):
                if included.split("/")[0] not in LEVELS:
                    continue
                if not allowed(unit(rel), unit(included)):
                    bad.append(f"{rel}: includes {included}")
    for line in bad:
        print(line)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
