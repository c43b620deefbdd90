"""Helpers of the end-to-end tests: a sample client and its update set,
the servers (nginx and the fault server), a branded portable launcher run
under Wine, its logs and the messages they record, verification and the
cleanup of its processes.

The Wine session (DISPLAY, WINEPREFIX) is the caller's: scripts/test.sh
starts it around CTest, scripts/demo.sh around its run."""
import glob
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.path.join(HERE, '..', 'helpers')
sys.path.insert(0, HERE)
from sample_client import make_client  # noqa: E402  (re-exported for the tests)

WINE = os.environ.get('WINE_BIN', '/usr/lib/wine/wine64')
UPDATE_PATH = '/updates/'


def windows_path(path):
    """The Wine name of a Linux path (drive Z: is the Linux root)."""
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def run_tool(tool, *args):
    """Runs the publisher tool; (exit code, stdout + stderr)."""
    p = subprocess.run([tool, *args], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                       text=True)
    return p.returncode, p.stdout


def make_update_set(tool, client, description_text, out, launcher=None, sign=None):
    description = out.rstrip('/') + '.description.xml'
    with open(description, 'w') as f:
        f.write(description_text)
    args = ['make-update-set', client, description, out] + (['--launcher', launcher] if launcher else [])
    args += ['--sign', sign] if sign else []
    code, output = run_tool(tool, *args)
    if code:
        raise RuntimeError('make-update-set failed: ' + output)
    return out


def brand(tool, launcher, out, server_urls, update_path=UPDATE_PATH):
    args = ['brand', launcher, '--out', out]
    for url in server_urls:
        args += ['--server-url', url]
    if update_path:
        args += ['--update-path', update_path]
    code, output = run_tool(tool, *args)
    if code:
        raise RuntimeError('brand failed: ' + output)
    return out


def forge_crc(data, flip, patch, crc):
    """<data> with the byte at <flip> changed and the four bytes at <patch>
    set so that crc() gives what it gave for <data>: the change an attacker
    makes to pass a CRC-32 check. CRC-32 is affine in the bits of a message
    of fixed length, so the patch is a solution of 32 linear equations."""
    base = crc(bytes(data))

    def delta(position, bit):
        changed = bytearray(data)
        changed[position] ^= 1 << bit
        return crc(bytes(changed)) ^ base

    basis = {}  # leading bit -> (crc change, patch bits giving it)
    for i in range(32):
        value, bits = delta(patch + i // 8, i % 8), 1 << i
        while value:
            top = value.bit_length() - 1
            if top not in basis:
                basis[top] = (value, bits)
                break
            value, bits = value ^ basis[top][0], bits ^ basis[top][1]
    want, bits = delta(flip, 0), 0
    while want:
        top = want.bit_length() - 1
        want, bits = want ^ basis[top][0], bits ^ basis[top][1]
    forged = bytearray(data)
    forged[flip] ^= 1
    for i in range(32):
        if bits >> i & 1:
            forged[patch + i // 8] ^= 1 << (i % 8)
    assert crc(bytes(forged)) == base and forged != data
    return bytes(forged)


def portable_folder(folder, branded_launcher):
    """Launcher.exe and an empty guest.dat: an installation that needs no
    administrator and asks nothing."""
    os.makedirs(folder, exist_ok=True)
    shutil.copyfile(branded_launcher, os.path.join(folder, 'Launcher.exe'))
    open(os.path.join(folder, 'guest.dat'), 'wb').close()
    return folder


def verify(tool, folder, update_set, *options):
    return run_tool(tool, 'verify', folder, update_set, *options)


def openssl(*args):
    p = subprocess.run(['openssl', *args], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                       stderr=subprocess.STDOUT, text=True)
    if p.returncode:
        raise RuntimeError('openssl %s failed: %s' % (args[0], p.stdout))


class TestPki:
    """A certificate authority made for one test in <folder> (its key never
    leaves that folder) and server certificates: `server` is signed by the
    authority for 127.0.0.1, `wrong_name` by the authority for another
    name, `self_signed` by itself. Each is a (certificate, key) pair of PEM
    files; `authority_der` is the authority for the prefix's root store, which
    names it by `authority_sha1`."""

    def __init__(self, folder):
        os.makedirs(folder, exist_ok=True)
        self.folder = folder
        self.key = self.path('server.key')
        # RSA keys: Wine's ECDSA check takes the signature's r and s at their
        # encoded lengths, so about one EC signature in 128 (a value with a
        # leading zero byte) fails as untrusted.
        openssl('genpkey', '-algorithm', 'RSA', '-pkeyopt', 'rsa_keygen_bits:2048', '-out', self.key)
        ca_key = self.path('authority.key')
        authority = self.path('authority.pem')
        openssl('req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', ca_key,
                '-out', authority, '-days', '2', '-subj', '/CN=Launcher Test Authority',
                '-addext', 'basicConstraints=critical,CA:TRUE', '-addext', 'keyUsage=critical,keyCertSign,cRLSign')
        self.authority_der = self.path('authority.der')
        openssl('x509', '-in', authority, '-outform', 'DER', '-out', self.authority_der)
        with open(self.authority_der, 'rb') as f:
            self.authority_sha1 = hashlib.sha1(f.read()).hexdigest().upper()
        self.server = self.signed('server', '127.0.0.1', 'DNS:127.0.0.1,IP:127.0.0.1', authority, ca_key)
        self.wrong_name = self.signed('wrong_name', 'localhost', 'DNS:localhost', authority, ca_key)
        self.self_signed = self.signed('self_signed', 'localhost', 'DNS:localhost', None, None)

    def path(self, name):
        return os.path.join(self.folder, name)

    def signed(self, name, common_name, alt_names, authority, authority_key):
        extensions = self.path(name + '.ext')
        with open(extensions, 'w') as f:
            f.write('basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName=%s\n' % alt_names)
        request = self.path(name + '.csr')
        openssl('req', '-new', '-key', self.key, '-subj', '/CN=' + common_name, '-out', request)
        certificate = self.path(name + '.pem')
        issuer = ['-CA', authority, '-CAkey', authority_key, '-CAcreateserial'] if authority else ['-signkey', self.key]
        openssl('x509', '-req', '-in', request, *issuer, '-days', '2', '-extfile', extensions, '-out', certificate)
        return certificate, self.key


class Nginx:
    """nginx on a free 127.0.0.1 port serving <root>; state in <state>.
    With tls=(certificate, key) it serves HTTPS."""

    def __init__(self, state, root, tls=None):
        self.state = state
        p = subprocess.run([sys.executable, os.path.join(TOOLS, 'nginx_fixture.py'), 'start', state, root] +
                           (['--tls', *tls] if tls else []),
                           stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if p.returncode:
            raise RuntimeError('nginx did not start: ' + p.stdout)
        with open(os.path.join(state, 'port')) as f:
            self.port = int(f.read())
        self.url = '%s://127.0.0.1:%d/' % ('https' if tls else 'http', self.port)

    def stop(self):
        subprocess.run([sys.executable, os.path.join(TOOLS, 'nginx_fixture.py'), 'stop', self.state],
                       stdin=subprocess.DEVNULL)

    def requests(self):
        """[{'path' (without the query), 'range', 'status'}] from the access log."""
        entries = []
        try:
            with open(os.path.join(self.state, 'access.log')) as f:
                for line in f:
                    m = re.match(r'\S+ (\S+) \S+ range="([^"]*)" status=(\d+)', line)
                    if m:
                        entries.append({'path': m.group(1).split('?')[0],
                                        'range': None if m.group(2) == '-' else m.group(2),
                                        'status': int(m.group(3))})
        except FileNotFoundError:
            pass
        return entries


class FaultServer:
    """tests/helpers/net_test_server.py serving <root> with faults."""

    def __init__(self, state, root):
        self.state = state
        self.script = os.path.join(TOOLS, 'net_test_server.py')
        subprocess.run([sys.executable, self.script, 'start', state, root], stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, check=True)
        with open(os.path.join(state, 'port')) as f:
            self.port = int(f.read())
        self.url = 'http://127.0.0.1:%d/' % self.port

    def faults(self, *rules):
        """Replaces the fault rules (see net_test_server.FolderHandler)."""
        tmp = os.path.join(self.state, 'faults.json.tmp')
        with open(tmp, 'w') as f:
            json.dump(list(rules), f)
        os.replace(tmp, os.path.join(self.state, 'faults.json'))

    def stop(self):
        subprocess.run([sys.executable, self.script, 'stop', self.state], stdin=subprocess.DEVNULL)

    def requests(self):
        """[{'method', 'path', 'range', 'status', 'sent', 'fault'}] in arrival order."""
        try:
            with open(os.path.join(self.state, 'requests.jsonl')) as f:
                return sorted((json.loads(line) for line in f if line.strip()), key=lambda e: e['seq'])
        except FileNotFoundError:
            return []


def range_start(entry):
    m = re.match(r'bytes=(\d+)-', entry.get('range') or '')
    return int(m.group(1)) if m else 0


def merge_ranges(ranges):
    """[(begin, end)] as disjoint ranges in order, overlapping and touching
    ones joined."""
    merged = []
    for begin, end in sorted(r for r in ranges if r[0] < r[1]):
        if merged and begin <= merged[-1][1]:
            merged[-1] = (merged[-1][0], max(merged[-1][1], end))
        else:
            merged.append((begin, end))
    return merged


def prefix_path(path):
    """The Windows spelling of a path on a drive of the prefix other than
    Z: (drive_c as C:, a test's own drive), else its spelling on the Z:
    drive. As in Wine, the drive whose folder holds the path most closely
    names it."""
    devices = os.path.join(os.environ.get('WINEPREFIX', ''), 'dosdevices')
    real = os.path.realpath(path)
    best = None
    if os.environ.get('WINEPREFIX') and os.path.isdir(devices):
        for name in os.listdir(devices):
            if not re.fullmatch('[a-y]:', name):
                continue
            root = os.path.realpath(os.path.join(devices, name))
            if (real == root or real.startswith(root.rstrip(os.sep) + os.sep)) and (not best or len(root) > len(best[1])):
                best = (name.upper(), root)
    if not best:
        return windows_path(path)
    rest = os.path.relpath(real, best[1])
    return best[0] + '\\' + ('' if rest == '.' else rest.replace('/', '\\'))


def wine_processes(folder, program=''):
    """Host ids of the Wine processes of this session's prefix whose command
    line names <folder> (Linux or Windows spelling): the processes of one
    test; with <program>, only those whose command line also names it. A
    Windows spelling such as C:\\users\\root\\Temp is the same in every
    prefix, so processes of other prefixes (other sessions running at the
    same time) are never taken."""
    needles = [os.path.abspath(folder).lower(), prefix_path(folder).lower()]
    prefix = ('WINEPREFIX=' + os.environ['WINEPREFIX']).encode() if os.environ.get('WINEPREFIX') else None
    found = []
    for entry in os.listdir('/proc'):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            exe = os.readlink('/proc/%s/exe' % entry)
            with open('/proc/%s/cmdline' % entry, 'rb') as f:
                cmdline = f.read().replace(b'\0', b' ').decode('utf-8', 'replace').lower()
            with open('/proc/%s/environ' % entry, 'rb') as f:
                environment = f.read().split(b'\0')
        except OSError:
            continue
        if prefix and prefix not in environment:
            continue
        if '/wine' in exe and any(n in cmdline for n in needles) and program.lower() in cmdline:
            found.append(int(entry))
    return found


def peak_memory_mib(folder, program):
    """The largest peak resident size (VmHWM) among the running Wine
    processes of <folder> that run <program>; 0 when none runs."""
    peak = 0
    for pid in wine_processes(folder, program):
        try:
            with open('/proc/%d/status' % pid) as f:
                peak = max([peak] + [int(line.split()[1]) // 1024 for line in f if line.startswith('VmHWM:')])
        except OSError:
            pass
    return peak


def kill_wine_processes(folder):
    """Ends the Wine processes of <folder> only; the session's wineserver
    and other tests' processes stay."""
    for _ in range(3):
        pids = wine_processes(folder)
        if not pids:
            return
        for pid in pids:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        time.sleep(0.3)


def log_files(folder):
    """The launcher's logs: *.log in its folder (the current run) and the
    earlier runs' logs it moved into logs\\<stamp>.<id>\\, oldest first."""
    files = glob.glob(os.path.join(folder, '*.log')) + glob.glob(os.path.join(folder, 'logs', '**', '*.log'),
                                                                 recursive=True)
    return sorted(files, key=os.path.getmtime)


def launcher_folders(work):
    """The launcher folders among <work>'s folders: those with a Launcher.exe."""
    return sorted(os.path.dirname(p) for p in glob.glob(os.path.join(work, '*', 'Launcher.exe')))


# The frame the launcher logs around every message it shows.
MESSAGE_TITLE = '|              MessageBox              |'
MESSAGE_RULE = '|' + '-' * 38 + '|'
MESSAGE_END = ' ' + '-' * 38


def logged_messages(text):
    """The texts of the messages in a launcher log, in order; a message whose
    closing frame is not written yet is left out. Whatever stands before the
    frame on its lines (a time stamp, indentation) is taken off the first
    line of the text too."""
    lines = text.split('\n')
    messages = []
    for i, line in enumerate(lines):
        line = line.rstrip()
        if not line.endswith(MESSAGE_TITLE) or i + 1 >= len(lines) or not lines[i + 1].rstrip().endswith(MESSAGE_RULE):
            continue
        lead = len(line) - len(MESSAGE_TITLE)
        end = next((j for j in range(i + 2, len(lines)) if lines[j].rstrip().endswith(MESSAGE_END)), None)
        if end is None:
            break
        body = [l.rstrip('\r') for l in lines[i + 2:end]]
        if body:
            body[0] = body[0][lead:]
        messages.append('\n'.join(body))
    return messages


def read_text(path):
    with open(path, 'rb') as f:
        return f.read().decode('utf-8', 'replace').replace('\r\n', '\n')


def log_tail(folder, lines=80):
    files = log_files(folder)
    if not files:
        return '(no launcher log in %s)' % folder
    text = read_text(files[-1]).rstrip('\n').split('\n')
    return '== last %d lines of %s\n%s' % (min(lines, len(text)), files[-1], '\n'.join(text[-lines:]))


class WineRun:
    """<program> of <folder> running under Wine; its Wine output goes to
    <folder>/../<name>.wine.txt so no pipe of the test is held open."""

    def __init__(self, folder, program, args=(), env=None, name=None):
        self.folder = folder
        self.program = program
        self.output = os.path.join(os.path.dirname(os.path.abspath(folder)), (name or program) + '.wine.txt')
        environment = dict(os.environ)
        environment.update(env or {})
        # The client double appends to its record: a start is a record
        # longer than before this run.
        cmdline = os.path.join(folder, 'client_cmdline.txt')
        self.client_record = os.path.getsize(cmdline) if os.path.exists(cmdline) else 0
        with open(self.output, 'wb') as out:
            self.process = subprocess.Popen([WINE, os.path.join(folder, program), *args], cwd=folder,
                                            env=environment, stdin=subprocess.DEVNULL, stdout=out,
                                            stderr=subprocess.STDOUT)
        self.started = time.monotonic()

    def wait_for(self, condition, timeout):
        """True once condition() holds, False after <timeout> seconds."""
        deadline = self.started + timeout
        while time.monotonic() < deadline:
            if condition():
                return True
            time.sleep(0.1)
        return condition()

    def wait_for_client(self, timeout=120):
        """Seconds from the start until the client double started in this
        folder (client_cmdline.txt grew), or None."""
        cmdline = os.path.join(self.folder, 'client_cmdline.txt')
        if not self.wait_for(lambda: os.path.exists(cmdline) and os.path.getsize(cmdline) > self.client_record, timeout):
            return None
        return time.monotonic() - self.started

    def exit_code(self):
        return self.process.poll()

    def wait_for_exit(self, timeout):
        """True once the program ended, within <timeout> seconds from now."""
        deadline = time.monotonic() + timeout
        while self.exit_code() is None and time.monotonic() < deadline:
            time.sleep(0.1)
        return self.exit_code() is not None

    def kill(self):
        kill_wine_processes(self.folder)
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()

    def report(self):
        """What a failure message needs: how the run ended and its log tail."""
        code = self.exit_code()
        state = 'still running' if code is None else 'ended with exit code %d' % code
        wine = read_text(self.output).strip() if os.path.exists(self.output) else ''
        return '%s %s after %.0f s\n%s%s' % (
            self.program, state, time.monotonic() - self.started, log_tail(self.folder),
            '\n== Wine output\n' + wine[-3000:] if wine else '')


class LauncherRun(WineRun):
    def __init__(self, folder, args=(), env=None, name='launcher'):
        super().__init__(folder, 'Launcher.exe', args, env, name)


class ClientRun(WineRun):
    """The game client double of <folder>, started as a player would, with
    GAME_CLIENT_DOUBLE set to <options>."""

    def __init__(self, folder, options, name='client'):
        super().__init__(folder, 'GameClient.exe', (), {'GAME_CLIENT_DOUBLE': options}, name)
