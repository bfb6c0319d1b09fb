#!/usr/bin/env python3
"""Plays generated hostile start-up and stage scripts in the game and keeps each failing one, minimised.

    fuzz_scripts.py --exe GAME [--seed N] [--count N] [--jobs N] [--frames N]
                    [--timeout S] [--mem-mb N] [--growth-mb N] [--out DIR]
    fuzz_scripts.py --exe GAME --replay CASE_DIR
    fuzz_scripts.py --list

The host functions come from the registration tables in host/ and app/, their argument
counts and kinds from their bodies, so a new host function is fuzzed without a change here.
Each case is a run folder (data/ linked, a start-up script, a stage script the start-up
script runs, a script for the loading calls, config.ini) beside a folder "outside" of bait
files that nothing may read, write or delete. Some cases add shapes that only show over
many frames or files: timers and bullets that re-arm or fork themselves, include chains and
self-includes, a huge source, doubling strings, resources made every frame at a changing
size, and, in a copy of data/, a huge-dimension picture, a WAV of 0 channels and a link
"data/pack" to the outside folder. The game plays it headless with a timeout and a memory
cap; a failure is classified by sanitizer report kind and top frame, timeout, memory,
resident memory growth between two frames the stage logs, exit signal or status, or a
touched bait file. The first case of each class is
minimised (statements dropped while it still fails the same way) and kept under
OUT/classes/. Exit status 0 when every case ran clean.
"""
import argparse
import concurrent.futures
import os
import random
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MARKER = "FZ-OUTSIDE-CODE-RAN"
STOPPED = "clean, stopped by a script error"
INPUT = "1 down 90\n150 down 88\n152 up 88\n"  # shoot throughout, one bomb

# ---- host functions, from the source ----


def body_of(source, func):
    """The text of [func]'s definition body, by brace matching; "" when not found."""
    m = re.search(r"\bvoid\s+" + re.escape(func) + r"\s*\([^)]*\)\s*\{", source)
    if not m:
        return ""
    depth, i = 0, m.end() - 1
    while i < len(source):
        depth += {"{": 1, "}": -1}.get(source[i], 0)
        if depth == 0:
            return source[m.end():i]
        i += 1
    return source[m.end():]


def host_functions(root=ROOT):
    """[(name, kinds, hints, family, returns)], one per registered name."""
    sources = {}
    for folder in ("host", "app"):
        for f in sorted(os.listdir(os.path.join(root, folder))):
            if f.endswith(".cpp"):
                with open(os.path.join(root, folder, f), encoding="utf-8", errors="replace") as fh:
                    sources[f] = fh.read()
    everything = "\n".join(sources.values())
    found = {}
    for fname, text in sources.items():
        rows = re.findall(r'\{\s*"(\w+)"\s*,\s*(\w+)\s*\}', text)
        rows += re.findall(r'addFunc\(\s*"(\w+)"\s*,\s*(\w+)\s*\)', text)
        for name, func in rows:
            body = body_of(everything, func)
            m = re.search(r"HostCall\s*\w*\s*[({]\s*\w+\s*,\s*\w+\s*,\s*(\d+)", body)
            argc = int(m.group(1)) if m else 0
            kinds = []
            for k in range(argc):
                km = re.search(r"\b(int|float|string)Arg\(\s*%d\s*\)" % k, body)
                kinds.append(km.group(1) if km else "any")
            # Parameter names from the comment '"name"(a, b)' name what a string is for.
            cm = re.search(r'"%s"(?:\s+and\s+"\w+")?\s*\(([^)]*)\)' % name, everything)
            hints = [h.strip() for h in cm.group(1).split(",")] if cm else []
            hints = (hints + [""] * argc)[:argc]
            returns = bool(re.search(r"return(Int|Float|String)\(", body))
            found[name] = (name, kinds, hints, fname, returns)
    return sorted(found.values())


# ---- values ----

BIG_FLOAT = "1000000000000000000000000000000.0"
INTS = ["0", "-1", "1", "2", "3", "10", "60", "100", "300", "65536", "99999", "-100000",
        "2147483647", "(-2147483647 - 1)", "frame"]
FLOATS = ["0.0", "-1.0", "0.5", "1.5", "320.0", BIG_FLOAT, "(-" + BIG_FLOAT + ")",
          "fzInf()", "(-fzInf())", "fzNaN()"]
TEXTS = ['""', '"x"', '"hello"', '"%s%n%x%s%s%n%p"', '"%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d"',
         "fzBig()", '"\xd6\xd0\xce\xc4 \xc8\xd5\xb1\xbe"', '"a\\\\b"', '"\\n\\t"']
# Names nothing may reach: absolute, climbing, devices, folders, code page 936, backslashes.
HOSTILE_PATHS = ['"/dev/zero"', '"/"', '"data"', '"data/graphic"', '"@OUT@/evil.vkscript"',
                 '"@OUT@/gone.vkscript"', '"@OUT@/evil.png"', '"@OUT@/evil.txt"',
                 '"@OUT@/evil.wav"', '"/nonexistent_fz/x.vkscript"', '"../outside/evil.vkscript"',
                 '"../outside/gone.vkscript"', '"../outside/evil.png"', '"../outside/evil.txt"',
                 '"data/../../outside/evil.vkscript"', '"..\\\\outside\\\\evil.vkscript"',
                 '"../../../../../../../../nonexistent_fz/x"', '"data/graphic/../graphic/bullets.png"',
                 '"\xd6\xd0\xce\xc4.vkscript"', '"data/\xd6\xd0\xce\xc4.png"', "fzBig()"]
RUN_SCRIPTS = ['"stage.vkscript"', '"other.vkscript"', '"initialize.vkscript"', '"data/stage1.vkscript"']
FUNCS = ['"cb0"', '"cb1"', '"init"', '"Update"', '"nosuch"', '""']
VARS = ["v0", "v1", "v2", "v3"]
OWN_VARS = ["fzS", "fzBox"]  # the shapes' own, out of the random statements' reach
FONTS = ['"DFGirl.ttf"', '"simkai.ttf"', '"data/font/DFGirl.ttf"']
# The stage logs these at frames N and 2N; resident memory is sampled as each appears.
MARKS = ("FZ-FRAME-N", "FZ-FRAME-2N")
# Through the link data/pack to the outside folder: by path from the run folder, and as a
# content name that the resource folders prefix with "data/<kind>/".
PACK_CALLS = ['v0 = htLoadScript("data/pack/evil.vkscript");', 'v0 = htLoadScript("data/pack/gone.vkscript");',
              'htRunScript("data/pack/evil.vkscript");', 'htAddSprite(6, "../pack/evil.png");',
              'htSet2DBackground("../pack/evil.png", 1.0, 0);', 'htAddSoundEffect(78, "../pack/evil.wav");',
              'htSetBackgroundMusic("../pack/evil.wav");', 'htRunAVGScriptInSTG("../pack/evil.txt");',
              'htCreateFont("../pack/evil.png", 20);']
HUGE_CALLS = ['htSet2DBackground("fzhuge.png", 1.0, 0);', 'htAddSprite(5, "fzhuge.png");',
              'htAddBackgroundCover("fzhuge.png", 1.0, 0.0, 0.0, 10, 0);',
              'htSetBulletManagerTexture("fzhuge.png");',
              'v0 = htCreateEnemyWithSpritePath("fzhuge.png", 0, 0, 32, 32, 300, 100, 10, 0);',
              'htSetSCBackground("fzhuge.png", 640, 480, 60);']
MUTE_CALLS = ['htAddSoundEffect(77, "fzmute.wav");\n  htPlaySoundEffect(77);',
              'htSetBackgroundMusic("fzmute.wav");\n  v1 = htGetCurrBackgroundMusicLength();',
              'htPlayVoice("fzmute.wav");', 'htSetBGSound("fzmute.wav");', 'htPlaySoundEffectOut("fzmute.wav");']
# Updated every frame at a size that grows by one each frame.
SIZE_CALLS = ['htAddFloatingText("fz", %s, frame, 1.0, 1.0, 1.0, 1.0, 200.0, 200.0, 300.0, 300.0, 60, 5, 5);',
              'htDeleteTextBox(fzBox);\n  fzBox = htCreateTextBox(10.0, 10.0, 200.0, 100.0, %s, frame);',
              'v2 = htCreateFont(%s, frame);',
              'v2 = htCreateFontWithColorEx(%s, frame, 255, 255, 255, 255, 1, 0, 1);']
# Calls after which the stage's "Update" may no longer run.
LEAVERS = re.compile(r"^(ht(Run|Remove|SetCurrActive)\w*Script|htRunAVGScriptInSTG|htReturnToMain|htPlayEndTheme|"
                     r"htStageEnd|htExit|htMessagebox|htLoadScript|bindScriptToMenuItem)$")
CREATOR = re.compile(r"^ht(Create|Add|Insert|Shoot|Load|Set2DBackground|SetSCBackground|SetBulletManagerTexture|"
                     r"SetBackgroundMusic|SetBGSound|SetTextBoxFrame|RunAVGScriptInSTG)")


def png_bytes(width, height):
    """A valid all-black 1-bit greyscale PNG: small on disk, width x height when decoded."""
    import struct
    import zlib

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    row = b"\0" * (1 + (width + 7) // 8)
    pixels = zlib.compressobj(9)
    body = b"".join(pixels.compress(row) for _ in range(height)) + pixels.flush()
    header = struct.pack(">IIBBBBB", width, height, 1, 0, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", body) + chunk(b"IEND", b"")


def wav_bytes(channels, framed=1):
    """A PCM WAV whose header names [channels] and sizes its frames for [framed], with a
    second of silence."""
    import struct
    data = b"\0" * 44100
    fmt = struct.pack("<HHIIHH", 1, channels, 22050, 22050 * 2 * framed, 2 * framed, 16)
    return (b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " + struct.pack("<I", 16) + fmt +
            b"data" + struct.pack("<I", len(data)) + data)


_HUGE_PNG = []


def huge_png():
    if not _HUGE_PNG:
        _HUGE_PNG.append(png_bytes(16384, 16384))
    return _HUGE_PNG[0]


def data_paths(root=ROOT):
    """Every content file, as its resource folder names it and as a path from the run folder."""
    out = []
    data = os.path.join(root, "data")
    for dirpath, _, files in os.walk(data):
        for f in files:
            rel = os.fsencode(os.path.relpath(os.path.join(dirpath, f), data)).decode("latin-1")
            out.append('"data/%s"' % rel)
            if os.sep in rel:
                out.append('"%s"' % rel.split(os.sep, 1)[1])
    return sorted(out)


class Stmt:
    """One droppable statement; a block's children are dropped on their own too."""
    _next = 0
    _lock = threading.Lock()

    def __init__(self, text, children=None):
        with Stmt._lock:
            self.id = Stmt._next
            Stmt._next += 1
        self.text = text
        self.children = children

    def walk(self):
        yield self
        for c in self.children or []:
            yield from c.walk()

    def render(self, dropped, indent):
        if self.id in dropped:
            return []
        if self.children is None:
            return [indent + self.text]
        lines = [indent + self.text + " {"]
        for c in self.children:
            lines += c.render(dropped, indent + "  ")
        return lines + [indent + "}"]


# Values the language has no literal for: infinity, NaN and a 20,000-byte string.
HELPERS = """func fzInf() { return %s * %s; }
func fzNaN() { return fzInf() - fzInf(); }
func fzBig() {
  var s;
  s = "%s";
  s $ s; s $ s; s $ s; s $ s; s $ s;
  return s;
}""" % (BIG_FLOAT, BIG_FLOAT, "x" * 625)


class Script:
    def __init__(self, name, funcs, includes=(), marks=None, padding=0):
        self.name = name
        self.funcs = funcs  # [(header, [Stmt])]
        self.includes = list(includes)  # [Stmt] of include lines
        self.marks = marks  # (N, 2N): the frames whose "Update" logs MARKS
        self.padding = padding  # bytes of comment lines after the code; negative: of statements

    def statements(self):
        yield from self.includes
        for _, body in self.funcs:
            for s in body:
                yield from s.walk()

    def render(self, dropped, hosts):
        body = ["var frame;", "var i;"] + ["var %s;" % v for v in VARS + OWN_VARS]
        for header, stmts in self.funcs:
            lines = [header + " {"]
            if header == "func init()":  # a variable starts out as no number
                lines.append("  frame = 0;")
            if header.startswith("func Update"):
                lines.append("  frame += 1;")
                for k, frame in enumerate(self.marks or ()):
                    lines.append('  if (frame == %d) { htLog("%s"); }' % (frame, MARKS[k]))
            for s in stmts:
                lines += s.render(dropped, "  ")
            body.append("\n".join(lines + ["}"]))
        code = "\n".join(body)
        if "fz" in code:  # the helpers, when a value needs them
            code = HELPERS + "\n" + code
        called = set(re.findall(r"\b(\w+)\(", code))
        used = [h for h in hosts if h[0] in called]
        decls = ["host %s(%s);" % (h[0], ", ".join("p%d" % k for k in range(len(h[1])))) for h in used]
        includes = [s.text for s in self.includes if s.id not in dropped]
        text = "\n".join(includes + decls + [code]) + "\n"
        if self.padding > 0:
            line = "// " + "p" * 93 + "\n"
            text += line * (self.padding // len(line))
        elif self.padding < 0:  # as code, which every phase of the compiler goes through
            line = "  v0 = v0 + 1;\n"
            text += "func fzPad() {\n" + line * (-self.padding // len(line)) + "}\n"
        return text


class Case:
    """The files of one run: scripts, config.ini lines, all made of droppable statements."""

    def __init__(self, scripts, config, init_name, files=None, data_files=None, pack=False):
        self.scripts = scripts
        self.config = config  # [Stmt] of "Section|Key|Value"
        self.init_name = init_name
        self.files = files or {}  # path in the run folder -> bytes (a path ending in "/" is a folder)
        self.data_files = data_files or {}  # path in data/ -> bytes, written in a copy of data/
        self.pack = pack  # the link data/pack to the outside folder, in that copy

    def statements(self):
        out = list(self.config)
        for s in self.scripts:
            out += list(s.statements())
        return out

    def write(self, casedir, hosts, dropped=frozenset()):
        run, outside = os.path.join(casedir, "run"), os.path.join(casedir, "outside")
        os.makedirs(run, exist_ok=True)
        os.makedirs(outside, exist_ok=True)
        for path, content in sorted(self.files.items()):
            full = os.path.join(run, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            if not path.endswith("/"):
                with open(full, "wb") as fh:
                    fh.write(content)
        if (self.data_files or self.pack) and not os.path.lexists(os.path.join(run, "data")):
            # Linked file by file: the copy costs no room, and data/ itself stays a folder.
            # Listings come and go beside the sources while other cases, whose data/ is a link,
            # compile them: they are no content to copy.
            shutil.copytree(os.path.join(ROOT, "data"), os.path.join(run, "data"), copy_function=link_or_copy,
                            ignore=shutil.ignore_patterns("*.vkasm", "*.vkasmb"))
            for path, content in self.data_files.items():
                if os.path.lexists(os.path.join(run, "data", path)):  # never write through a link
                    os.remove(os.path.join(run, "data", path))
                with open(os.path.join(run, "data", path), "wb") as fh:
                    fh.write(content)
            if self.pack:
                os.symlink(outside, os.path.join(run, "data", "pack"))
        for s in self.scripts:
            text = s.render(dropped, hosts).replace("@OUT@", outside)
            with open(os.path.join(run, s.name), "wb") as fh:
                fh.write(text.encode("latin-1"))
        sections = {}
        if self.init_name != "initialize.vkscript":
            sections.setdefault("System", []).append("InitScript=" + self.init_name)
        for c in self.config:
            if c.id not in dropped:
                sec, key, value = c.text.split("|", 2)
                sections.setdefault(sec, []).append("%s=%s" % (key, value))
        with open(os.path.join(run, "config.ini"), "wb") as fh:
            for sec, lines in sections.items():
                fh.write(("[%s]\n%s\n" % (sec, "\n".join(lines))).encode("latin-1"))
        with open(os.path.join(run, "input.txt"), "w") as fh:
            fh.write(INPUT)
        write_bait(outside)


def link_or_copy(src, dst):
    try:
        os.link(src, dst)
    except OSError:
        shutil.copy2(src, dst)


def write_bait(outside):
    os.makedirs(outside, exist_ok=True)
    evil = ('host htLog(t);\nfunc init() { htLog("%s"); }\nfunc Update() { }\nfunc Render() { }\n'
            'func _main() { htLog("%s"); }\n' % (MARKER, MARKER))
    files = {"evil.vkscript": evil, "evil.txt": "#text\n" + MARKER + "\n",
             "gone.vkscript.vkasm": "bait\n", "gone.vkscript.vkasmb": "bait\n"}
    for name, text in files.items():
        with open(os.path.join(outside, name), "w") as fh:
            fh.write(text)
    for name, src in (("evil.png", "data/graphic/bullets.png"), ("evil.wav", "data/se/hit.wav")):
        if os.path.exists(os.path.join(ROOT, src)):
            shutil.copyfile(os.path.join(ROOT, src), os.path.join(outside, name))
    for name in os.listdir(outside):  # an old access time shows any later read
        st = os.stat(os.path.join(outside, name))
        os.utime(os.path.join(outside, name), (0, st.st_mtime))


def game_sources(root=ROOT):
    """The text of every .cpp file of the game's folders."""
    for folder in ("engine", "base", "gfx", "script", "core", "stg", "avg", "host", "app"):
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            for f in files:
                if f.endswith(".cpp"):
                    with open(os.path.join(dirpath, f), encoding="utf-8", errors="replace") as fh:
                        yield fh.read()


def ini_pairs(root=ROOT):
    pairs = set()
    for text in game_sources(root):
        pairs.update(re.findall(r'(?:Ini_Get|getIni)\w*\(\s*"(\w+)"\s*,\s*"(\w+)"', text))
    return sorted(pairs)


def int_items(root=ROOT):
    """The integer configuration items: the numbered ones and those read by name."""
    items = set()
    with open(os.path.join(root, "core", "config_items.def")) as fh:
        items.update(re.findall(r'CONFIG_INT\(\s*\d+\s*,\s*\w+\s*,\s*"(\w+)"\s*,\s*"(\w+)"', fh.read()))
    for text in game_sources(root):
        items.update(re.findall(r'(?:Ini_GetInt|getIniInt)\(\s*"(\w+)"\s*,\s*"(\w+)"', text))
    return sorted(items)


class Generator:
    def __init__(self, hosts, paths, pairs, ints=()):
        self.hosts, self.paths, self.pairs, self.ints = hosts, paths, pairs, list(ints)
        self.frames = 300
        self.families = {}
        for h in hosts:
            self.families.setdefault(h[3], []).append(h)

    def arg(self, r, kind, hint, fname):
        if kind == "any" or r.random() < 0.08:
            kind = r.choice(["int", "float", "string"])
        if kind == "int":
            return r.choice(INTS + VARS + [str(r.randint(0, 640))])
        if kind == "float":
            return r.choice(FLOATS + INTS + VARS + ["%d.%d" % (r.randint(0, 640), r.randint(0, 9))])
        if r.random() < 0.25:
            return r.choice(HOSTILE_PATHS)
        h = hint.lower()
        if "func" in h:
            return r.choice(FUNCS)
        # Most script names name scripts, or the run mostly ends in the parser's orderly stop.
        if "AVG" in fname:
            return r.choice([p for p in self.paths if "avg/" in p] + RUN_SCRIPTS)
        if "Script" in fname:
            return r.choice(RUN_SCRIPTS + ['"data/boss_attack1.vkscript"', '"nosuch.vkscript"'])
        path = any(w in h for w in ("file", "image", "face", "font", "path", "script"))
        if path or (not h and r.random() < 0.5):
            return r.choice(self.paths + RUN_SCRIPTS * 4)
        return r.choice(TEXTS + VARS)

    def call(self, r, host, first=None, into=None):
        name, kinds, hints = host[0], host[1], host[2]
        args = [self.arg(r, k, h, name) for k, h in zip(kinds, hints)]
        if first is not None and args and kinds[0] != "string":
            args[0] = first
        text = "%s(%s);" % (name, ", ".join(args))
        if into is None and host[4] and r.random() < 0.6:
            into = r.choice(VARS)
        return Stmt(text if into is None else "%s = %s" % (into, text))

    def statements(self, r, n, loops=True, calm=False):
        """[calm]: none of the calls that leave the stage, so that it lives to frame 2N."""
        hosts = [h for h in self.hosts if not (calm and LEAVERS.match(h[0]))]
        out = []
        while len(out) < n:
            x = r.random()
            if x < 0.2:
                # Make, use, remove and use again: a family's producer and its neighbours.
                family = [h for h in self.families[r.choice(sorted(self.families))] if h in hosts] or hosts
                makers = [h for h in family if h[4]] or family
                v = r.choice(VARS)
                out.append(self.call(r, r.choice(makers), into=v))
                out += [self.call(r, r.choice(family), v) for _ in range(r.randint(1, 4))]
            elif x < 0.3 and loops:
                body = [self.call(r, r.choice(hosts)) for _ in range(r.randint(1, 2))]
                out.append(Stmt("for (i = 0; i < %d; ++i)" % r.randint(2, 20), body))
            else:
                out.append(self.call(r, r.choice(hosts)))
        return out

    def case(self, seed):
        r = random.Random(seed)
        calm = r.random() < 0.5
        st = lambda lo, hi: self.statements(r, r.randint(lo, hi), calm=calm)
        init_name = r.choice(["initialize.vkscript", "fz_start.vkscript"])
        start_funcs = [("func %s()" % f, st(0, 3)) for f in
                       ("initSoundEffects", "initSystem", "initBullet", "initBackground", "initDifficulty")]
        start_funcs += [("func init()", st(0, 3) + [Stmt('htRunSTGScript("stage.vkscript");')]),
                        ("func initScript()", st(0, 2))]
        frames = []
        for _ in range(r.randint(4, 12)):
            frames.append(Stmt("if (frame == %d)" % r.randint(1, 300), st(1, 3)))
        update = frames + self.statements(r, r.randint(0, 2), loops=False, calm=calm)
        stage_funcs = [("func init()", st(3, 10)), ("func Update()", update),
                       ("func Render()", self.statements(r, r.randint(0, 3), loops=False, calm=calm)),
                       ("func cb0()", st(0, 2)), ("func cb1(x, y)", st(0, 2))]
        other_funcs = [("func %s" % f, self.statements(r, r.randint(0, 2), loops=False))
                       for f in ("init()", "Update()", "Render()", "_main()", "cb0()", "cb1(x, y)")]
        hostile = ["-1", "abc", "2147483647", "-2147483648", "1e30", "nan", "", "x" * 2000,
                   "/dev/zero", "../outside/evil.vkscript", "\xd6\xd0\xce\xc4"]
        config = [Stmt("%s|%s|%s" % (p + (r.choice(hostile),)))
                  for p in r.sample(self.pairs, min(len(self.pairs), r.choice([0, 0, 1, 3])))]
        if r.random() < 0.3:
            config.append(Stmt("Extra|DeleteAssembledScript|0"))
        # Includes of names that must be refused; a script that is found ends in a redefinition.
        paths = [p for p in HOSTILE_PATHS if p.startswith('"')]
        includes = [Stmt("#include " + r.choice(paths)) for _ in range(0 if calm else r.choice([0, 0, 1, 2]))]
        start = dict(start_funcs)
        stage_init = stage_funcs[0][1]
        files, data_files, padding, pack = {}, {}, 0, False
        # Most stages make the player, without whom enemy bullets stand still, and a bullet
        # kind and a field they can live in.
        if r.random() < 0.8:
            start["func initBullet()"][:0] = [Stmt('htSetBulletManagerTexture("bullets.png");'),
                                             Stmt("htAddBulletIdent(1001, 0, 0, 16, 16, 1, 4);"),
                                             Stmt("htSetBulletScreenRect(160, -20, 640, 620);")]
            stage_init.insert(0, Stmt("htCreatePlayer();"))
        if r.random() < 0.12:  # a timer that starts itself again, once or twice per firing
            period, times = r.choice([0, 1, 1, 2, 5]), r.choice([1, 1, 2, -1])
            again = Stmt('htStartTimer(%d, %d, "fzTick");' % (period, times))
            copies = [again] + [Stmt(again.text) for _ in range(r.choice([0, 1]))]
            stage_funcs.append(("func fzTick()", copies))
            stage_init.append(Stmt(again.text))
        if r.random() < 0.12:  # a bullet whose function shoots bullets bound to itself
            interval, count = r.choice([0, 1, 3, 10]), r.choice([1, 2, 0, -1])
            shoot = ["htInsertBulletVec(1001, 0, x, y, 1.5, d + %d);" % r.randint(-30, 30),
                     'htBindScriptFuncToBullet("fzSplit", %d, %d);' % (interval, count)]
            split = [Stmt(t) for _ in range(r.choice([1, 2, 2])) for t in shoot]
            stage_funcs.append(("func fzSplit(x, y, d)", split))
            first = [Stmt("htInsertBulletVec(1001, 0, 320.0, 100.0, 1.0, 90.0);"),
                     Stmt('htBindScriptFuncToBullet("fzSplit", %d, %d);' % (interval, count))]
            (stage_init if r.random() < 0.5 else update).append(
                Stmt("if (frame == %d)" % r.randint(1, 60), first) if r.random() < 0.5 else Stmt("if (1)", first))
        if r.random() < 0.05:  # a chain of one-line files, each including the next
            length = r.choice([40, 15000])
            for k in range(length):
                files["fzinc/c%d.vkscript" % k] = b'#include "fzinc/c%d.vkscript"\n' % (k + 1)
            files["fzinc/c%d.vkscript" % length] = b"// the end of the chain\n"
            includes.append(Stmt('#include "fzinc/c0.vkscript"'))
        if r.random() < 0.05:  # the stage includes itself under names that all differ
            for k in range(r.choice([2, 16, 1500])):
                files["k%d/" % k] = b""
                includes.append(Stmt('#include "k%d/../stage.vkscript"' % k))
        if r.random() < 0.02:  # a huge source
            padding = r.choice([24, 48]) << 20 if r.random() < 0.5 else -(24 << 20)
        if r.random() < 0.06:  # a string that doubles every frame
            stage_init.append(Stmt('fzS = "%s";' % r.choice(["x", "xyz" * 100])))
            update.append(Stmt(r.choice(["fzS = fzS $ fzS;", "fzS $ fzS;"])))
        if r.random() < 0.1:  # resources made every frame, one pixel larger each time
            font = r.choice(FONTS)
            update += [Stmt(t % font) for t in r.sample(SIZE_CALLS, r.randint(1, 3))]
        if r.random() < 0.1:  # any maker, every frame, with values that change
            makers = [h for h in self.hosts if CREATOR.match(h[0])]
            for host in r.sample(makers, min(len(makers), r.randint(1, 3))):
                args = []
                for kind, hint in zip(host[1], host[2]):
                    if kind == "string":
                        args.append(self.arg(r, kind, hint, host[0]))
                    else:
                        args.append(r.choice(["frame", "(frame * 7)", "(100000 - frame)", "(frame * 1.5)"]))
                update.append(Stmt("%s(%s);" % (host[0], ", ".join(args))))
        if r.random() < 0.06:  # a background cover added every frame
            update.append(Stmt('htAddBackgroundCover("fog.png", 1.0, 0.0, 0.0, %d, %d);' %
                               (r.choice([0, 10, 60]), r.choice([0, 1]))))
        if r.random() < 0.12:  # content files the game must refuse, in its own data/
            kinds = r.sample(["huge", "mute", "pack"], r.randint(1, 3))
            if "huge" in kinds:
                data_files["graphic/fzhuge.png"] = huge_png()
                stage_init += [Stmt(t) for t in r.sample(HUGE_CALLS, r.randint(1, 2))]
            if "mute" in kinds:
                wav = wav_bytes(0, r.choice([0, 1, 2]))
                for folder in ("se", "music", "voice"):
                    data_files[folder + "/fzmute.wav"] = wav
                (stage_init if r.random() < 0.5 else update).extend(
                    Stmt(t) for t in r.sample(MUTE_CALLS, r.randint(1, 3)))
            if "pack" in kinds:
                pack = True
                stage_init += [Stmt(t) for t in r.sample(PACK_CALLS, r.randint(1, 3))]
                if r.random() < 0.3:
                    includes.append(Stmt('#include "data/pack/evil.vkscript"'))
        if r.random() < 0.06 and self.ints:  # every integer item at an end of its range
            ends = ["-2147483648", "2147483647"]
            value = r.choice(ends + [None])
            config += [Stmt("%s|%s|%s" % (sec, key, value or r.choice(ends))) for sec, key in self.ints]
            if r.random() < 0.5:  # the ending reads its frames
                update.append(Stmt("if (frame == %d)" % r.randint(1, 30), [Stmt("htPlayEndTheme();")]))
        start_funcs = list(start.items())
        # The stage starts about 60 frames in, after the faded switch from the start-up script.
        n = max(1, (self.frames - 80) // 2)
        marks = (n, 2 * n)
        scripts = [Script(init_name, start_funcs),
                   Script("stage.vkscript", stage_funcs, includes, marks=marks, padding=padding),
                   Script("other.vkscript", other_funcs)]
        return Case(scripts, config, init_name, files, data_files, pack)


# ---- running and classifying ----


def is_sanitized(exe):
    with open(exe, "rb") as fh:
        return b"__asan_init" in fh.read()


def snapshot(outside):
    return {f: (st.st_atime, st.st_mtime, st.st_size) for f in os.listdir(outside)
            for st in [os.stat(os.path.join(outside, f))]}


def play(exe, run, frames, timeout, mem_mb, sanitized, err_path):
    """Runs the game once; (status, growth) where status is the exit code, "timeout" or "memory"
    and growth the resident KiB gained from the stage's frame N to its frame 2N, or None."""
    env = dict(os.environ, VELMORA_BACKEND="headless",
               UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1",
               # The soft limit fails the next allocation, so the report names who kept allocating.
               # A small quarantine, so that memory freed and made again does not pass for growth.
               ASAN_OPTIONS="soft_rss_limit_mb=%d:hard_rss_limit_mb=%d:detect_leaks=1:quarantine_size_mb=32"
               % (mem_mb, mem_mb + 256))

    cmd = [exe, "--headless", "--frames", str(frames), "--seed", "1", "--input", "input.txt"]
    log = os.path.join(run, "log.txt")
    if os.path.exists(log):  # an earlier start's marks are not this one's
        os.remove(log)
    with open(err_path, "ab") as err:
        p = subprocess.Popen(cmd, cwd=run, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=err, env=env)
    try:
        if not sanitized:  # ASan reserves far more address space than it uses
            resource.prlimit(p.pid, resource.RLIMIT_AS, (mem_mb * 4 << 20, mem_mb * 4 << 20))
        resource.prlimit(p.pid, resource.RLIMIT_FSIZE, (512 << 20, 512 << 20))
        resource.prlimit(p.pid, resource.RLIMIT_CORE, (0, 0))
    except (ProcessLookupError, PermissionError):
        pass
    # Processor time, so that a busy machine does not make a slow run a hang; the wall
    # clock only catches a game that waits for ever.
    start, cap, tick = time.monotonic(), (mem_mb + (512 if sanitized else 0)) << 10, os.sysconf("SC_CLK_TCK")
    seen, at_mark, tail = 0, [], b""
    while p.poll() is None:
        try:
            with open("/proc/%d/status" % p.pid) as fh:
                rss = int(re.search(r"VmRSS:\s+(\d+)", fh.read()).group(1))
            with open("/proc/%d/stat" % p.pid) as fh:
                fields = fh.read().rsplit(")", 1)[1].split()
            cpu = (int(fields[11]) + int(fields[12])) / tick
        except (OSError, AttributeError, IndexError, ValueError):
            rss = cpu = 0
        if cpu > timeout or time.monotonic() - start > 5 * timeout:
            p.kill()
            p.wait()
            return "timeout", None
        if rss > cap:
            p.kill()
            p.wait()
            return "memory", None
        if rss and len(at_mark) < len(MARKS):
            try:  # only what the log gained since the last look
                with open(log, "rb") as fh:
                    fh.seek(seen)
                    text = tail + fh.read()
                    seen = fh.tell()
            except OSError:
                text = tail
            while len(at_mark) < len(MARKS) and MARKS[len(at_mark)].encode() + b"\n" in text:
                text = text.split(MARKS[len(at_mark)].encode() + b"\n", 1)[1]
                at_mark.append(rss)
            tail = text[-64:]
        time.sleep(0.02 if len(at_mark) < len(MARKS) else 0.05)
    return p.returncode, (at_mark[1] - at_mark[0] if len(at_mark) == 2 else None)


def project_frame(lines):
    """The first stack frame in the game's own source: its function and file."""
    for line in lines:
        m = re.match(r"\s*#\d+ 0x[0-9a-f]+ in (.+?) (\S+?):\d+", line)
        if not m:
            continue
        # Absolute, or relative to the build folder where ccache's base_dir applies.
        path = m.group(2)
        rel = os.path.relpath(path, ROOT) if path.startswith("/") else re.sub(r"^(\.\./)+", "", path)
        if not rel.startswith(("..", "build")) and os.path.isfile(os.path.join(ROOT, rel)):
            func = re.sub(r"\(.*", "", m.group(1))
            return "%s %s" % (func, rel)
    return "?"


def classify(status, err_text, outside_before, outside, log_text):
    """A failure's class key, or None for a clean run."""
    m = re.search(r"^(\S+?):(\d+):\d+: runtime error: (.*)$", err_text, re.M)
    if m:
        what = m.group(3).split(":")[0]  # the kind without the values
        what = re.sub(r"'[^']*'|[-+]?\b\d[\w.+]*|-?\b(?:inf|nan)\b|\s[-+*/<>]+(?=\s)", "", what)
        where = os.path.relpath(m.group(1), ROOT) if m.group(1).startswith("/") else m.group(1)
        return "ubsan: %s at %s:%s" % (" ".join(what.split()), where, m.group(2))
    if "hard rss limit exhausted" in err_text:
        return "memory"
    m = re.search(r"ERROR: (AddressSanitizer|LeakSanitizer): (.*)", err_text)
    if m:
        kind = re.split(r" on | of size|:| \(|\s0x", m.group(2))[0].strip()
        if re.search(r"out of memory|rss limit|allocation-size-too-big|allocation size", m.group(2), re.I):
            kind = "memory"
        if m.group(1) == "LeakSanitizer":
            kind = "leak"
        frames = err_text[m.end():].splitlines()
        if kind == "leak":
            frames = [f for f in frames if not re.search(r" in (operator new|malloc|calloc|realloc)", f)]
        if kind == "stack-overflow":  # any frame of the endless nesting can be the last
            return "asan: stack-overflow"
        return "asan: %s in %s" % (kind, project_frame(frames))
    if status in ("timeout", "memory"):
        return status
    if isinstance(status, int) and status < 0:
        return "signal: %s" % signal.Signals(-status).name
    # A script that does not compile, the start-up one included, ends the game on purpose.
    orderly = re.search(r"(\[Error\] |ShowErrorBox: )Script Parser Error|GameStart\(\): Error Loading Script",
                        err_text + log_text)
    if status != 0 and not (status == 1 and orderly):
        return "exit: %d" % status
    if MARKER in log_text:
        return "outside: code ran"
    after = snapshot(outside)
    for f, (atime, mtime, size) in sorted(outside_before.items()):
        if f not in after:
            return "outside: deleted"
        if after[f][1:] != (mtime, size):
            return "outside: written"
        if after[f][0] != atime:
            return "outside: read"
    if set(after) - set(outside_before):
        return "outside: written"
    return None


def run_case(exe, casedir, args, sanitized):
    """Plays a written case folder; (class or None, stderr excerpt)."""
    run, outside = os.path.join(casedir, "run"), os.path.join(casedir, "outside")
    for name, target in (("data", "data"), ("defines.txt", "data/defines.txt")):
        if not os.path.lexists(os.path.join(run, name)):
            os.symlink(os.path.join(ROOT, target), os.path.join(run, name))
    before = snapshot(outside)
    err_path = os.path.join(casedir, "stderr.txt")
    with open(os.path.join(run, "config.ini"), "rb") as fh:
        config = fh.read()
    status, growth = play(exe, run, args.frames, args.timeout, args.mem_mb, sanitized, err_path)
    if status == 0:
        # A script that named another start-up script: the next start runs it.
        with open(os.path.join(run, "config.ini"), "rb") as fh:
            now = fh.read()
        if re.findall(rb"InitScript=.*", now) != re.findall(rb"InitScript=.*", config):
            status, _ = play(exe, run, 60, args.timeout, args.mem_mb, sanitized, err_path)
    with open(err_path, "rb") as fh:
        err = fh.read().decode("latin-1")
    log = os.path.join(run, "log.txt")
    log_text = open(log, "rb").read().decode("latin-1") if os.path.exists(log) else ""
    key = classify(status, err, before, outside, log_text)
    if key is None and growth is not None and growth > args.growth_mb << 10:
        key = "growth"
        err = "resident memory grew by %d MiB from the stage's frame N to 2N\n%s" % (growth >> 10, err)
    at = max(err.find("ERROR: "), err.find("runtime error"), 0)
    if key is None and status != 0:
        key = STOPPED
    return key, err[max(0, at - 200):at + 6000]


class Campaign:
    def __init__(self, args):
        self.args = args
        self.hosts = host_functions()
        self.gen = Generator(self.hosts, data_paths(), ini_pairs(), int_items())
        self.gen.frames = args.frames
        self.sanitized = is_sanitized(args.exe)
        self.lock = threading.Lock()
        self.classes = {}  # key -> [count, kept folder or None]
        self.clean = self.stopped = 0

    def attempt(self, case, dropped):
        casedir = tempfile.mkdtemp(prefix="case-", dir=self.args.work)
        try:
            case.write(casedir, self.hosts, dropped)
            return run_case(self.args.exe, casedir, self.args, self.sanitized)
        finally:
            shutil.rmtree(casedir, ignore_errors=True)

    def minimise(self, case, key):
        """Greedy: drop runs of statements, halving the run length, while the class stays."""
        ids = [s.id for s in case.statements()]
        dropped, runs, deadline = set(), 0, time.monotonic() + self.args.minimise_seconds
        size, changed = max(1, len(ids) // 2), True
        while (size > 1 or changed) and time.monotonic() < deadline:
            i, changed = 0, False
            while i < len(ids) and time.monotonic() < deadline:
                chunk = [x for x in ids[i:i + size] if x not in dropped]
                if chunk:
                    runs += 1
                    if self.attempt(case, dropped | set(chunk))[0] == key:
                        dropped |= set(chunk)
                        changed = True
                i += size
            size = max(1, size // 2)
        return dropped, runs

    def keep(self, case, seed, key, dropped):
        slug = re.sub(r"[^A-Za-z0-9]+", "_", key).strip("_")[:80]
        folder = os.path.join(self.args.out, "classes", slug)
        shutil.rmtree(folder, ignore_errors=True)
        case.write(folder, self.hosts, dropped)
        key_now, excerpt = run_case(self.args.exe, folder, self.args, self.sanitized)
        # Only what was written stays, as it was before the game changed it.
        shutil.rmtree(folder)
        case.write(folder, self.hosts, dropped)
        with open(os.path.join(folder, "class.txt"), "w") as fh:
            fh.write("%s\nseed %d\nreplayed as: %s\n\n%s" % (key, seed, key_now, excerpt))
        return folder

    def one(self, seed):
        case = self.gen.case(seed)
        key, _ = self.attempt(case, frozenset())
        with self.lock:
            if key in (None, STOPPED):
                self.clean += 1
                self.stopped += key == STOPPED
                return
            entry = self.classes.setdefault(key, [0, None])
            entry[0] += 1
            first = entry[0] == 1
        print("seed %d: %s" % (seed, key), flush=True)
        if first:
            dropped = set()
            if self.args.minimise_seconds > 0:
                dropped, runs = self.minimise(case, key)
                print("  minimised in %d runs, %d of %d statements kept" %
                      (runs, len(case.statements()) - len(dropped), len(case.statements())), flush=True)
            folder = self.keep(case, seed, key, dropped)
            with self.lock:
                self.classes[key][1] = folder

    def run(self):
        os.makedirs(self.args.out, exist_ok=True)
        seeds = range(self.args.seed, self.args.seed + self.args.count)
        with concurrent.futures.ThreadPoolExecutor(self.args.jobs) as pool:
            for f in [pool.submit(self.one, s) for s in seeds]:
                f.result()
        failed = self.args.count - self.clean
        lines = ["%d scripts over %d host functions: %d clean (%d of them stopped by a script error), "
                 "%d failed in %d classes" % (self.args.count, len(self.hosts), self.clean, self.stopped, failed,
                                              len(self.classes))]
        for key, (count, folder) in sorted(self.classes.items()):
            lines.append("  %4d  %s\n        %s" % (count, key, folder))
        with open(os.path.join(self.args.out, "summary.txt"), "w") as fh:
            fh.write("\n".join(lines) + "\n")
        print("\n".join(lines))
        return 0 if failed == 0 else 1


def replay(args):
    """Plays a kept case folder again in a scratch copy; prints its class or "clean"."""
    casedir = tempfile.mkdtemp(prefix="replay-", dir=args.work)
    try:
        shutil.copytree(os.path.join(args.replay, "run"), os.path.join(casedir, "run"), symlinks=True)
        write_bait(os.path.join(casedir, "outside"))
        old = os.path.join(os.path.abspath(args.replay), "outside").encode()
        pack = os.path.join(casedir, "run", "data", "pack")
        if os.path.islink(pack):
            os.remove(pack)
            os.symlink(os.path.join(casedir, "outside"), pack)
        for s in os.listdir(os.path.join(casedir, "run")):
            p = os.path.join(casedir, "run", s)
            if os.path.isfile(p) and not os.path.islink(p):
                with open(p, "rb") as fh:
                    text = fh.read()
                with open(p, "wb") as fh:
                    fh.write(text.replace(old, os.path.join(casedir, "outside").encode()))
        key, excerpt = run_case(args.exe, casedir, args, is_sanitized(args.exe))
    finally:
        shutil.rmtree(casedir, ignore_errors=True)
    print(key or "clean")
    if key not in (None, STOPPED):
        print(excerpt[:3000])
        return 1
    return 0


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--exe", help="the game (a sanitizer build finds the most)")
    ap.add_argument("--seed", type=int, default=1, help="first case's seed; case k has seed + k")
    ap.add_argument("--count", type=int, default=30)
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--frames", type=int, default=300)
    ap.add_argument("--timeout", type=float, default=30, help="processor seconds per start of the game")
    ap.add_argument("--mem-mb", type=int, default=1024, help="resident memory cap per start")
    ap.add_argument("--growth-mb", type=int, default=64,
                    help="resident memory a stage may gain from its frame N to frame 2N")
    ap.add_argument("--minimise-seconds", type=float, default=600, help="per failure class; 0 keeps it whole")
    ap.add_argument("--out", default=os.path.join(tempfile.gettempdir(), "velmora-fuzz"))
    ap.add_argument("--replay", help="a kept case folder (OUT/classes/NAME)")
    ap.add_argument("--list", action="store_true", help="print the host functions and their argument kinds")
    args = ap.parse_args()
    if args.list:
        for name, kinds, hints, family, returns in host_functions():
            print("%s(%s)%s  %s" % (name, ", ".join("%s %s" % kh for kh in zip(kinds, hints)),
                                    " -> value" if returns else "", family))
        return 0
    if not args.exe:
        ap.error("--exe is required")
    args.exe = os.path.abspath(args.exe)
    args.out = os.path.abspath(args.out)
    os.makedirs(args.out, exist_ok=True)
    args.work = tempfile.mkdtemp(prefix="work-", dir=args.out)
    try:
        return replay(args) if args.replay else Campaign(args).run()
    finally:
        shutil.rmtree(args.work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
