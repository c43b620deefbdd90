#!/usr/bin/env python3
"""Checks a built Launcher.exe: machine and GUI subsystem, the application
manifest, the version resource, icon 101, the six patchable slots with their
shipped values, the embedded package, and no mingw runtime DLL imports.

usage: check_pe.py <exe> <i686|x86_64>"""
import struct
import sys

RT_ICON_GROUP, RT_VERSION, RT_MANIFEST = 14, 16, 24
SUPPORTED_OS = [
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10
]
FORBIDDEN_DLLS = ("libstdc++", "libgcc", "libwinpthread", "libcrypto", "libz", "zlib1")
# (type name, id, resource size, shipped value); publishers find a slot in
# the finished file by its marker and patch it within that size.
SLOTS = [
    ("SERVER_URL", 132, 146, b"http://127.0.0.1:8080/"),
    ("UPDATE_PATH", 133, 147, b"/game-clients/win32/velomar/updates.velomar/"),
    ("LANGUAGE", 134, 48, b"en"),
    ("AFFILIATE_ID", 135, 84, b""),
    ("REFERRER_ID", 136, 83, b""),
    ("PROMOCODE", 137, 81, b""),
]
PACKAGE = ("ZIP", 130)
RAR29_SIGNATURE = b"Rar!\x1a\x07\x00"
STRING_TABLES = ["stringtable_launcher_en_english.lso", "stringtable_launcher_kk_kazakh.lso",
                 "stringtable_launcher_ru_russian.lso", "stringtable_launcher_uk_ukrainian.lso"]


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0", "not a PE file"
        self.machine, nsections = struct.unpack_from("<HH", data, pe + 4)
        opt_size = struct.unpack_from("<H", data, pe + 20)[0]
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
        dirs = opt + (96 if self.magic == 0x10B else 112)
        self.dirs = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(nsections):
            s = opt + opt_size + 40 * i
            vsize, va, rsize, raw = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((va, max(vsize, rsize), raw))

    def off(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("rva %x outside sections" % rva)

    def cstr(self, rva):
        o = self.off(rva)
        return self.data[o:self.data.index(b"\0", o)].decode()

    def imports(self):
        rva = self.dirs[1][0]
        names = []
        while rva:
            name_rva = struct.unpack_from("<I", self.data, self.off(rva) + 12)[0]
            if not name_rva:
                break
            names.append(self.cstr(name_rva))
            rva += 20
        return names

    def resources(self):
        """{(type, id): bytes} for the first language of each entry; a named
        type or id is its text, a numbered one its number."""
        base_rva = self.dirs[2][0]
        base = self.off(base_rva)
        out = {}

        def entries(o):
            named, ids = struct.unpack_from("<HH", self.data, o + 12)
            for i in range(named + ids):
                name, ptr = struct.unpack_from("<II", self.data, o + 16 + 8 * i)
                if name & 0x80000000:
                    at = base + (name & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, at)[0]
                    name = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield name, ptr

        for tname, tptr in entries(base):
            for iname, iptr in entries(base + (tptr & 0x7FFFFFFF)):
                for _, lptr in entries(base + (iptr & 0x7FFFFFFF)):
                    drva, size = struct.unpack_from("<II", self.data, base + lptr)
                    o = self.off(drva)
                    out[(tname, iname)] = self.data[o:o + size]
                    break
        return out


def rar29_names(data):
    """The entry names of a RAR 2.9 archive, read from its file headers."""
    names = []
    at = len(RAR29_SIGNATURE)
    while at + 7 <= len(data):
        kind, flags, head = struct.unpack_from("<BHH", data, at + 2)
        if head < 7:
            raise ValueError("block header of %d bytes at %d" % (head, at))
        size = head
        if kind == 0x74:
            packed = struct.unpack_from("<I", data, at + 7)[0]
            name_size = struct.unpack_from("<H", data, at + 26)[0]
            large = flags & 0x100
            if large:
                packed |= struct.unpack_from("<I", data, at + 32)[0] << 32
            name_at = at + 32 + (8 if large else 0)
            # A Unicode name follows the plain one after a zero byte.
            names.append(data[name_at:name_at + name_size].split(b"\0")[0].decode("latin-1"))
            size += packed
        elif flags & 0x8000:
            size += struct.unpack_from("<I", data, at + 7)[0]
        if kind == 0x7B:
            break
        at += size
    return names


def check_slots(res):
    errors = []
    for name, rid, size, value in SLOTS:
        data = res.get((name, rid))
        if data is None:
            errors.append("no %s resource %d" % (name, rid))
            continue
        marker = (name + "_HERE:").encode() + b"\0"
        expected = (marker + value).ljust(size, b"\0")
        if len(data) != size:
            errors.append("%s is %d bytes, expected %d" % (name, len(data), size))
        elif data != expected:
            errors.append("%s holds %r, expected marker, zero, %r and zero padding" % (name, data, value))
    return errors


def check_package(res):
    package = res.get(PACKAGE)
    if package is None:
        return ["no %s resource %d" % PACKAGE]
    if not package.startswith(RAR29_SIGNATURE):
        return ["%s %d starts with %r, not the RAR 2.9 signature" % (*PACKAGE, package[:8])]
    names = rar29_names(package)
    errors = []
    if "config.xml" not in names:
        errors.append("the package lacks config.xml")
    if not any(n.startswith("theme_kx\\") for n in names):
        errors.append("the package lacks theme_kx\\")
    tables = sorted(n for n in names if n.startswith("stringtable_launcher_"))
    if tables != STRING_TABLES:
        errors.append("the package's string tables are %s" % tables)
    return errors


def main():
    path, arch = sys.argv[1], sys.argv[2]
    pe = Pe(open(path, "rb").read())
    errors = []
    want_machine, want_magic = {"i686": (0x14C, 0x10B), "x86_64": (0x8664, 0x20B)}[arch]
    if (pe.machine, pe.magic) != (want_machine, want_magic):
        errors.append("machine %#x / magic %#x, expected %#x / %#x" % (pe.machine, pe.magic, want_machine, want_magic))
    if pe.subsystem != 2:
        errors.append("subsystem %d is not GUI" % pe.subsystem)
    bad = [d for d in pe.imports() if d.lower().startswith(FORBIDDEN_DLLS)]
    if bad:
        errors.append("imports runtime DLLs: %s" % ", ".join(bad))
    res = pe.resources()
    manifest = res.get((RT_MANIFEST, 1), b"").decode("utf-8", "replace")
    for needle in ['name="GameLauncher"', 'level="asInvoker"', 'name="Microsoft.Windows.Common-Controls"',
                   'version="6.0.0.0"'] + SUPPORTED_OS:
        if needle not in manifest:
            errors.append("manifest lacks %s" % needle)
    version = res.get((RT_VERSION, 1), b"")
    sig = version.find(struct.pack("<I", 0xFEEF04BD))
    if sig < 0:
        errors.append("no fixed version information")
    else:
        ms, ls = struct.unpack_from("<II", version, sig + 8)
        print("file version %d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF))
    if (RT_ICON_GROUP, 101) not in res:
        errors.append("no icon group 101")
    errors += check_slots(res)
    errors += check_package(res)
    for e in errors:
        print("check_pe: %s: %s" % (path, e))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
