#!/usr/bin/env python3
"""Figures for launcher-tool's update sets: building a ~200 MB client as ZIP
and RAR5 packs, verifying it, and a client holding one file over 4 GiB
(RAR5 pack, verified in place). Prints seconds and MB/s; asserts nothing
about speed.

usage: update_set_bench.py <launcher-tool> [--skip-large]"""
import os
import random
import subprocess
import sys
import tempfile
import time


def timed(label, megabytes, *args):
    start = time.monotonic()
    p = subprocess.run(args, capture_output=True, text=True)
    seconds = time.monotonic() - start
    if p.returncode != 0:
        sys.exit("%s failed: %s" % (label, p.stderr.strip()))
    print("%-34s %8.1f s %8.1f MB/s" % (label, seconds, megabytes / seconds if seconds else 0))


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    tool = sys.argv[1]
    rng = random.Random(5)
    with tempfile.TemporaryDirectory() as tmp:
        client = os.path.join(tmp, "client")
        total = 0
        for i in range(40):  # 40 x 5 MB, half random, half repetitive
            data = rng.randbytes(5 << 19) + (b"row %d " % i) * ((5 << 19) // 6)
            write(os.path.join(client, "data", "d%d" % (i % 4), "f%d.pak" % i), data)
            total += len(data)
        for i in range(2000):
            data = rng.randbytes(rng.randrange(0, 4000))
            write(os.path.join(client, "bin", "m%d" % (i % 20), "x%d.dll" % i), data)
            total += len(data)
        desc = os.path.join(tmp, "desc.xml")
        with open(desc, "w") as f:
            f.write('<updateSet clientVersion="1.0.0"><pack file="client.pkg"><include path="**"/></pack></updateSet>')
        mb = total / 1e6
        print("client: %.0f MB in 2040 files" % mb)
        timed("make-update-set (zip)", mb, tool, "make-update-set", client, desc, os.path.join(tmp, "zip"))
        timed("make-update-set (rar5)", mb, tool, "make-update-set", client, desc, os.path.join(tmp, "rar"), "--rar5")
        timed("verify", mb, tool, "verify", client, os.path.join(tmp, "zip"))
        if "--skip-large" in sys.argv:
            return
        large = os.path.join(tmp, "large")
        big = os.path.join(large, "video", "intro.bik")
        write(big, rng.randbytes(1 << 20))
        with open(big, "r+b") as f:  # sparse: 4.5 GiB without the disk space
            f.truncate(int(4.5 * (1 << 30)))
        mb = os.path.getsize(big) / 1e6
        timed("make-update-set, 4.5 GiB file (rar5)", mb, tool, "make-update-set", large, desc,
              os.path.join(tmp, "large-set"), "--rar5")
        timed("verify, 4.5 GiB file", mb, tool, "verify", large, os.path.join(tmp, "large-set"))


if __name__ == "__main__":
    main()
