#!/usr/bin/env python3
"""Behaviour of launcher-tool as publishers use it: exit codes, one-line
reasons, slot patching that never damages a file, archives and tables,
update sets (packs, manifests, increments), verification, branding and the
CUD.dat cipher.

usage: launcher_tool_test.py <launcher-tool> <assets folder> [<emulator>]

With an emulator (the Windows build's wine-run) the Windows tool is tested;
cases Wine cannot show (Linux symbolic links and names Windows forbids, the
Linux rar program) are skipped there."""
import hashlib
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
import zipfile
import zlib

TOOL = ASSETS = None
EMULATOR = []
# Decided before the test classes are built: an emulator is the 4th argument.
EMULATOR_SKIP = len(sys.argv) > 3
SLOTS = ["SERVER_URL", "UPDATE_PATH", "LANGUAGE", "AFFILIATE_ID", "REFERRER_ID", "PROMOCODE"]


def run(*args, env=None):
    p = subprocess.run([*EMULATOR, TOOL, *args], capture_output=True, text=True, env=env)
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
        code, out, err = run("checksum", exe)
        self.assertEqual(0, code, err)
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
        for command in ["make-update-set", "make-increment", "verify", "brand", "cud-encrypt", "cud-decrypt"]:
            code, out, _ = run(command, "--help")
            self.assertEqual(0, code, command)
            self.assertIn("usage: launcher-tool " + command, out)
            self.assertEqual(2, run(command)[0], command)
        self.assertOneLineFailure(run("verify", "a", "b", "--platform"), "--platform needs a value")


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
        self.assertOneLineFailure(run("slot-patch", exe, "SERVER_URL", "u" * 129), "capacity")
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


def pe_with_version(a, b, c, d):
    """A minimal PE32 image whose only resource is a version resource."""
    img = bytearray(0x300)
    img[0:2] = b"MZ"
    struct.pack_into("<I", img, 60, 0x40)
    struct.pack_into("<IHH", img, 0x40, 0x4550, 0x14C, 1)
    struct.pack_into("<H", img, 0x54, 224)
    struct.pack_into("<H", img, 0x58, 0x10B)
    struct.pack_into("<II", img, 0x58 + 96 + 16, 0x1000, 0x100)
    sec = 0x58 + 224
    img[sec:sec + 5] = b".rsrc"
    struct.pack_into("<IIII", img, sec + 8, 0x100, 0x1000, 0x100, 0x200)
    r = 0x200
    struct.pack_into("<HII", img, r + 14, 1, 16, 0x80000018)
    struct.pack_into("<HII", img, r + 0x18 + 14, 1, 1, 0x80000030)
    struct.pack_into("<HII", img, r + 0x30 + 14, 1, 0x409, 0x48)
    struct.pack_into("<II", img, r + 0x48, 0x1058, 0x5C)
    v = r + 0x58
    struct.pack_into("<HH", img, v, 0x5C, 52)
    img[v + 6:v + 36] = "VS_VERSION_INFO".encode("utf-16-le")
    struct.pack_into("<III", img, v + 40, 0xFEEF04BD, 0x10000, (a << 16) | b)
    struct.pack_into("<II", img, v + 48, (a << 16) | b, (c << 16) | d)
    return bytes(img)


CYRILLIC_DIR = "\u0414\u0430\u043d\u0456 \u0433\u0440\u0438"          # "Дані гри"
CYRILLIC_FILE = "\u0444\u0430\u0439\u043b \u0437 \u043f\u0440\u043e\u0431\u0456\u043b\u043e\u043c.txt"

DESCRIPTION = """<?xml version="1.0" encoding="UTF-8"?>
<updateSet clientVersion="{version}">
  <pack type="ext" file="voice.pkg">
    <include path="voice"/>
    <info lang="en" sel="false"><name>Voice &amp; chat</name><exec>voice\\setup.exe</exec>
      <cmdl>/quiet</cmdl><help>Line one\\nLine two</help></info>
  </pack>
  <pack type="full" file="data.pkg"><include path="data/**/*.pak"/></pack>
  <pack type="full" file="client.pkg"><include path="**"/></pack>
  <exclude path="**/*.pdb"/>
  <ignore file="*\\*.cfg"/>
</updateSet>
"""

STATE_IGNORES = ["guest.dat", "CUD.dat", "CIF.dat", "update.xml", "silent.dat", "applist.dat", "addpkg.dat",
                 "changes.dat", "crc.txt", "tmp", "ext", "logs"]


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def sample_client(root, megabytes, seed=1):
    """Nested folders, Cyrillic and space-containing names, empty files; about
    `megabytes` of content, part random and part compressible."""
    rng = random.Random(seed)
    files = {
        "GameClient.exe": rng.randbytes(200000),
        "empty.dat": b"",
        os.path.join("bin", "empty folder file.cfg"): b"",
        os.path.join(CYRILLIC_DIR, CYRILLIC_FILE): "\u043f\u0440\u0438\u0432\u0456\u0442".encode() * 100,
        os.path.join("voice", "setup.exe"): rng.randbytes(5000),
        os.path.join("bin", "client.pdb"): b"debug symbols",
        os.path.join("data", "logs", "template.txt"): b"in a folder named like a kept one",
    }
    per = max(1, megabytes // 8)
    for i in range(8):
        block = rng.randbytes(per << 19) + (b"level %d " % i) * ((per << 19) // 8)
        files[os.path.join("data", "level%d" % (i % 3), "deep", "pack%d.pak" % i)] = block
    for i in range(200):
        files[os.path.join("bin", "sub %d" % (i % 10), "module%d.dll" % i)] = rng.randbytes(rng.randrange(0, 3000))
    for name, data in files.items():
        write(os.path.join(root, name), data)
    return files


class UpdateSets(ToolTest):
    def make_set(self, client, out, version="5.2.100", *extra, env=None):
        desc = self.path("desc-%s.xml" % version)
        with open(desc, "w", encoding="utf-8") as f:
            f.write(DESCRIPTION.format(version=version))
        return run("make-update-set", client, desc, out, *extra, env=env)

    def fake_launcher_with_version(self):
        exe = self.path("Launcher.exe")
        blob = bytearray(pe_with_version(1, 2, 3, 4))
        for slot in SLOTS:
            out = self.path(slot + ".bin")
            self.assertEqual(0, run("slot-make", slot, out)[0])
            blob += read_bytes(out) + os.urandom(50)
        write(exe, bytes(blob))
        return exe

    def install(self, set_dir, target, manifest_name="update.xml"):
        """Unpacks every non-increment pack of a set, as the unpacker would."""
        root = ET.parse(os.path.join(set_dir, manifest_name)).getroot()
        for pack in root.findall("PACK"):
            if pack.get("type") != "increment":
                self.assertEqual(0, run("archive-extract", os.path.join(set_dir, pack.get("file")), target)[0])

    def assertNoLeftovers(self, parent):
        self.assertEqual([], [n for n in os.listdir(parent) if ".partial-" in n or ".old-" in n])

    def test_set_is_parsed_installed_and_verified_like_the_launcher(self):
        client = self.path("client")
        files = sample_client(client, int(os.environ.get("LAUNCHER_TOOL_SAMPLE_MB", "200")))
        exe = self.fake_launcher_with_version()
        out = self.path("set")
        code, stdout, err = self.make_set(client, out, "5.2.100", "--launcher", exe)
        self.assertEqual(0, code, err)
        self.assertIn("writing client.pkg", stdout)
        self.assertIn(" MB (", stdout)  # progress lines
        root = ET.parse(os.path.join(out, "update.xml")).getroot()
        self.assertEqual("5.2.100", root.get("clientVersion"))
        self.assertRegex(root.get("modification"), "^[0-9a-f]{16}$")
        self.assertEqual("1.2.3.4", root.get("launcherVersion"))
        self.assertEqual(str(os.path.getsize(exe)), root.get("launcherSize"))
        self.assertEqual(self.checksum(exe)["A"], root.get("launcherCRC"))
        self.assertIsNone(root.get("launcherUrl"))
        self.assertEqual(read_bytes(exe), read_bytes(os.path.join(out, "Launcher.exe")))  # served from the update path
        ignores = [f.get("file") for f in root.find("IGNORE").findall("FILE")]
        self.assertEqual(["*\\" + n for n in STATE_IGNORES] + ["*\\*.cfg"], ignores)
        listed = {}
        for pack in root.findall("PACK"):
            data = read_bytes(os.path.join(out, pack.get("file")))
            self.assertEqual(str(zlib.crc32(data)), pack.get("crc"))
            self.assertEqual(str(len(data)), pack.get("size"))
            for f in pack.findall("FILE"):
                listed[f.get("file")] = (int(f.get("crc")), int(f.get("size")), pack.get("file"))
        expected = {k: v for k, v in files.items() if not k.endswith(".pdb")}
        self.assertEqual(sorted(k.replace(os.sep, "\\") for k in expected), sorted(listed))
        for name, data in expected.items():
            crc, size, pack = listed[name.replace(os.sep, "\\")]
            self.assertEqual(len(data), size)
            self.assertEqual(zlib.crc32(data) if data else 0xFFFFFFFF, crc)  # empty files carry 0xFFFFFFFF
            want = "voice.pkg" if name.startswith("voice") else "data.pkg" if name.endswith(".pak") else "client.pkg"
            self.assertEqual(want, pack)
        voice = root.find("PACK[@file='voice.pkg']")
        info = voice.find("INFO")
        self.assertEqual(("ext", "en", "false", "Voice & chat", "voice\\setup.exe", "Line one\\nLine two"),
                         (voice.get("type"), info.get("lang"), info.get("sel"), info.findtext("NAME"),
                          info.findtext("EXEC"), info.findtext("HELP")))
        with zipfile.ZipFile(os.path.join(out, "update.rxml")) as z:
            self.assertEqual(read_bytes(os.path.join(out, "update.xml")), z.read("update.xml"))
        with zipfile.ZipFile(os.path.join(out, "client.pkg")) as z:  # an independent reader
            self.assertIsNone(z.testzip())
            self.assertEqual(zipfile.ZIP_DEFLATED, z.getinfo("GameClient.exe").compress_type)

        inst = self.path("inst")
        self.install(out, inst)
        code, stdout, err = run("verify", inst, os.path.join(out, "update.rxml"))
        self.assertEqual(0, code, stdout + err)
        # The launcher's own files, logs and ignored names are no differences.
        for name in ["guest.dat", "CUD.dat", "update.xml", os.path.join("logs", "a.txt"),
                     os.path.join("tmp", "0000.12"), "client.log", os.path.join("bin", "user.cfg"), "Launcher.exe",
                     os.path.join("data", "logs", "today.txt")]:
            write(os.path.join(inst, name), b"state")
        self.assertEqual(0, run("verify", inst, out)[0])

        changed = os.path.join(inst, "data", "level1", "deep", "pack4.pak")
        with open(changed, "r+b") as f:
            f.seek(12345)
            byte = f.read(1)
            f.seek(12345)
            f.write(bytes([byte[0] ^ 0x40]))
        os.remove(os.path.join(inst, CYRILLIC_DIR, CYRILLIC_FILE))
        write(os.path.join(inst, "bin", "stray.dll"), b"old")
        write(os.path.join(inst, "empty.dat"), b"x")
        os.remove(os.path.join(inst, "data", "logs", "template.txt"))  # listed files in kept folders still count
        code, stdout, err = run("verify", inst, out)
        self.assertOneLineFailure((code, stdout, err), "5 difference(s)")
        self.assertIn("missing data\\logs\\template.txt", stdout)
        self.assertIn("crc data\\level1\\deep\\pack4.pak: manifest", stdout)
        self.assertIn("missing " + CYRILLIC_DIR + "\\" + CYRILLIC_FILE, stdout)  # only A-Z are lowered
        self.assertIn("extra bin\\stray.dll", stdout)
        self.assertIn("size empty.dat: manifest 0, found 1", stdout)
        # Add-on files count only when selected.
        shutil.rmtree(os.path.join(inst, "voice"))
        self.assertIn("missing voice\\setup.exe", run("verify", inst, out)[1])
        self.assertNotIn("voice", run("verify", inst, out, "--ext", "none")[1])
        self.assertIn("missing voice\\setup.exe", run("verify", inst, out, "--ext", "voice\\setup.exe")[1])

    def test_rebuilds_are_byte_identical(self):
        client = self.path("client")
        sample_client(client, 8)
        exe = self.fake_launcher_with_version()
        for extra in [(), ("--manifest-rar",)] if EMULATOR else [(), ("--rar5", "--manifest-rar")]:
            a, b = self.path("a"), self.path("b")
            self.assertEqual(0, self.make_set(client, a, "1.0.0", "--launcher", exe, *extra)[0])
            self.assertEqual(0, self.make_set(client, b, "1.0.0", "--launcher", exe, *extra)[0])
            self.assertEqual(sorted(os.listdir(a)), sorted(os.listdir(b)))
            for name in os.listdir(a):
                self.assertEqual(digest(os.path.join(a, name)), digest(os.path.join(b, name)), name)
            # Re-running into an existing set replaces it whole.
            self.assertEqual(0, self.make_set(client, a, "1.0.0", "--launcher", exe, *extra)[0])
            self.assertEqual(digest(os.path.join(a, "update.rxml")), digest(os.path.join(b, "update.rxml")))
            self.assertNoLeftovers(self.dir)
            shutil.rmtree(a)
            shutil.rmtree(b)

    @unittest.skipIf(EMULATOR_SKIP, "needs Linux names, links or the rar program")
    def test_rar5_packs_and_rar_manifest(self):
        client = self.path("client")
        sample_client(client, 2)
        out = self.path("set")
        code, _, err = self.make_set(client, out, "2.0.1", "--rar5", "--manifest-rar", "--launcher",
                                     self.fake_launcher_with_version(), "--launcher-url", "https://cdn.example/L.exe")
        self.assertEqual(0, code, err)
        self.assertEqual(b"Rar!\x1a\x07\x01\x00", read_bytes(os.path.join(out, "client.pkg"))[:8])  # RAR5
        self.assertEqual(b"Rar!\x1a\x07\x00", read_bytes(os.path.join(out, "update.rxml"))[:7])   # RAR 2.9
        self.assertFalse(os.path.exists(os.path.join(out, "Launcher.exe")))  # published elsewhere
        root = ET.parse(os.path.join(out, "update.xml")).getroot()
        self.assertEqual("https://cdn.example/L.exe", root.get("launcherUrl"))
        inst = self.path("inst")
        self.install(out, inst)
        code, stdout, err = run("verify", inst, os.path.join(out, "update.rxml"))
        self.assertEqual(0, code, stdout + err)

    def test_increment_applied_over_the_old_version_verifies_clean(self):
        old_client, new_client = self.path("v1"), self.path("v2")
        files = sample_client(old_client, 4)
        shutil.copytree(old_client, new_client)
        write(os.path.join(new_client, "GameClient.exe"), b"new client build")
        write(os.path.join(new_client, CYRILLIC_DIR, "\u043d\u043e\u0432\u0438\u0439.txt"), b"added file")
        write(os.path.join(new_client, "bin", "sub 3", "module3.dll"), b"")  # now empty
        write(os.path.join(new_client, "voice", "setup.exe"), b"new add-on")  # stays in its ext pack
        old_set, new_set = self.path("set1"), self.path("set2")
        self.assertEqual(0, self.make_set(old_client, old_set, "5.2.100")[0])
        self.assertEqual(0, self.make_set(new_client, new_set, "5.2.101")[0])
        before = digest(os.path.join(new_set, "client.pkg"))
        code, stdout, err = run("make-increment", old_set, new_client, new_set)
        self.assertEqual(0, code, err)
        self.assertIn("3 changed or added files", stdout)
        root = ET.parse(os.path.join(new_set, "update.xml")).getroot()
        inc = root.find("PACK[@type='increment']")
        self.assertEqual("increment-5.2.100-5.2.101.pkg", inc.get("file"))
        self.assertEqual(sorted(["GameClient.exe", CYRILLIC_DIR + "\\\u043d\u043e\u0432\u0438\u0439.txt",
                                 "bin\\sub 3\\module3.dll"]), sorted(f.get("file") for f in inc.findall("FILE")))
        data = read_bytes(os.path.join(new_set, inc.get("file")))
        self.assertEqual((str(zlib.crc32(data)), str(len(data))), (inc.get("crc"), inc.get("size")))
        self.assertEqual(before, digest(os.path.join(new_set, "client.pkg")))  # full packs untouched
        with zipfile.ZipFile(os.path.join(new_set, "update.rxml")) as z:
            self.assertEqual(read_bytes(os.path.join(new_set, "update.xml")), z.read("update.xml"))

        inst = self.path("inst")
        self.install(old_set, inst)
        self.assertEqual(1, run("verify", inst, new_set)[0])
        self.assertEqual(0, run("archive-extract", os.path.join(new_set, inc.get("file")), inst)[0])
        code, stdout, err = run("verify", inst, new_set, "--ext", "none")
        self.assertEqual(0, code, stdout + err)
        self.assertIn("voice\\setup.exe", run("verify", inst, new_set)[1])  # the add-on comes with its own pack
        # Running it again replaces the increment instead of adding a second.
        self.assertEqual(0, run("make-increment", os.path.join(old_set, "update.xml"), new_client, new_set)[0])
        self.assertEqual(1, len(ET.parse(os.path.join(new_set, "update.xml")).getroot().findall("PACK[@type='increment']")))
        self.assertOneLineFailure(run("make-increment", new_set, new_client, new_set), "nothing changed")
        write(os.path.join(new_client, "GameClient.exe"), b"drifted after the set was built")
        self.assertOneLineFailure(run("make-increment", old_set, new_client, new_set), "differs from the new set")
        self.assertNoLeftovers(self.dir)

    @unittest.skipIf(EMULATOR_SKIP, "needs Linux names, links or the rar program")
    def test_bad_input_names_the_file_and_writes_no_set(self):
        out = self.path("set")
        cases = [("a?b.txt", "forbids (?)"), ("con.txt", "reserved Windows device name"),
                 ("trailing.", "ends in a dot"), ("x" * 201, "longer than 200"), ("tab\there", "control character")]
        for name, reason in cases:
            client = self.path("client-bad")
            sample_client(client, 1)
            write(os.path.join(client, "bin", name), b"x")
            code, stdout, err = self.make_set(client, out)
            self.assertOneLineFailure((code, stdout, err), reason)
            self.assertIn(name, err)
            self.assertFalse(os.path.exists(out))
            shutil.rmtree(client)
        client = self.path("client")
        sample_client(client, 1)
        os.symlink("GameClient.exe", os.path.join(client, "link.exe"))
        self.assertOneLineFailure(self.make_set(client, out), "link.exe: symbolic links")
        os.remove(os.path.join(client, "link.exe"))
        twin = os.path.join(client, "bin", "SUB 1", "module1.dll")
        write(twin, b"case twin")
        self.assertOneLineFailure(self.make_set(client, out), "differs only in case")
        shutil.rmtree(os.path.dirname(twin))

        # An existing set stays as it was when a rebuild fails.
        self.assertEqual(0, self.make_set(client, out)[0])
        kept = digest(os.path.join(out, "update.rxml"))
        env = dict(os.environ, PATH="/nonexistent")
        self.assertOneLineFailure(self.make_set(client, out, "5.2.100", "--rar5", env=env),
                                  "rar not found on PATH (needed for the RAR5 pack voice.pkg)")
        self.assertEqual(kept, digest(os.path.join(out, "update.rxml")))
        if os.geteuid() != 0:  # root reads any file
            os.chmod(os.path.join(client, "GameClient.exe"), 0)
            self.assertOneLineFailure(self.make_set(client, out), "GameClient.exe")
            os.chmod(os.path.join(client, "GameClient.exe"), 0o644)
        self.assertOneLineFailure(self.make_set(client, os.path.join(client, "out")), "inside the client folder")
        precious = self.path("documents")
        write(os.path.join(precious, "letter.txt"), b"keep me")
        self.assertOneLineFailure(self.make_set(client, precious), "holds files but no update set")
        self.assertEqual(b"keep me", read_bytes(os.path.join(precious, "letter.txt")))
        bad = self.path("bad.xml")
        for text, reason in [("<updateSet clientVersion='1'><pack file='a.zip'/></updateSet>", "must be a plain name ending in .pkg"),
                             ("<updateSet clientVersion='1'><pack file='a.pkg'><include path='nothing'/></pack></updateSet>", "belongs to no pack"),
                             ("<updateSet><pack file='a.pkg'/></updateSet>", "no clientVersion"),
                             ("<updateSet clientVersion='1'><pack type='ext' file='a.pkg'><include path='**'/></pack></updateSet>", "need at least one info"),
                             ("<updateSet", "not XML")]:
            with open(bad, "w") as f:
                f.write(text)
            self.assertOneLineFailure(run("make-update-set", client, bad, out), reason)
        self.assertEqual(kept, digest(os.path.join(out, "update.rxml")))
        self.assertNoLeftovers(self.dir)


class DocumentedExample(ToolTest):
    @unittest.skipIf(EMULATOR_SKIP, "needs Linux names, links or the rar program")
    def test_the_example_description_builds_a_set(self):
        client = self.path("client")
        for name in ["bin64/game.exe", "bin32/game.exe", "data/levels/a/b/one.pak", "data/levels/two.pak",
                     "addons/voice/setup.exe", "editor/editor.exe", "data/hd/tex.pak", "GameClient.exe",
                     "config/user.cfg", "bin64/game.pdb", "Launcher.exe"]:
            write(os.path.join(client, name), name.encode())
        example = os.path.join(ASSETS, "..", "docs", "update-set.example.xml")
        out = self.path("set")
        code, _, err = run("make-update-set", client, example, out)
        self.assertEqual(0, code, err)
        root = ET.parse(os.path.join(out, "update.xml")).getroot()
        packs = {p.get("file"): p for p in root.findall("PACK")}
        self.assertEqual(["bin64.pkg", "bin32.pkg", "levels.pkg", "voice.pkg", "editor.pkg", "hd.pkg", "client.pkg"],
                         [p.get("file") for p in root.findall("PACK")])
        self.assertEqual("64", packs["bin64.pkg"].get("platform"))
        self.assertEqual(["data\\levels\\a\\b\\one.pak", "data\\levels\\two.pak"],
                         [f.get("file") for f in packs["levels.pkg"].findall("FILE")])
        self.assertEqual(b"Rar!", read_bytes(os.path.join(out, "levels.pkg"))[:4])
        self.assertEqual(["en", "ru"], [i.get("lang") for i in packs["voice.pkg"].findall("INFO")])
        self.assertEqual(["GameClient.exe", "config\\user.cfg"], [f.get("file") for f in packs["client.pkg"].findall("FILE")])
        inst = self.path("inst")
        for name in packs:
            if name != "bin32.pkg":  # a 64-bit installation
                self.assertEqual(0, run("archive-extract", os.path.join(out, name), inst)[0])
        code, stdout, err = run("verify", inst, out, "--add", "hd.pkg")
        self.assertEqual(0, code, stdout + err)
        self.assertIn("extra data\\hd\\tex.pak", run("verify", inst, out)[1])  # not listed in addpkg.dat
        stdout = run("verify", inst, out, "--add", "hd.pkg", "--platform", "32")[1]
        self.assertIn("missing bin32\\game.exe", stdout)
        self.assertIn("extra bin64\\game.exe", stdout)


class Branding(ToolTest):
    def test_brand_sets_several_slots_or_none(self):
        exe = self.fake_launcher()
        before = self.checksum(exe)
        out = self.path("Branded.exe")
        code, stdout, _ = run("brand", exe, "--out", out, "--server-url", "https://a/", "--server-url", "https://b/",
                              "--update-path", "/updates/", "--language", "kk", "--promocode", "SPRING")
        self.assertEqual(0, code)
        self.assertIn("4 slot(s) set, launcher checksum " + before["A"], stdout)
        shown = run("slot-show", out)[1]
        for line in ["SERVER_URL    https://a/ https://b/", "UPDATE_PATH   /updates/", "LANGUAGE      kk",
                     "PROMOCODE     SPRING", "AFFILIATE_ID  \n"]:
            self.assertIn(line, shown)
        self.assertEqual(before, self.checksum(out))
        original = digest(exe)
        self.assertOneLineFailure(run("brand", exe, "--language", "ru", "--affiliate", "a" * 65), "AFFILIATE_ID")
        self.assertOneLineFailure(run("brand", exe), "nothing to brand")
        self.assertOneLineFailure(run("brand", exe, "--colour", "red"), "unknown option --colour")
        self.assertEqual(original, digest(exe))  # the good value was not written either


class SignedSets(ToolTest):
    """keygen, --sign, verify --publisher-key and brand --publisher-key,
    with the signature checked by the openssl program on its own."""

    def key_pair(self, name):
        private, public = self.path(name + ".pem"), self.path(name + ".pub")
        code, _, err = run("keygen", private, public)
        self.assertEqual(0, code, err)
        with open(public) as f:
            text = f.read().strip()
        self.assertRegex(text, "^[0-9a-f]{64}$")
        der = subprocess.run(["openssl", "pkey", "-in", private, "-pubout", "-outform", "DER"],
                             capture_output=True, check=True).stdout
        self.assertEqual(der[-32:].hex(), text)
        return private, public

    def assertSignedBy(self, private, folder):
        pub_pem = self.path("pub.pem")
        subprocess.run(["openssl", "pkey", "-in", private, "-pubout", "-out", pub_pem], check=True)
        signature = os.path.join(folder, "update.rxml.sig")
        self.assertEqual(64, os.path.getsize(signature))
        check = subprocess.run(["openssl", "pkeyutl", "-verify", "-pubin", "-inkey", pub_pem, "-rawin",
                                "-in", os.path.join(folder, "update.rxml"), "-sigfile", signature],
                               capture_output=True, text=True)
        self.assertEqual(0, check.returncode, check.stdout + check.stderr)

    def small_client(self, root, tag):
        write(os.path.join(root, "GameClient.exe"), b"client " + tag * 1000)
        write(os.path.join(root, "data", "level0", "deep", "a.pak"), os.urandom(5000) + tag)
        write(os.path.join(root, "voice", "setup.exe"), b"voice")

    def test_signed_set_increment_and_verify(self):
        private, public = self.key_pair("publisher")
        other_private, other_public = self.key_pair("other")
        self.assertOneLineFailure(run("keygen", private, self.path("x.pub")), "not replacing a key")
        client, out = self.path("client"), self.path("set")
        self.small_client(client, b"1")
        exe = UpdateSets.fake_launcher_with_version(self)
        code, stdout, err = UpdateSets.make_set(self, client, out, "5.2.100", "--launcher", exe, "--sign", private)
        self.assertEqual(0, code, err)
        self.assertIn("signed", stdout)
        self.assertSignedBy(private, out)
        root = ET.parse(os.path.join(out, "update.xml")).getroot()
        for pack in root.findall("PACK"):
            self.assertEqual(digest(os.path.join(out, pack.get("file"))), pack.get("sha256"))
        self.assertRegex(root.get("launcherSHA256"), "^[0-9a-f]{64}$")
        installed = self.path("installed")
        UpdateSets.install(self, out, installed)
        code, stdout, err = run("verify", installed, out, "--publisher-key", public)
        self.assertEqual(0, code, stdout + err)
        self.assertIn("signature good", stdout)
        # Two keys: one that verifies is enough (rotation).
        self.assertEqual(0, run("verify", installed, out, "--publisher-key", other_public,
                                "--publisher-key", public)[0])
        code, stdout, _ = run("verify", installed, out, "--publisher-key", other_public)
        self.assertEqual(1, code)
        self.assertIn("signature the signature does not match", stdout)
        # A branded launcher keeps its hash: the hash leaves the slots out.
        launcher = os.path.join(out, "Launcher.exe")
        self.assertEqual(0, run("brand", launcher, "--affiliate", "partner7")[0])
        self.assertEqual(0, run("verify", installed, out, "--publisher-key", public)[0])
        # A changed pack shows, though its manifest entry is as before.
        pack = os.path.join(out, "data.pkg")
        data = bytearray(read_bytes(pack))
        data[len(data) // 2] ^= 1
        write(pack, bytes(data))
        code, stdout, _ = run("verify", installed, out, "--publisher-key", public)
        self.assertEqual(1, code)
        self.assertIn("sha256 data.pkg", stdout)
        data[len(data) // 2] ^= 1
        write(pack, bytes(data))

        # An increment signed again; without --sign the old signature goes.
        self.small_client(client, b"2")
        signed_again = self.path("set2")
        self.assertEqual(0, UpdateSets.make_set(self, client, signed_again, "5.2.101", "--sign", private)[0])
        self.assertEqual(0, run("make-increment", out, client, signed_again, "--sign", other_private)[0])
        self.assertSignedBy(other_private, signed_again)
        root = ET.parse(os.path.join(signed_again, "update.xml")).getroot()
        increments = [p for p in root.findall("PACK") if p.get("type") == "increment"]
        self.assertEqual(1, len(increments))
        self.assertEqual(digest(os.path.join(signed_again, increments[0].get("file"))), increments[0].get("sha256"))
        code, stdout, _ = run("make-increment", out, client, signed_again)
        self.assertEqual(0, code)
        self.assertIn("not any more", stdout)
        self.assertFalse(os.path.exists(os.path.join(signed_again, "update.rxml.sig")))
        self.assertNotIn("sha256", read_bytes(os.path.join(signed_again, "update.xml")).decode())
        # An unsigned build writes neither hashes nor a signature.
        plain = self.path("plain")
        self.assertEqual(0, UpdateSets.make_set(self, client, plain, "5.2.101")[0])
        self.assertEqual(["client.pkg", "data.pkg", "update.rxml", "update.xml", "voice.pkg"], sorted(os.listdir(plain)))
        self.assertNotIn("sha256", read_bytes(os.path.join(plain, "update.xml")).decode())
        code, _, err = UpdateSets.make_set(self, client, self.path("x"), "5.2.101", "--sign", public)
        self.assertOneLineFailure((code, "", err), "not a PEM private key")

    def test_brand_writes_the_keys_into_the_embedded_configuration(self):
        _, public = self.key_pair("publisher")
        with open(public) as f:
            key = f.read().strip()
        other = "AB" * 32
        package = self.path("package.rar")
        self.assertEqual(0, run("rar-create", os.path.join(ASSETS, "package"), package)[0])
        exe = self.fake_launcher()
        with open(exe, "ab") as f:
            f.write(read_bytes(package) + os.urandom(100))
        size = os.path.getsize(exe)
        code, stdout, err = run("brand", exe, "--publisher-key", public, "--publisher-key", other)
        self.assertEqual(0, code, err)
        self.assertIn("2 publisher key(s) set", stdout)
        self.assertEqual(size, os.path.getsize(exe))
        image = read_bytes(exe)
        start = image.index(b"Rar!\x1a\x07\x00")
        write(self.path("embedded.rar"), image[start:start + os.path.getsize(package)])
        extracted = self.path("extracted")
        code, _, err = run("archive-extract", self.path("embedded.rar"), extracted)
        self.assertEqual(0, code, err)  # the entry's checksums were written too
        config = ET.parse(os.path.join(extracted, "config.xml")).getroot()
        self.assertEqual([key, other.lower()], config.find("common/publisherKeys").text.split())
        original = digest(exe)
        self.assertOneLineFailure(run("brand", exe, "--publisher-key", key, "--publisher-key", key,
                                      "--publisher-key", key), "at most two")
        self.assertOneLineFailure(run("brand", exe, "--publisher-key", "12" * 31), "neither 64 hexadecimal digits")
        self.assertEqual(original, digest(exe))
        self.assertOneLineFailure(run("brand", self.fake_launcher(), "--publisher-key", key), "no embedded package")


class CudFiles(ToolTest):
    DOC = ('<ClientUpdateData><Face id="velomar"><LoginURLs><URL>https://a/</URL></LoginURLs></Face>'
           '<Location country="N/A" city="N/A"/></ClientUpdateData>')

    def test_encrypt_decrypt_and_an_independent_cipher(self):
        src, dat, back = self.path("cud.xml"), self.path("CUD.dat"), self.path("back.xml")
        with open(src, "w") as f:
            f.write(self.DOC)
        self.assertEqual(0, run("cud-encrypt", src, dat)[0])
        data = read_bytes(dat)
        self.assertEqual((len(self.DOC) // 16 + 1) * 16, len(data))
        if shutil.which("openssl"):
            plain = subprocess.run(["openssl", "enc", "-d", "-aes-128-ecb", "-K", "7D31C0A9E4B2F85617C3D09A2E6B4F81",
                                    "-in", dat], capture_output=True).stdout
            self.assertEqual(self.DOC.encode(), plain)
        self.assertEqual(0, run("cud-decrypt", dat, back)[0])
        self.assertEqual(self.DOC.encode(), read_bytes(back))
        self.assertEqual(self.DOC, run("cud-decrypt", dat, "-")[1])
        key = "00112233445566778899AABBCCDDEEFF"
        self.assertEqual(0, run("cud-encrypt", src, dat, "--key", key)[0])
        self.assertNotEqual(data, read_bytes(dat))
        self.assertEqual(self.DOC, run("cud-decrypt", dat, "-", "--key", key)[1])

    def test_refusals(self):
        src = self.path("cud.xml")
        with open(src, "w") as f:
            f.write(self.DOC)
        self.assertOneLineFailure(run("cud-encrypt", src, self.path("x.dat"), "--key", "1234"), "32 hexadecimal digits")
        self.assertOneLineFailure(run("cud-decrypt", src, "-"), "is not enciphered")
        with open(self.path("junk.dat"), "wb") as f:
            f.write(b"\x01" * 20)
        self.assertOneLineFailure(run("cud-decrypt", self.path("junk.dat"), "-"), "cannot decipher")
        with open(self.path("other.xml"), "w") as f:
            f.write("<config/>")
        self.assertOneLineFailure(run("cud-encrypt", self.path("other.xml"), self.path("x.dat")), "not a ClientUpdateData")
        self.assertFalse(os.path.exists(self.path("x.dat")))


if __name__ == "__main__":
    TOOL, ASSETS = sys.argv[1], sys.argv[2]
    EMULATOR = sys.argv[3:4]
    unittest.main(argv=[sys.argv[0]], verbosity=1)
