#!/usr/bin/env python3
"""Behaviour of launcher-tool as publishers use it: exit codes, one-line
reasons, slot patching that never damages a file, archives and tables.

usage: launcher_tool_test.py <launcher-tool> <assets folder>"""
import hashlib
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

TOOL = ASSETS = None
SLOTS = ["SERVER_URL", "UPDATE_PATH", "LANGUAGE", "AFFILIATE_ID", "REFERRER_ID", "PROMOCODE"]


def run(*args):
    p = subprocess.run([TOOL, *args], capture_output=True, text=True)
    return p.returncode, p.stdout, p.stderr


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def digest(path):
    return hashlib.sha256(read_bytes(path)).hexdigest()


class ToolTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def assertOneLineFailure(self, result, needle):
        code, out, err = result
        self.assertEqual(1, code)
        self.assertEqual(1, len(err.strip().splitlines()), err)
        self.assertTrue(err.startswith("launcher-tool: "), err)
        self.assertIn(needle, err)

    def fake_launcher(self):
        """An image holding the six slots between arbitrary bytes."""
        blob = bytearray(os.urandom(3000))
        for i, slot in enumerate(SLOTS):
            out = self.path(slot + ".bin")
            self.assertEqual(0, run("slot-make", slot, out)[0])
            blob += read_bytes(out) + bytes(range(37 + i))
        exe = self.path("Launcher.exe")
        with open(exe, "wb") as f:
            f.write(bytes(blob))
        return exe

    def checksum(self, exe):
        code, out, _ = run("checksum", exe)
        self.assertEqual(0, code)
        return dict(line.split() for line in out.splitlines())


class Usage(ToolTest):
    def test_help_and_unknown_commands(self):
        code, out, _ = run("--help")
        self.assertEqual(0, code)
        self.assertIn("slot-patch", out)
        self.assertEqual(2, run()[0])
        self.assertOneLineFailure(run("frobnicate"), "unknown command")
        code, out, _ = run("slot-patch", "--help")
        self.assertEqual(0, code)
        self.assertIn("usage: launcher-tool slot-patch", out)
        self.assertEqual(2, run("checksum")[0])


class Slots(ToolTest):
    def test_patch_show_and_checksum(self):
        exe = self.fake_launcher()
        before = self.checksum(exe)
        self.assertEqual(0, run("slot-patch", exe, "SERVER_URL", "https://a/", "https://b/")[0])
        self.assertEqual(0, run("slot-patch", exe, "LANGUAGE", "ru")[0])
        code, out, _ = run("slot-show", exe)
        self.assertEqual(0, code)
        self.assertIn("SERVER_URL    https://a/ https://b/", out)
        self.assertIn("LANGUAGE      ru", out)
        self.assertEqual(before, self.checksum(exe))
        self.assertEqual(0, run("slot-patch", exe, "LANGUAGE")[0])  # no value empties it
        self.assertIn("LANGUAGE      \n", run("slot-show", exe)[1])
        with open(exe, "r+b") as f:
            f.seek(5)
            b = f.read(1)
            f.seek(5)
            f.write(bytes([b[0] ^ 1]))
        self.assertNotEqual(before["A"], self.checksum(exe)["A"])

    def test_refusals_leave_the_file_untouched(self):
        exe = self.fake_launcher()
        original = digest(exe)
        self.assertOneLineFailure(run("slot-patch", exe, "LANGUAGE", "x" * 33), "capacity")
        self.assertOneLineFailure(run("slot-patch", exe, "PROMOCODE", "a", "b"), "one value")
        self.assertOneLineFailure(run("slot-patch", exe, "COLOUR", "red"), "unknown slot")
        self.assertOneLineFailure(run("slot-patch", exe, "SERVER_URL", "u" * 128), "capacity")
        self.assertEqual(original, digest(exe))
        plain = self.path("plain.exe")
        with open(plain, "wb") as f:
            f.write(b"MZ no slots here")
        self.assertOneLineFailure(run("slot-patch", plain, "LANGUAGE", "en"), "no LANGUAGE slot")
        self.assertOneLineFailure(run("slot-patch", self.path("missing.exe"), "LANGUAGE", "en"), "cannot open")
        self.assertEqual([], [n for n in os.listdir(self.dir) if "tmp" in n])


class Archives(ToolTest):
    def test_rar_create_list_extract(self):
        src = self.path("src")
        os.makedirs(os.path.join(src, "theme_kx", "fonts"))
        files = {"config.xml": b"<config/>", os.path.join("theme_kx", "fonts", "a.ttf"): os.urandom(70000),
                 "\u041c\u043e\u0432\u0430.txt": b"unicode"}
        for name, data in files.items():
            with open(os.path.join(src, name), "wb") as f:
                f.write(data)
        rar = self.path("p.rar")
        self.assertEqual(0, run("rar-create", src, rar)[0])
        first = digest(rar)
        self.assertEqual(0, run("rar-create", src, rar)[0])
        self.assertEqual(first, digest(rar))  # reproducible
        code, out, _ = run("archive-list", rar)
        self.assertEqual(0, code)
        self.assertIn("theme_kx\\fonts\\a.ttf", out)
        out_dir = self.path("out")
        self.assertEqual(0, run("archive-extract", rar, out_dir)[0])
        for name, data in files.items():
            self.assertEqual(data, read_bytes(os.path.join(out_dir, name)))

    def test_entries_escaping_the_folder_are_refused(self):
        for evil in ["../evil.txt", "/abs.txt", "a/../../evil2.txt", "C:evil3.txt"]:
            z = self.path("evil.zip")
            with zipfile.ZipFile(z, "w") as f:
                f.writestr("good.txt", "fine")
                f.writestr(evil, "bad")
            target = self.path("target")
            self.assertOneLineFailure(run("archive-extract", z, target), "outside the folder")
            self.assertFalse(os.path.exists(self.path("evil.txt")))
            self.assertFalse(os.path.exists(os.path.join(self.dir, "..", "evil2.txt")))

    def test_not_an_archive(self):
        junk = self.path("junk.rar")
        with open(junk, "wb") as f:
            f.write(b"nothing to see")
        self.assertOneLineFailure(run("archive-list", junk), "not a RAR or ZIP archive")


class StringTables(ToolTest):
    def test_round_trip_of_the_shipped_tables(self):
        for code in ["en", "uk", "kk", "ru"]:
            src = os.path.join(ASSETS, "strings", code + ".txt")
            lso = self.path(code + ".lso")
            self.assertEqual(0, run("lso-compile", src, lso)[0])
            data = read_bytes(lso)
            self.assertEqual(119, int.from_bytes(data[:4], "little"))
            back = self.path(code + ".txt")
            self.assertEqual(0, run("lso-decompile", lso, back)[0])
            again = self.path(code + "2.lso")
            self.assertEqual(0, run("lso-compile", back, again)[0])
            self.assertEqual(data, read_bytes(again))

    def test_bad_sources_and_tables(self):
        bad = self.path("bad.txt")
        with open(bad, "w") as f:
            f.write("0\t\n2\tgap\n")
        self.assertOneLineFailure(run("lso-compile", bad, self.path("x.lso")), "out of order")
        self.assertFalse(os.path.exists(self.path("x.lso")))
        lying = self.path("lying.lso")
        with open(lying, "wb") as f:
            f.write((1).to_bytes(4, "little") + bytes(4) + (1000).to_bytes(4, "little") + b"short")
        self.assertOneLineFailure(run("lso-decompile", lying, "-"), "runs past the end")


if __name__ == "__main__":
    TOOL, ASSETS = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]], verbosity=1)
