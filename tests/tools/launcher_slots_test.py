#!/usr/bin/env python3
"""The six slots of the built Launcher.exe as a publisher patches them with
launcher-tool: values at full capacity read back in order and keep both
launcher checksums, a changed code byte changes them, a value over capacity
is refused without touching the file; under Wine the launcher's own /crc
answer is the tool's variant A checksum, patched or not.

usage: launcher_slots_test.py <launcher-tool> <Launcher.exe> <wineprefix>

Run inside a Wine session (scripts/wine-session.sh); the prefix is used only
when WINEPREFIX is not set."""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'helpers'))
sys.path.insert(0, os.path.join(HERE, '..', 'e2e'))
import check_pe  # noqa: E402
import e2e_support as e2e  # noqa: E402

TOOL = LAUNCHER = None
CAPACITY = {'SERVER_URL': 128, 'UPDATE_PATH': 128, 'LANGUAGE': 32, 'AFFILIATE_ID': 64, 'REFERRER_ID': 64,
            'PROMOCODE': 64}


def filled(prefix, size, fill):
    return prefix + fill * (size - len(prefix))


# Every slot at its capacity; the two URLs take 128 bytes with the zero
# between them.
TWO_URLS = [filled('https://one.example/', 63, 'a'), filled('https://two.example/', 64, 'b')]
ONE_URL = [filled('https://only.example/', 128, 'c')]
FULL = {
    'UPDATE_PATH': [filled('/', 127, 'u') + '/'],
    'LANGUAGE': ['l' * 32],
    'AFFILIATE_ID': [filled('affiliate-', 64, '1')],
    'REFERRER_ID': [filled('referrer-', 64, '2')],
    'PROMOCODE': [filled('PROMO', 64, '3')],
}


def run(*args):
    p = subprocess.run([TOOL, *args], stdin=subprocess.DEVNULL, capture_output=True, text=True)
    return p.returncode, p.stdout, p.stderr


def digest(path):
    with open(path, 'rb') as f:
        return hashlib.sha256(f.read()).hexdigest()


class RealLauncher(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)

    def copy(self, folder='game'):
        os.makedirs(os.path.join(self.tmp.name, folder))
        exe = os.path.join(self.tmp.name, folder, 'Launcher.exe')
        shutil.copyfile(LAUNCHER, exe)
        return exe

    def checksum(self, exe):
        code, out, err = run('checksum', exe)
        self.assertEqual(0, code, err)
        return dict(line.split() for line in out.splitlines())

    def patch(self, exe, slot, values):
        code, _, err = run('slot-patch', exe, slot, *values)
        self.assertEqual(0, code, '%s: %s' % (slot, err))

    def patch_all(self, exe, urls):
        self.patch(exe, 'SERVER_URL', urls)
        for slot, values in FULL.items():
            self.patch(exe, slot, values)


class Patching(RealLauncher):
    def assertShows(self, exe, urls):
        code, out, err = run('slot-show', exe)
        self.assertEqual(0, code, err)
        shown = dict(FULL, SERVER_URL=[' '.join(urls)])
        self.assertEqual(''.join('%-13s %s\n' % (slot, shown[slot][0]) for slot in CAPACITY), out)

    def test_full_slots_read_back_in_order_and_keep_the_checksums(self):
        exe = self.copy()
        shipped = self.checksum(exe)
        self.patch_all(exe, TWO_URLS)
        self.assertShows(exe, TWO_URLS)
        self.assertEqual(shipped, self.checksum(exe))
        self.patch(exe, 'SERVER_URL', ONE_URL)
        self.assertShows(exe, ONE_URL)
        self.assertEqual(shipped, self.checksum(exe))

    def test_a_changed_code_byte_changes_both_checksums(self):
        exe = self.copy()
        shipped = self.checksum(exe)
        with open(exe, 'r+b') as f:
            data = f.read()
            pe = check_pe.Pe(data)
            header = struct.unpack_from('<I', data, 0x3C)[0]
            entry = pe.off(struct.unpack_from('<I', data, header + 24 + 16)[0])
            f.seek(entry)
            f.write(bytes([data[entry] ^ 0x01]))
        changed = self.checksum(exe)
        self.assertNotEqual(shipped['A'], changed['A'])
        self.assertNotEqual(shipped['B'], changed['B'])

    def test_a_value_over_capacity_is_refused_and_changes_nothing(self):
        exe = self.copy()
        original = digest(exe)
        over = [(slot, [filled('x', size + 1, 'y')]) for slot, size in CAPACITY.items()]
        over.append(('SERVER_URL', [TWO_URLS[0], TWO_URLS[1] + 'b']))
        for slot, values in over:
            code, _, err = run('slot-patch', exe, slot, *values)
            self.assertEqual(1, code, values)
            self.assertIn('exceeds its capacity of %d' % CAPACITY[slot], err)
            self.assertEqual(original, digest(exe), values)
        self.assertEqual(['Launcher.exe'], os.listdir(os.path.dirname(exe)))


class CrcSwitch(RealLauncher):
    def launcher_crc(self, exe):
        """What "Launcher.exe /crc" writes, run in its own folder."""
        folder = os.path.dirname(exe)
        launcher = e2e.WineRun(folder, 'Launcher.exe', ('/crc',), name=os.path.basename(folder))
        self.addCleanup(launcher.kill)
        self.assertTrue(launcher.wait_for_exit(60), launcher.report())
        self.assertEqual(0, launcher.exit_code(), launcher.report())
        with open(os.path.join(folder, 'crc.txt'), 'rb') as f:
            return f.read().decode('ascii')

    def test_crc_txt_is_the_tools_variant_a_checksum(self):
        shipped = self.copy('shipped')
        patched = self.copy('patched')
        self.patch_all(patched, TWO_URLS)
        expected = self.checksum(shipped)['A']
        self.assertEqual(expected, self.launcher_crc(shipped))
        self.assertEqual(self.checksum(patched)['A'], self.launcher_crc(patched))
        self.assertEqual(expected, self.launcher_crc(patched))


if __name__ == '__main__':
    TOOL, LAUNCHER = sys.argv[1], os.path.abspath(sys.argv[2])
    os.environ.setdefault('WINEPREFIX', sys.argv[3])
    unittest.main(argv=[sys.argv[0]], verbosity=2)
