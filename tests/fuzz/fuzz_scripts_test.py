#!/usr/bin/env python3
"""The script fuzzer's own measures and files, against a stand-in for the game."""
import os
import shutil
import struct
import sys
import tempfile
import unittest
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tools"))
sys.dont_write_bytecode = True  # nothing written in the source tree
import fuzz_scripts as fz  # noqa: E402

# Logs the two frame marks like a stage, holding [MB] more resident memory at the second.
GAME = """#!%s
import time
grow = %d
log = open("log.txt", "w", buffering=1)
print("noise " * 50, file=log)
time.sleep(0.2)
print("%s", file=log)
time.sleep(0.2)
held = bytearray(grow << 20)
for i in range(0, len(held), 4096):
    held[i] = 1
print("more noise", file=log)
print("%s", file=log)
time.sleep(0.3)
"""


def read(path):
    with open(path, "rb") as fh:
        return fh.read()


class FuzzerTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="fuzz-selftest-")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def game(self, grow, marks=fz.MARKS):
        exe = os.path.join(self.dir, "game-%d" % grow)
        with open(exe, "w") as fh:
            fh.write(GAME % ((sys.executable, grow) + marks))
        os.chmod(exe, 0o755)
        return exe

    def play(self, exe):
        run = os.path.join(self.dir, "run")
        os.makedirs(run, exist_ok=True)
        return fz.play(exe, run, 300, 30, 1024, False, os.path.join(self.dir, "err.txt"))

    def test_growth_between_the_marks(self):
        status, growth = self.play(self.game(200))
        self.assertEqual(status, 0)
        self.assertGreater(growth, 150 << 10)
        status, growth = self.play(self.game(0))
        self.assertEqual(status, 0)
        self.assertLess(growth, 40 << 10)
        # A stage that never reaches its frame 2N gives no measure, not a growth of 0.
        status, growth = self.play(self.game(200, (fz.MARKS[0], "something else")))
        self.assertIsNone(growth)

    def test_data_shapes_leave_the_content_alone(self):
        case = fz.Case([], [], "initialize.vkscript", files={"k0/": b"", "fzinc/c0.vkscript": b"x\n"},
                       data_files={"graphic/fog.png": b"replaced", "se/fzmute.wav": fz.wav_bytes(0)},
                       pack=True)
        before = read(os.path.join(ROOT, "data", "graphic", "fog.png"))
        case.write(self.dir, [])
        run = os.path.join(self.dir, "run")
        self.assertEqual(read(os.path.join(ROOT, "data", "graphic", "fog.png")), before)
        self.assertEqual(read(os.path.join(run, "data", "graphic", "fog.png")), b"replaced")
        self.assertFalse(os.path.islink(os.path.join(run, "data")))
        self.assertEqual(os.readlink(os.path.join(run, "data", "pack")), os.path.join(self.dir, "outside"))
        self.assertTrue(os.path.isdir(os.path.join(run, "k0")))

    def test_huge_picture_and_silent_wav_headers(self):
        png = fz.png_bytes(16384, 16384)
        self.assertLess(len(png), 1 << 20)
        width, height, depth = struct.unpack(">IIB", png[16:25])
        self.assertEqual((width, height, depth), (16384, 16384, 1))
        size = struct.unpack(">I", png[33:37])[0]
        self.assertEqual(len(zlib.decompress(png[41:41 + size])), 16384 * (1 + 16384 // 8))
        wav = fz.wav_bytes(0, 2)
        self.assertEqual(struct.unpack("<HH", wav[20:24]), (1, 0))
        self.assertEqual(struct.unpack("<I", wav[4:8])[0], len(wav) - 8)

    def test_report_names_the_game_frame_however_its_path_is_written(self):
        report = ("==1==ERROR: AddressSanitizer: specified RSS limit exceeded, currently set to soft_rss_limit_mb=1\n"
                  "    #0 0x7f in operator new(unsigned long) ../../../../src/libsanitizer/asan/asan_new_delete.cpp:95\n"
                  "    #1 0x55 in std::vector<int>::assign(unsigned long) /usr/include/c++/12/bits/stl_vector.h:804\n"
                  "    #2 0x56 in engine::HgeImpl::Texture_Create(int, int) %s:91\n")
        for path in ("../../engine/hge_gfx.cpp", os.path.join(ROOT, "engine", "hge_gfx.cpp")):
            self.assertEqual(fz.classify(0, report % path, {}, self.dir, ""),
                             "asan: memory in engine::HgeImpl::Texture_Create engine/hge_gfx.cpp")

    def test_cases_render_and_reach_the_marks(self):
        # Every shape turns up in some of these seeds; each stage declares what it calls and
        # logs both marks from its "Update".
        gen = fz.Generator(fz.host_functions(), fz.data_paths(), fz.ini_pairs(), fz.int_items())
        hosts = gen.hosts
        seen = set()
        for seed in range(200):
            case = gen.case(seed)
            stage = case.scripts[1].render(set(), hosts)
            self.assertIn('htLog("%s")' % fz.MARKS[1], stage)
            self.assertIn("host htLog(", stage)
            for word in ("fzTick", "fzSplit", "fzinc/c0", "k0/../stage", "fzS $ fzS", "fzhuge", "fzmute",
                         "data/pack", "htPlayEndTheme();", "htCreatePlayer();", "fog.png"):
                seen.update([word] if word in stage else [])
        self.assertEqual(len(seen), 11, seen)


if __name__ == "__main__":
    unittest.main()
