#!/usr/bin/env python3
"""Writes docs/host_functions.md from the host-function registration tables and
docs/reserved_words.md from the compiler's keywords and the instruction table.

    host_docs.py            write both files
    host_docs.py --check    fail (status 1) when either differs from what the tree gives

Each registered name is documented by the comment above its function, whose first
line reads '"name"(arg: kind, x, y: float) -> kind: what it does.' (two names may share
one comment: '"a" and "b"(...)'). The argument count is checked against the function's
HostCall, each argument kind against the reads of that argument the function (or a
helper it hands the call to) makes, and the result against its return call, so the
reference cannot drift from the code.
"""
import difflib
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Registration order; the file that holds each group's table.
GROUPS = [
    ("host_sprite_apis.cpp", "Sprites"),
    ("host_system_apis.cpp", "System: log, backgrounds, states, timers, configuration, variables"),
    ("host_bullet_apis.cpp", "Bullets and enemies"),
    ("host_key_apis.cpp", "Keys"),
    ("host_script_apis.cpp", "Script groups, stages and scenes"),
    ("host_font_apis.cpp", "Fonts, text boxes and floating texts"),
    ("host_geometry_apis.cpp", "Geometry"),
    ("host_sound_apis.cpp", "Sound"),
    ("host_boss_apis.cpp", "Boss"),
    ("host_player_apis.cpp", "Player"),
    ("host_menu_binding.cpp", "Menu binding"),
]
KINDS = ("int", "float", "string")


def read(path):
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        return f.read()


def braced(text, start):
    """The text between the brace at [start] and its match."""
    depth = 0
    for i in range(start, len(text)):
        depth += {"{": 1, "}": -1}.get(text[i], 0)
        if depth == 0:
            return text[start + 1:i]
    return text[start + 1:]


def definition(text, func):
    """(comment block above, body) of the function [func] in [text]; None when absent."""
    m = re.search(r"^[\w:<>*& ]*\b" + re.escape(func) + r"\s*\([^)]*\)\s*(?:const\s*)?\{", text, re.M)
    if not m:
        return None
    above = text[:m.start()].rstrip("\n").split("\n")
    comment = []
    while above and above[-1].lstrip().startswith("//"):
        comment.insert(0, above.pop().lstrip()[2:].strip())
    return comment, braced(text, m.end() - 1)


def expanded(text, body, depth=2):
    """[body] with the bodies of the helpers it passes its HostCall to, [depth] levels down."""
    out = body
    if depth == 0:
        return out
    for helper in sorted(set(re.findall(r"\b(\w+)\(\s*call\b", body))):
        found = definition(text, helper)
        if found:
            out += "\n" + expanded(text, found[1], depth - 1)
    return out


def parse_args(text):
    """[(name, kind)] from 'a: int, x, y: float'."""
    args, pending = [], []
    for part in [p.strip() for p in text.split(",") if p.strip()]:
        name, _, kind = part.partition(":")
        pending.append(name.strip())
        if kind:
            args += [(n, kind.strip()) for n in pending]
            pending = []
    if pending:
        raise ValueError("no kind for " + ", ".join(pending))
    return args


def documented(comment, name):
    """(args, result, text) that the comment block gives [name]; None when it does not.
    A paragraph starts at a line beginning with a quoted name and runs to an empty line."""
    names = r'"\w+"(?:\s+and\s+"\w+")*'
    paragraphs = []
    for line in comment:
        if re.match(names + r"\(", line):
            paragraphs.append(line)
        elif paragraphs and paragraphs[-1] is not None and line:
            paragraphs[-1] += " " + line
        elif not line:
            paragraphs.append(None)
    for text in filter(None, paragraphs):
        m = re.match(r"(%s)\((.*?)\)(?:\s*->\s*(\w+))?\s*:\s*(.*)$" % names, text)
        if m and '"%s"' % name in re.findall(r'"\w+"', m.group(1)):
            return parse_args(m.group(2)), m.group(3), m.group(4).strip()
    return None


def check(name, func, text, body, args, result):
    """The reasons the documentation of [name] disagrees with its code."""
    faults = []
    m = re.search(r"HostCall\s*\w*\s*[({]\s*\w+\s*,\s*\w+\s*,\s*(\d+)", body)
    argc = int(m.group(1)) if m else 0
    if argc != len(args):
        faults.append("%d arguments documented, the code reads %d" % (len(args), argc))
    code = expanded(text, body)
    for k, (arg, kind) in enumerate(args):
        if kind not in KINDS:
            faults.append("argument %s has no kind of %s" % (arg, "/".join(KINDS)))
        read_kinds = set(re.findall(r"\b(int|float|string)Arg\(\s*%d\s*\)" % k, code))
        if read_kinds and kind not in read_kinds:
            faults.append("argument %s is read as %s, documented %s" % (arg, "/".join(sorted(read_kinds)), kind))
    returns = set(k.lower() for k in re.findall(r"\breturn(Int|Float|String)\(", code))
    if (result or None) not in (returns or {None}) or (result and result not in KINDS):
        faults.append("result documented %s, the code returns %s" % (result or "none", "/".join(sorted(returns)) or "none"))
    return ["%s (%s): %s" % (name, func, f) for f in faults]


def host_rows():
    """([(group, [(name, args, result, text)])], faults)."""
    sources = {f: read(os.path.join("host", f)) for f in sorted(os.listdir(os.path.join(ROOT, "host")))
               if f.endswith(".cpp")}
    sources["start_up.cpp"] = read("app/start_up.cpp")
    groups, faults = [], []
    for fname, title in GROUPS:
        table = sources[fname] if fname != "host_menu_binding.cpp" else sources["start_up.cpp"]
        entries = re.findall(r'\{\s*"(\w+)"\s*,\s*(\w+)\s*\}', table)
        entries += re.findall(r'addFunc\(\s*"(\w+)"\s*,\s*(\w+)\s*\)', table)
        rows = []
        for name, func in entries:
            home = next((f for f in [fname] + sorted(sources) if definition(sources[f], func)), None)
            found = definition(sources[home], func) if home else None
            if not found:
                faults.append("%s: no definition of %s in %s" % (name, func, fname))
                continue
            try:
                doc = documented(found[0], name)
            except ValueError as e:
                faults.append("%s: %s" % (name, e))
                continue
            if doc is None:
                faults.append('%s (%s): no comment \'"%s"(args) -> kind: ...\' above it' % (name, func, name))
                continue
            faults += check(name, func, sources[home], found[1], doc[0], doc[1])
            rows.append((name,) + doc)
        groups.append((title, rows))
    return groups, faults


def host_markdown(groups):
    count = sum(len(rows) for _, rows in groups)
    out = ["# Host functions", "",
           "Generated by `tools/host_docs.py` from the registration tables and the comments of the",
           "host functions; `ctest -R host_docs` fails when this file is not up to date.", "",
           "The %d names scripts call, by registration group, in registration order. Names are" % count,
           "matched without regard to case. A script declares each one it calls, e.g.",
           "`host htAddSprite(id, image);` (the names in the declaration are free; the count is not",
           "checked). Arguments are converted to the kind listed; a missing one reads as 0, 0.0 or",
           "\"\". A bad call (a bad id, a missing current bullet) is logged or passed over, never fatal.", ""]
    for title, rows in groups:
        out += ["## %s (%d)" % (title, len(rows)), "", "| name | arguments | result | what it does |",
                "|---|---|---|---|"]
        for name, args, result, text in rows:
            arglist = ", ".join("%s: %s" % a for a in args) or "none"
            out.append("| `%s` | %s | %s | %s |" % (name, arglist, result or "none", text.replace("|", "\\|")))
        out.append("")
    return "\n".join(out)


def reserved_markdown():
    lexer = read("script/compiler/lexer.cpp")
    m = re.search(r"kKeywords\[\]\s*=\s*\{(.*?)\};", lexer, re.S)
    keywords = re.findall(r'"(\w+)"', m.group(1))
    ops = re.findall(r'^OP\(\s*\w+\s*,\s*"\w+"\s*,\s*"(\w+)"', read("script/runtime/opcodes.def"), re.M)
    m = re.search(r"kListingKeywords\s*=\s*\{(.*?)\};", read("script/runtime/opcodes.h"), re.S)
    listing = re.findall(r'"(\w+)"', m.group(1))

    def words(ws):
        return ", ".join("`%s`" % w for w in sorted(set(w.lower() for w in ws)))
    return "\n".join([
        "# Reserved words", "",
        "Generated by `tools/host_docs.py` from the compiler's keyword table, the instruction",
        "table and the assembly listing's keywords; `ctest -R host_docs` fails when it is stale.", "",
        "None of these may name a variable, array, function, parameter, struct, member or host",
        "function; all are matched without regard to case. The compiler refuses such a name where",
        "it is declared (\"Reserved identifier: th\"); the names of a host declaration's parameters",
        "are only counted and may be any other identifier.", "",
        "Keywords of the language (%d): %s." % (len(keywords), words(keywords)), "",
        "Instruction mnemonics of the assembly listing (%d): %s." % (len(set(o.lower() for o in ops)), words(ops)), "",
        "Keywords of the assembly listing (%d): %s." % (len(listing), words(listing)), ""])


def main(argv):
    groups, faults = host_rows()
    if faults:
        sys.stderr.write("\n".join(faults) + "\n%d faults in the host functions' comments\n" % len(faults))
        return 1
    files = {"docs/host_functions.md": host_markdown(groups), "docs/reserved_words.md": reserved_markdown()}
    status = 0
    for path, text in files.items():
        full = os.path.join(ROOT, path)
        if "--check" in argv:
            old = open(full, encoding="utf-8").read() if os.path.exists(full) else ""
            if old != text:
                sys.stdout.writelines(difflib.unified_diff(old.splitlines(True), text.splitlines(True), path, "generated"))
                sys.stderr.write("%s is out of date: run python3 tools/host_docs.py\n" % path)
                status = 1
        else:
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as f:
                f.write(text)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
