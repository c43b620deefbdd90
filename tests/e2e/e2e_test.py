#!/usr/bin/env python3
"""End-to-end tests: the built Launcher.exe, branded for a local server,
installs a sample client into a portable folder under Wine and starts the
game client double.

usage: e2e_test.py --launcher <Launcher.exe> --game-client <game_client.exe>
                   --tool <native launcher-tool> --work <folder>
                   [--source <repository>] [--wineprefix <prefix>] [unittest arguments]

Run inside a Wine session (scripts/wine-session.sh); --wineprefix is used
only when WINEPREFIX is not set. Each test works in <work>/<test name>,
emptied when it starts and left for inspection. The places of the controls
the tests click come from the repository's theme (--source, by default the
repository holding this script)."""
import argparse
import glob
import os
import shutil
import random
import re
import subprocess
import struct
import sys
import time
import unittest
import xml.etree.ElementTree as ET
import zipfile
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'helpers'))
import e2e_support as e2e  # noqa: E402
import theme_layout  # noqa: E402

ARGS = None
# The class of the launcher's one window, which draws all its controls.
WIZARD_CLASS = 'LauncherWizard'


class E2ETest(unittest.TestCase):
    """A test folder with the client, the set served from www/updates/ and
    the cleanup of servers and Wine processes, whatever happens."""

    # Where the product keeps the folder the installation page offers.
    INSTALL_KEY = r'HKLM\Software\Hollisk Games\TL\Install'

    def setUp(self):
        # Each case starts with no program of an earlier test still running:
        # a leftover launcher window or mutex would answer in its place.
        for folder in (os.path.dirname(ARGS.launcher),
                       os.path.join(os.environ['WINEPREFIX'], 'drive_c', 'users', 'root', 'Temp')):
            e2e.kill_wine_processes(folder)
        self.work = os.path.join(ARGS.work, self.id().split('.')[-1])
        if os.path.exists(self.work):
            e2e.kill_wine_processes(self.work)
            shutil.rmtree(self.work)
        os.makedirs(self.work)
        self.addCleanup(e2e.kill_wine_processes, self.work)
        self.tool = ARGS.tool
        self.www = os.path.join(self.work, 'www')
        self.set = os.path.join(self.www, 'updates')
        # Messages of this test's launchers that earlier clicks answered.
        self.messages_answered = 0

    def path(self, *parts):
        return os.path.join(self.work, *parts)

    def build_set(self, extra=(), **client):
        """Publishes a sample client, with the files <extra> (relative
        paths, each holding its own name) added to it."""
        os.makedirs(self.www)
        description = e2e.make_client(self.path('client'), ARGS.game_client, **client)
        for name in extra:
            path = self.path('client', name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, 'w') as f:
                f.write(name)
        e2e.make_update_set(self.tool, self.path('client'), description, self.set)

    def nginx(self):
        server = e2e.Nginx(self.path('nginx'), self.www)
        self.addCleanup(server.stop)
        return server

    def fault_server(self):
        server = e2e.FaultServer(self.path('faults'), self.www)
        self.addCleanup(server.stop)
        return server

    def portable(self, server_urls, name='game'):
        branded = e2e.brand(self.tool, ARGS.launcher, self.path('Launcher.branded.exe'), server_urls)
        return e2e.portable_folder(self.path(name), branded)

    def run_until_client(self, folder, timeout=120, **kwargs):
        """Runs the launcher until the client double starts; fails with the
        launcher's log tail when it does not."""
        run = e2e.LauncherRun(folder, env={'GAME_CLIENT_DOUBLE': 'exit=30000'}, **kwargs)
        self.addCleanup(run.kill)
        if run.wait_for_client(timeout) is None:
            self.fail('the game client did not start within %d s\n%s' % (timeout, run.report()))
        return run

    def assertInstalled(self, folder, *verify_options):
        code, output = e2e.verify(self.tool, folder, self.set, *verify_options)
        self.assertEqual(0, code, 'launcher-tool verify found differences:\n%s\n%s' % (output, e2e.log_tail(folder)))

    def client_command_line(self, folder):
        return e2e.read_text(os.path.join(folder, 'client_cmdline.txt'))

    def click(self, text, control, timeout=90, edit=None):
        """Waits until a launcher of this test logs a new message starting
        with <text> (alternatives separated by '|') and clicks <control> on
        its window with the mouse, as a user would; with edit=(control, text)
        types the text into that control first. (clicked, report)."""
        deadline = time.monotonic() + timeout
        prefixes = [p for p in text.split('|') if p]
        message, messages = self.wait_for_message(prefixes, deadline)
        if message is None:
            latest = [m.split('\n')[0] for m in messages[self.messages_answered:]]
            return False, 'no new message starting with %s within %d s; new messages: %s' % (prefixes, timeout, latest)
        self.messages_answered = len(messages)
        report = 'message: %s\n' % message.split('\n')[0]
        for target, typed in ([edit] if edit else []) + [(control, None)]:
            clicked, output = self.click_control(target, typed, deadline)
            report += output
            if not clicked:
                return False, report
        return True, report

    def wait_for_message(self, prefixes, deadline):
        """(the message, all messages) once the newest message of the test's
        launcher logs is one not answered yet and starts with one of
        <prefixes>; (None, all messages) at <deadline>. The newest is the one
        the window shows."""
        while True:
            logs = sorted((f for d in e2e.launcher_folders(self.work) for f in e2e.log_files(d)), key=os.path.getmtime)
            messages = [m for f in logs for m in e2e.logged_messages(e2e.read_text(f))]
            if len(messages) > self.messages_answered and messages[-1].lstrip().startswith(tuple(prefixes)):
                return messages[-1], messages
            if time.monotonic() >= deadline:
                return None, messages
            time.sleep(0.2)

    def click_control(self, control, typed, deadline):
        """Clicks <control> (an identifier or a func name) where the theme
        places it, with window_click.exe; types <typed> into it afterwards
        when given."""
        ids = theme_layout.control_ids(theme_layout.control_ids_file(ARGS.source))
        _, x, y, w, h = theme_layout.control_rect(theme_layout.theme_config(ARGS.source), control, ids)
        clicked, printed = self.click_rect((x, y, w, h), typed, deadline)
        return clicked, '%s (%s): %s' % (ids.get(control, control), control, printed)

    def click_rect(self, rect, typed, deadline):
        """Clicks the middle of <rect> (design pixels of the window)."""
        tool = os.path.join(os.path.dirname(ARGS.launcher), 'window_click.exe')
        report = ''
        for _ in range(2):
            remaining = max(5.0, deadline - time.monotonic())
            args = [e2e.WINE, tool, WIZARD_CLASS] + [str(v) for v in rect] + [str(int(remaining * 1000))]
            result = subprocess.run(args + ([typed] if typed else []), stdin=subprocess.DEVNULL,
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=remaining + 30)
            printed = result.stdout.decode('utf-8', 'replace').replace('\r\n', '\n')
            report += printed if result.returncode == 0 else '%s(exit code %d)\n' % (printed, result.returncode)
            # The helper prints before it sends any input: one that ended
            # without a word (it died under Wine once in a CI run) has not
            # touched the window and is started once more.
            if result.returncode == 0 or printed.strip():
                break
        return result.returncode == 0, report

    def shortcut(self, path):
        """(target, arguments) of a shortcut file, read back by the shell."""
        tool = os.path.join(os.path.dirname(ARGS.launcher), 'shortcut_target.exe')
        result = subprocess.run([e2e.WINE, tool, path], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT)
        lines = result.stdout.decode('utf-8', 'replace').replace('\r', '').split('\n')
        self.assertEqual(0, result.returncode, 'the shortcut %s cannot be read: %s' % (path, lines))
        return lines[0], lines[1] if len(lines) > 1 else ''

    def wine_reg(self, *args):
        """Runs Wine's reg; (exit code, output)."""
        result = subprocess.run([e2e.WINE, 'reg'] + list(args), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT)
        return result.returncode, result.stdout.decode('utf-8', 'replace')

    def configured_launcher(self, replacements, server):
        """The launcher branded for <server>, its configuration changed by
        the (old text, new text) <replacements>: the embedded package is
        made again and swapped in, as a publisher's build would carry it."""
        stage = self.path('package')
        shutil.copytree(ARGS.package, stage)
        config = os.path.join(stage, 'config.xml')
        text = e2e.read_text(config)
        for old, new in replacements:
            self.assertIn(old, text)
            text = text.replace(old, new, 1)
        with open(config, 'w') as f:
            f.write(text)
        code, output = e2e.run_tool(self.tool, 'rar-create', stage, self.path('package.rar'))
        self.assertEqual(0, code, output)
        exe = self.path('Launcher.configured.exe')
        shutil.copyfile(ARGS.launcher, exe)
        tool = os.path.join(os.path.dirname(ARGS.launcher), 'replace_package.exe')
        result = subprocess.run([e2e.WINE, tool, exe, self.path('package.rar')], stdin=subprocess.DEVNULL)
        self.assertEqual(0, result.returncode, 'the package could not be replaced')
        return e2e.brand(self.tool, exe, exe, [server.url])

    def download_folder(self, server):
        """A folder holding only the branded launcher, as a new player
        downloads it: it runs as an installation."""
        start = self.path('download')
        os.makedirs(start)
        e2e.brand(self.tool, ARGS.launcher, os.path.join(start, 'Launcher.exe'), [server.url])
        return start

    def open_install_page(self, start, **kwargs):
        """Runs the launcher of <start> until its installation page has the
        server information."""
        run = e2e.LauncherRun(start, **kwargs)
        self.addCleanup(run.kill)
        if not run.wait_for(lambda: 'Server info ready' in self.all_logs(start), 90):
            self.fail('the installation page did not get the server information\n' + run.report())
        return run

    def install_portably(self, start, target):
        """Installs portably into <target> through the single page of the
        launcher in <start>, as a player would, until the client starts."""
        self.addCleanup(self.wine_reg, 'delete', self.INSTALL_KEY, '/f')
        self.assertEqual(0, self.wine_reg('add', self.INSTALL_KEY, '/v', 'Directory', '/d', e2e.windows_path(target),
                                          '/f')[0])
        run = self.open_install_page(start, env={'GAME_CLIENT_DOUBLE': 'exit=30000'})
        self.click_in_turn(run, ['single_install_button_settings', 'single_install_checkbox_guest',
                                 'single_install_checkbox_terms', 'single_install_button_install'])
        cmdline = os.path.join(target, 'client_cmdline.txt')
        if not run.wait_for(lambda: os.path.exists(cmdline) and os.path.getsize(cmdline) > 0, 120):
            self.fail('the client did not start from %s\n%s' % (target, run.report()))
        return run

    def click_in_turn(self, run, controls, timeout=90):
        """Clicks each control (a func name, or a design-pixel rectangle)."""
        deadline = time.monotonic() + timeout
        for control in controls:
            if isinstance(control, tuple):
                clicked, output = self.click_rect(control, None, deadline)
            else:
                clicked, output = self.click_control(control, None, deadline)
            self.assertTrue(clicked, '%s: %s\n%s' % (control, output, run.report()))
            time.sleep(0.5)

    @staticmethod
    def wait_until(condition, timeout):
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() >= deadline:
                return False
            time.sleep(0.2)
        return True

    def forget_portable_shortcuts(self):
        """Removes the player's shortcuts that portable installations of the
        product make, so that the next one takes the first name again."""
        user = os.path.join(os.environ['WINEPREFIX'], 'drive_c', 'users', 'root')
        start_menu = os.path.join(user, 'AppData', 'Roaming', 'Microsoft', 'Windows', 'Start Menu')
        for link in (glob.glob(os.path.join(user, 'Desktop', '* Portable*.lnk')) +
                     glob.glob(os.path.join(start_menu, '* Portable*.lnk'))):
            os.remove(link)
        shutil.rmtree(os.path.join(user, 'AppData', 'Roaming', 'Microsoft', 'Windows', 'Start Menu', 'Programs',
                                   'Talvoro'), ignore_errors=True)

    def all_logs(self, folder):
        return '\n'.join(e2e.read_text(f) for f in e2e.log_files(folder))

    EDITOR = ('  <pack type="int" file="editor.pkg"><include path="tools"/>'
              '<info lang="en"><name>Map Editor</name><exec>tools\\Editor.exe</exec></info></pack>\n')

    def publish(self, with_editor, version):
        """A small client in www/updates/, with or without the "Map Editor"
        program, which gets shortcuts."""
        if os.path.exists(self.set):
            shutil.rmtree(self.set)
        os.makedirs(self.set)
        description = e2e.make_client(self.path('client'), ARGS.game_client, files=4, mib=1, packs=1,
                                      version=version)
        if with_editor:
            os.makedirs(self.path('client', 'tools'))
            shutil.copyfile(ARGS.game_client, self.path('client', 'tools', 'Editor.exe'))
            description = description.replace('  <pack file="client.pkg">', self.EDITOR + '  <pack file="client.pkg">')
        e2e.make_update_set(self.tool, self.path('client'), description, self.set)

    def republish(self, **attributes):
        """Changes root attributes of the published manifest, as a publisher
        editing update.xml by hand would, and wraps it again."""
        path = os.path.join(self.set, 'update.xml')
        text = e2e.read_text(path)
        for name, value in attributes.items():
            text, count = re.subn(r'%s="[^"]*"' % name, '%s="%s"' % (name, value), text, count=1)
            self.assertEqual(1, count, name)
        with open(path, 'w', newline='') as f:
            f.write(text)
        with zipfile.ZipFile(os.path.join(self.set, 'update.rxml'), 'w', zipfile.ZIP_STORED) as archive:
            archive.writestr('update.xml', text.encode())
        return text


class FreshInstall(E2ETest):
    def test_fresh_portable_install_from_nginx(self):
        self.build_set(files=30, mib=6, packs=3)
        server = self.nginx()
        folder = self.portable([server.url])
        run = self.run_until_client(folder)
        run.kill()

        self.assertInstalled(folder)
        with open(os.path.join(self.set, 'update.xml'), 'rb') as f:
            published = f.read()
        self.assertTrue(os.path.exists(os.path.join(folder, 'update.xml')), 'no update.xml\n' + e2e.log_tail(folder))
        with open(os.path.join(folder, 'update.xml'), 'rb') as f:
            self.assertEqual(published, f.read(), 'the stored update.xml differs from the published one')
        self.assertFalse(os.path.exists(os.path.join(folder, 'tmp')), 'tmp\\ was left behind')
        self.assertIn(' -server http://127.0.0.1:%d' % server.port, self.client_command_line(folder))
        requested = [r['path'] for r in server.requests()]
        self.assertTrue(any(p.endswith('/updates/update.rxml') for p in requested), requested)


class OverHttps:
    """Mixin of a test class: servers with certificates of a test authority,
    which the prefix's root store trusts while the test runs; nginx() serves
    HTTPS with a valid certificate."""

    ROOT_STORE = r'HKLM\Software\Microsoft\SystemCertificates\Root\Certificates'

    def setUp(self):
        super().setUp()
        self.pki = e2e.TestPki(self.path('pki'))
        tool = os.path.join(os.path.dirname(ARGS.launcher), 'trust_root.exe')
        result = subprocess.run([e2e.WINE, tool, e2e.windows_path(self.pki.authority_der)],
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.assertEqual(0, result.returncode, 'trust_root: %s' % result.stdout.decode(errors='replace'))
        self.addCleanup(self.wine_reg, 'delete', self.ROOT_STORE + '\\' + self.pki.authority_sha1, '/f')

    def https_server(self, name, certificate):
        server = e2e.Nginx(self.path(name), self.www, certificate)
        self.addCleanup(server.stop)
        return server

    def nginx(self):
        return self.https_server('nginx', self.pki.server)


class Https(OverHttps, E2ETest):
    def test_misnamed_and_untrusted_certificates_move_to_the_next_server(self):
        self.build_set(files=4, mib=1, packs=1)
        misnamed = self.https_server('misnamed', self.pki.wrong_name)
        untrusted = self.https_server('untrusted', self.pki.self_signed)
        trusted = self.https_server('trusted', self.pki.server)
        folder = self.portable([misnamed.url, untrusted.url, trusted.url])
        self.run_until_client(folder)

        log = self.all_logs(folder)
        # WinINet's errors: the certificate names another host; no trusted authority issued it.
        self.assertIn('System error code: 12038', log)
        self.assertIn('System error code: 12045', log)
        self.assertEqual([], misnamed.requests() + untrusted.requests(), 'a refused server was asked anyway')
        self.assertIn(' -server %s' % trusted.url, self.client_command_line(folder))
        self.assertInstalled(folder)

    def test_a_relaxed_configuration_accepts_a_self_signed_certificate(self):
        self.build_set(files=4, mib=1, packs=1)
        untrusted = self.https_server('untrusted', self.pki.self_signed)
        exe = self.configured_launcher([('<tls relaxed="false"/>', '<tls relaxed="true"/>')], untrusted)
        folder = e2e.portable_folder(self.path('game'), exe)
        self.run_until_client(folder)

        self.assertIn('Server certificates are not checked', self.all_logs(folder))
        self.assertIn('/updates/update.rxml', [r['path'] for r in untrusted.requests()])
        self.assertInstalled(folder)


class Resume(E2ETest):
    def test_resume_after_killing_the_launcher_mid_download(self):
        self.build_set(files=4, mib=96, packs=1)
        server = self.fault_server()
        pack = '/updates/data_0.pkg'
        # Slow enough to be caught in the middle: 96 MiB at 4 MiB/s.
        server.faults({'path': pack, 'rate': 4 * 1024 * 1024, 'times': 0})
        folder = self.portable([server.url])
        run = e2e.LauncherRun(folder, env={'GAME_CLIENT_DOUBLE': 'exit=30000'}, name='interrupted')
        self.addCleanup(run.kill)
        tmp = os.path.join(folder, 'tmp')

        def downloaded():
            sizes = [os.path.getsize(os.path.join(tmp, n)) for n in os.listdir(tmp)] if os.path.isdir(tmp) else []
            return sum(sizes) >= 8 * 1024 * 1024

        if not run.wait_for(downloaded, 90):
            self.fail('no 8 MiB of the pack reached tmp\\ in time\n' + run.report())
        run.kill()

        server.faults()
        # By arrival: the interrupted request is logged only when its answer breaks off.
        resumed_at = time.time()
        self.run_until_client(folder, name='resumed')
        self.assertInstalled(folder)
        again = [r for r in server.requests() if r['path'] == pack and r['time'] >= resumed_at]
        self.assertTrue(again, 'the pack was not requested again')
        self.assertGreater(e2e.range_start(again[0]), 0, 'the download started over: %s' % again)


class HugePack(E2ETest):
    def test_a_pack_of_four_and_a_half_gib_is_resumed_beyond_four_gib(self):
        self.build_set(files=1, mib=1, packs=1)
        # The published pack becomes a sparse file of 4.5 GiB (no disk space
        # taken), and the manifest says so.
        size = 4608 << 20
        with open(os.path.join(self.set, 'data_0.pkg'), 'r+b') as f:
            f.truncate(size)
        manifest = os.path.join(self.set, 'update.xml')
        text = e2e.read_text(manifest)
        pattern = r'(<PACK[^>]*file="data_0\.pkg" crc=")(\d+)(" size=")\d+"'
        crc = int(re.search(pattern, text).group(2))
        text, count = re.subn(pattern, r'\g<1>\g<2>\g<3>%d"' % size, text)
        self.assertEqual(1, count)
        with open(manifest, 'w', newline='') as f:
            f.write(text)
        with zipfile.ZipFile(os.path.join(self.set, 'update.rxml'), 'w', zipfile.ZIP_STORED) as archive:
            archive.writestr('update.xml', text.encode())
        server = self.fault_server()
        folder = self.portable([server.url])
        # An earlier run left 4 GiB and 1 MiB of it in tmp\ (sparse too).
        held = (4 << 30) + (1 << 20)
        os.makedirs(os.path.join(folder, 'tmp'))
        with open(os.path.join(folder, 'tmp', '%08X.%d' % (crc, size)), 'wb') as f:
            f.truncate(held)
        run = e2e.LauncherRun(folder, env={'GAME_CLIENT_DOUBLE': 'exit=30000'})
        self.addCleanup(run.kill)

        def asked():
            return [r for r in server.requests() if r['path'] == '/updates/data_0.pkg']

        if not run.wait_for(lambda: len(asked()) >= 2, 100):
            self.fail('the pack was not asked for twice: %s\n%s' % (asked(), run.report()))
        run.kill()
        part = 16 << 20
        first, second = asked()[:2]
        self.assertEqual('bytes=%d-%d' % (held, held + part - 1), first['range'], asked())
        self.assertEqual((206, part), (first['status'], first['sent']))
        self.assertEqual('bytes=%d-%d' % (held + part, held + 2 * part - 1), second['range'], asked())


class ServerSwitch(E2ETest):
    def test_503_on_the_manifest_moves_to_the_next_server(self):
        self.build_set(files=10, mib=2, packs=1)
        failing = self.fault_server()
        failing.faults({'path': '/updates/update.rxml', 'status': 503, 'body': 'Service Unavailable', 'times': 0})
        working = self.nginx()
        folder = self.portable([failing.url, working.url])
        self.run_until_client(folder)

        self.assertIn(503, [r['status'] for r in failing.requests() if r['path'] == '/updates/update.rxml'])
        self.assertFalse([r for r in failing.requests() if r['path'].endswith('.pkg')],
                         'packs were fetched from the failing server')
        self.assertIn(' -server http://127.0.0.1:%d' % working.port, self.client_command_line(folder))
        self.assertInstalled(folder)


class UpdatePath(E2ETest):
    def test_an_empty_slot_takes_the_configured_update_path(self):
        config = ET.parse(os.path.join(e2e.HERE, '..', '..', 'assets', 'package', 'config.xml'))
        configured = config.findtext('common/urlUpdate')
        branded = '/branded/updates/'
        self.assertNotEqual(configured, branded)
        os.makedirs(self.www)
        for name, update_path, expected in [('empty', None, configured), ('set', branded, branded)]:
            server = e2e.FaultServer(self.path(name + '.server'), self.www)
            self.addCleanup(server.stop)
            exe = e2e.brand(self.tool, ARGS.launcher, self.path(name + '.exe'), [server.url], update_path)
            if not update_path:
                code, output = e2e.run_tool(self.tool, 'slot-patch', exe, 'UPDATE_PATH')
                self.assertEqual(0, code, output)
            # The shipped slot already holds the configured path: the empty
            # case counts only with the slot really emptied.
            self.assertIn('UPDATE_PATH   %s\n' % (update_path or ''), e2e.run_tool(self.tool, 'slot-show', exe)[1])
            folder = e2e.portable_folder(self.path(name), exe)
            run = e2e.LauncherRun(folder, name=name)
            self.addCleanup(run.kill)

            def manifests():
                return [r['path'] for r in server.requests() if r['path'].endswith('/update.rxml')]

            if not run.wait_for(manifests, 60):
                self.fail('no manifest request with UPDATE_PATH %s\n%s' % (name, run.report()))
            run.kill()
            self.assertEqual(expected + 'update.rxml', manifests()[0])


class DownloadMode(E2ETest):
    def test_client_hands_over_download_tasks(self):
        self.build_set(files=10, mib=2, packs=1, add=['addon_a', 'addon_b'])
        server = self.nginx()
        folder = self.portable([server.url])
        self.run_until_client(folder).kill()

        answers = os.path.join(folder, 'client_answers.txt')
        client = e2e.ClientRun(folder, 'mode=download tasks=addon_a.pkg;addon_b.pkg|addon_a.pkg exit=100000')
        self.addCleanup(client.kill)
        if not client.wait_for_exit(120):
            self.fail('the client double did not get the final answer\n%s\n%s' % (
                e2e.read_text(answers) if os.path.exists(answers) else '(no answers)', e2e.log_tail(folder)))
        lines = e2e.read_text(answers).strip().split('\n')
        self.assertEqual('A72 0', lines[0], lines)
        self.assertEqual(['A73 1 3', 'A73 2 3'], sorted(lines[1:-1]), lines)
        self.assertEqual('A73 0 2', lines[-1], lines)
        self.assertInstalled(folder, '--add', 'addon_a.pkg', '--add', 'addon_b.pkg')

        # An ordinary update run afterwards keeps the additional packages.
        client.kill()
        os.remove(os.path.join(folder, 'client_cmdline.txt'))
        self.run_until_client(folder, name='update')
        self.assertIn('bCanDelete = true', e2e.read_text(e2e.log_files(folder)[-1]))
        self.assertInstalled(folder, '--add', 'addon_a.pkg', '--add', 'addon_b.pkg')

    def test_a_task_announced_longer_than_sent_is_answered_unreadable_without_a_hang(self):
        self.build_set(files=4, mib=1, packs=1, add=['addon_a'])
        server = self.nginx()
        folder = self.portable([server.url])
        self.run_until_client(folder).kill()

        # Two billion bytes announced, a few dozen sent: the launcher neither
        # holds that much nor waits for it.
        answers = os.path.join(folder, 'client_answers.txt')
        client = e2e.ClientRun(folder, 'mode=download tasks=addon_a.pkg overstate=2000000000 exit=100000')
        self.addCleanup(client.kill)
        if not client.wait_for_exit(60):
            self.fail('the client double did not get the final answer\n%s\n%s' % (
                e2e.read_text(answers) if os.path.exists(answers) else '(no answers)', e2e.log_tail(folder)))
        self.assertEqual(['A72 0', 'A73 1 1', 'A73 0 2'], e2e.read_text(answers).strip().split('\n'))
        self.assertIn('Task 1 unreadable: 2000000022 bytes announced, 22 read', self.all_logs(folder))



# Control identifiers of the wizard's message page (src/logic/control_ids.cpp).
MBOX_OK, MBOX_RETRY, MBOX_CANCEL, MBOX_EDIT = 12414, 12415, 12416, 12417
CRC_MESSAGE = 'CRC check failed'


class CorruptPack(E2ETest):
    def test_corrupt_pack_asks_for_retry_and_is_fetched_again(self):
        self.build_set(files=10, mib=2, packs=1)
        server = self.fault_server()
        pack = '/updates/data_0.pkg'
        server.faults({'path': pack, 'corrupt': [1000, 5000], 'times': 1})
        folder = self.portable([server.url])
        run = e2e.LauncherRun(folder, env={'GAME_CLIENT_DOUBLE': 'exit=30000'})
        self.addCleanup(run.kill)

        clicked, output = self.click(CRC_MESSAGE, MBOX_RETRY)
        self.assertTrue(clicked, output + '\n' + run.report())
        if run.wait_for_client(120) is None:
            self.fail('the client did not start after Retry\n' + run.report())
        self.assertInstalled(folder)
        self.assertIn('CLogic::OnBtnClicked: ID_MBOX_BTN_RETRY', self.all_logs(folder), 'the click was not logged')
        fetched = [r for r in server.requests() if r['path'] == pack]
        self.assertEqual('corrupt', fetched[0]['fault'], fetched)
        self.assertGreaterEqual(len(fetched), 2, fetched)
        self.assertEqual(0, e2e.range_start(fetched[-1]), 'the corrupt file was not fetched from its start')


class ServerFailures(E2ETest):
    def test_five_broken_transfers_move_to_the_next_server(self):
        self.build_set(files=10, mib=4, packs=1)
        failing = self.fault_server()
        pack = '/updates/data_0.pkg'
        # The pause lets the bytes reach the launcher before the reset, which
        # would otherwise drop whatever it has not read yet.
        failing.faults({'path': pack, 'reset_after': 100000, 'pause': 0.3, 'times': 0})
        working = self.nginx()
        folder = self.portable([failing.url, working.url])
        self.run_until_client(folder)

        broken = [r for r in failing.requests() if r['path'] == pack]
        self.assertGreaterEqual(len(broken), 5, broken)
        resumed = [r for r in working.requests() if r['path'] == pack]
        self.assertTrue(resumed, 'the pack was not fetched from the second server')
        self.assertGreater(e2e.range_start(resumed[0]), 0, 'the bytes of the broken transfers were thrown away')
        self.assertIn(' -server %s' % working.url, self.client_command_line(folder))
        self.assertInstalled(folder)

    def test_manifest_that_is_no_archive_moves_to_the_next_server(self):
        self.build_set(files=6, mib=1, packs=1)
        # The first server answers update.rxml with the plain manifest text.
        plain = self.path('plain')
        shutil.copytree(self.www, plain)
        shutil.copyfile(os.path.join(self.set, 'update.xml'), os.path.join(plain, 'updates', 'update.rxml'))
        wrong = e2e.FaultServer(self.path('wrong'), plain)
        self.addCleanup(wrong.stop)
        working = self.nginx()
        folder = self.portable([wrong.url, working.url])
        self.run_until_client(folder)

        asked = [r for r in wrong.requests() if r['path'] == '/updates/update.rxml']
        self.assertEqual(1, len(asked), 'an answer that is no archive was asked for again: %s' % asked)
        self.assertIn(' -server %s' % working.url, self.client_command_line(folder))
        self.assertInstalled(folder)

    def test_a_maintenance_page_shows_its_notice_and_when_service_returns_without_seconds(self):
        self.build_set(files=4, mib=1, packs=1)
        failing = self.fault_server()
        year = time.gmtime().tm_year + 1
        page = ('<?xml version="1.0"?><html><body><div id="time"><span class="year">%d</span>'
                '<span class="month">1</span><span class="day">2</span><span class="hour">3</span>'
                '<span class="minute">4</span></div><div id="en"><h1 class="title">Maintenance</h1>'
                '<p class="line1">We are updating.</p><p class="line2">Back at <span class="time">x</span>.</p>'
                '</div></body></html>' % year)
        folder = self.portable([failing.url])
        # A first run installs; its stamp keeps the client update data below.
        self.run_until_client(folder).kill()
        e2e.kill_wine_processes(folder)
        failing.faults(*({'path': p, 'status': 503, 'body': page, 'times': 0}
                         for p in ('/updates/update.rxml', '/cud/velomar.xml')))
        # Client update data whose own address is in maintenance too: the
        # notice is what the player is shown.
        document = self.path('cud.xml')
        with open(document, 'w') as f:
            f.write('<ClientUpdateData><Face id="velomar"><LoginURLs><URL>%s</URL></LoginURLs><DataUpdateURLs>'
                    '<URL>%scud/velomar.xml</URL></DataUpdateURLs></Face></ClientUpdateData>' % (failing.url, failing.url))
        code, output = e2e.run_tool(self.tool, 'cud-encrypt', document, os.path.join(folder, 'CUD.dat'))
        self.assertEqual(0, code, output)
        # The player's short time shows seconds; the notice still does not.
        key = r'HKCU\Control Panel\International'
        self.assertEqual(0, self.wine_reg('add', key, '/v', 'sShortTime', '/d', 'HH:mm:ss', '/f')[0])
        self.addCleanup(self.wine_reg, 'delete', key, '/v', 'sShortTime', '/f')
        run = e2e.LauncherRun(folder, name='maintenance')
        self.addCleanup(run.kill)
        clicked, output = self.click('We are updating.', MBOX_CANCEL)
        self.assertTrue(clicked, output + '\n' + run.report())
        notice = [m for m in e2e.logged_messages(self.all_logs(folder)) if m.startswith('We are updating.')][0]
        shown = re.search(r'Back at (.*)\.', notice)
        self.assertTrue(shown and str(year) in shown.group(1), notice)
        self.assertIsNone(re.search(r'\d:\d\d:\d\d', notice), 'the time shows seconds: ' + notice)
        self.assertRegex(shown.group(1), r'\d:\d\d')

    def test_no_server_left_asks_for_a_server_address(self):
        self.build_set(files=10, mib=2, packs=1)
        failing = self.fault_server()
        failing.faults({'path': '/updates/update.rxml', 'status': 503, 'body': 'down', 'times': 0})
        folder = self.portable([failing.url])

        # The shipped client update data do not ask for an address: the
        # failure is shown with Retry and Cancel.
        first = e2e.LauncherRun(folder, name='no_address')
        self.addCleanup(first.kill)
        clicked, output = self.click('The server is temporarily unable|Network error', MBOX_CANCEL)
        self.assertTrue(clicked, output + '\n' + first.report())
        self.assertTrue(first.wait_for_exit(30), first.report())

        # Client update data that ask for an address: the user types one.
        document = self.path('cud.xml')
        with open(document, 'w') as f:
            f.write('<ClientUpdateData><Face id="velomar" askLoginURL="true"><LoginURLs><URL>%s</URL></LoginURLs>'
                    '</Face></ClientUpdateData>' % failing.url)
        code, output = e2e.run_tool(self.tool, 'cud-encrypt', document, os.path.join(folder, 'CUD.dat'))
        self.assertEqual(0, code, output)
        working = self.nginx()
        second = e2e.LauncherRun(folder, env={'GAME_CLIENT_DOUBLE': 'exit=30000'}, name='typed_address')
        self.addCleanup(second.kill)
        clicked, output = self.click('The server is temporarily unable|Network error', MBOX_OK,
                                     edit=(MBOX_EDIT, working.url))
        self.assertTrue(clicked, output + '\n' + second.report())
        if second.wait_for_client(120) is None:
            self.fail('the typed server address was not used\n' + second.report())
        self.assertIn(' -server %s' % working.url, self.client_command_line(folder))
        self.assertInstalled(folder)


class HostileServers(E2ETest):
    MANIFEST = '/updates/update.rxml'
    PACK = '/updates/data_0.pkg'
    # The Wine process of the launcher alone takes about 95 MiB; a manifest
    # held whole would add its 100 MB.
    MEMORY_MIB = 160
    # (name, fault rules of the first server[, most faulty answers]). Each
    # case installs a fresh portable folder; a working second server is
    # there for the faults the launcher gives up on.
    CASES = (
        # First: the server logs a stalled answer only when it gives it up,
        # 25 s on, and the cases after it leave it that time.
        ('stall after 100 KiB', [{'path': PACK, 'stall_after': 102400, 'seconds': 25, 'times': 1}]),
        ('reset before the first byte', [{'path': PACK, 'reset_after': 0, 'times': 2}]),
        ('reset after 64 KiB', [{'path': PACK, 'reset_after': 65536, 'times': 2}]),
        ('reset after 1.5 MiB', [{'path': PACK, 'reset_after': 1572864, 'times': 2}]),
        ('truncated body', [{'path': PACK, 'close_after': 300000, 'times': 2}]),
        ('Content-Length longer than the body', [{'path': PACK, 'claim': 1 << 30, 'times': 2}]),
        ('Content-Length shorter than the body', [{'path': PACK, 'claim': 100000, 'times': 2}]),
        ('200 to every ranged request', [{'path': PACK, 'whole': True, 'times': 0}]),
        ('503 on the pack without a return time', [{'path': PACK, 'status': 503, 'times': 0}]),
        ('redirect loop on the manifest', [{'path': MANIFEST, 'redirect': MANIFEST, 'times': 0}]),
        # An answer over the size limit would be as large again: asked once.
        ('a manifest of 100 MB', [{'path': MANIFEST, 'huge': 100 * 1000 * 1000, 'times': 0}], 1),
    )

    def test_every_server_fault_ends_verified_clean_within_bounded_time(self):
        self.build_set(files=8, mib=3, packs=1)
        faulty = self.fault_server()
        working = self.nginx()
        branded = e2e.brand(self.tool, ARGS.launcher, self.path('Launcher.branded.exe'), [faulty.url, working.url])
        results, starts = [], []
        for number, (name, rules, *_) in enumerate(self.CASES):
            faulty.faults(*rules)
            starts.append(time.time())
            folder = e2e.portable_folder(self.path('case%02d' % number), branded)
            run = e2e.LauncherRun(folder, env={'GAME_CLIENT_DOUBLE': 'exit=30000'}, name='case%02d' % number)
            self.addCleanup(run.kill)
            seconds = run.wait_for_client(120)
            peak = e2e.peak_memory_mib(folder, 'Launcher.exe')
            run.kill()
            code, output = e2e.verify(self.tool, folder, self.set)
            server = 'second' if working.url in self.client_command_line(folder) else 'first'
            results.append((name, seconds is not None and code == 0, server, seconds, peak, output, run.report()))
        # A stalled answer is logged when the server gives it up, after the
        # launcher did: faulty answers are counted by arrival once all ran.
        starts.append(time.time())
        lines, failures = [], []
        for number, (name, clean, server, seconds, peak, output, report) in enumerate(results):
            hits = [r for r in faulty.requests() if r['fault'] and starts[number] <= r['time'] < starts[number + 1]]
            lines.append('%-38s %s from the %s server, %s, %d faulty answers, peak %d MiB' % (
                name, 'verified clean' if clean else 'FAILED', server,
                'no client' if seconds is None else '%.1f s' % seconds, len(hits), peak))
            most = (self.CASES[number][2:] or (None,))[0]
            if not clean or not hits or peak > self.MEMORY_MIB or (most and len(hits) > most):
                failures.append('%s: %s\n%s' % (name, 'no fault was served' if not hits else output, report))
        print('\n== hostile servers: %d cases\n%s' % (len(lines), '\n'.join(lines)), file=sys.stderr)
        self.assertFalse(failures, '\n\n'.join(failures))


class PowerLoss(E2ETest):
    # The test command's short form; E2E_POWER_LOSS="<kills> <MiB>" asks
    # for a longer one, e.g. "20 200".
    KILLS, MIB = (int(v) for v in os.environ.get('E2E_POWER_LOSS', '6 48').split())
    RATE = 24 * 1024 * 1024  # bytes per second and pack: slow enough to be caught
    SEED = 20261210

    def on_disk(self, folder):
        """Bytes in tmp\\ and in the installed data: they grow through the
        download and the unpack."""
        return sum(os.path.getsize(os.path.join(d, f)) for sub in ('tmp', 'data')
                   for d, _, names in os.walk(os.path.join(folder, sub)) for f in names if os.path.exists(os.path.join(d, f)))

    def test_killing_the_launcher_at_random_moments_loses_at_most_the_part_in_flight(self):
        self.build_set(files=24, mib=self.MIB, packs=4)
        server = self.fault_server()
        sizes = {'/updates/' + os.path.basename(p): os.path.getsize(p) for p in glob.glob(os.path.join(self.set, '*.pkg'))}
        server.faults(*({'path': path, 'rate': self.RATE, 'times': 0} for path in sizes))
        folder = self.portable([server.url])
        files = sum(os.path.getsize(os.path.join(d, f)) for d, _, names in os.walk(self.path('client', 'data'))
                    for f in names)
        # Moments by bytes on disk over the download and the unpack (tmp\\
        # shrinks as packs are unpacked, so the installed data sets the
        # scale), and one in the cleanup once the last unpack ended.
        rng = random.Random(self.SEED)
        moments = ['%.1f MiB on disk' % (m / 2**20) for m in
                   sorted(rng.uniform(0.02, 0.95) * files for _ in range(self.KILLS - 1))] + ['the cleanup']
        starts, kills = [], []
        started = lambda: os.path.exists(os.path.join(folder, 'client_cmdline.txt'))
        # Any log this run wrote: a fast run may start the client within one
        # turn of the wait, and log files of one second share a name stem.
        cleaning = lambda: any('processAfterDownload();' in e2e.read_text(f) for f in e2e.log_files(folder)
                               if os.path.getmtime(f) >= starts[-1] - 1)
        for number, moment in enumerate(moments):
            reached = cleaning if moment == 'the cleanup' else \
                lambda: self.on_disk(folder) >= float(moment.split()[0]) * 2**20
            starts.append(time.time())
            run = e2e.LauncherRun(folder, env={'GAME_CLIENT_DOUBLE': 'exit=30000'}, name='run%02d' % number)
            self.addCleanup(run.kill)
            if not run.wait_for(lambda: started() or reached(), 120):
                self.fail('run %d reached neither %s nor the client\n%s' % (number, moment, run.report()))
            if started() and not reached():
                break
            run.kill()  # SIGKILL: no code of the launcher runs after it
            kills.append(moment)
        else:
            starts.append(time.time())
            self.run_until_client(folder, name='last')
        starts.append(time.time())
        self.assertInstalled(folder)

        # Bytes served again per restart, against the parts in flight when
        # the kill came. A part broken off by several kills in a row is
        # served again each time: what was served before is kept as one set
        # of ranges per pack, so that each byte counts once however many
        # earlier answers carried it.
        served, lines, failures = {}, [], []
        requests = [r for r in server.requests() if r['path'] in sizes]  # by arrival
        for k in range(len(starts) - 1):
            run = [r for r in requests if starts[k] <= r['time'] < starts[k + 1]]
            again = 0
            for r in run:
                first = e2e.range_start(r)
                span = (first, first + r['sent'])
                again += sum(max(0, min(span[1], b) - max(span[0], a)) for a, b in served.get(r['path'], []))
            # The part on the wire at the kill and the one before it, whose
            # bytes may still have been on their way to disk (a run may be
            # killed before it asked for anything).
            in_flight = sum(r['sent'] for r in [r for r in requests if r['time'] < starts[k]][-2:])
            if k:
                lines.append('kill %2d at %-16s %9d bytes fetched again, %9d in the last two parts' % (
                    k, kills[k - 1] + ':', again, in_flight))
                if again > in_flight:
                    failures.append(lines[-1])
            for r in run:
                first = e2e.range_start(r)
                served[r['path']] = e2e.merge_ranges(served.get(r['path'], []) + [(first, first + r['sent'])])
        print('\n== power loss: %d kills over %d MiB\n%s' % (len(kills), self.MIB, '\n'.join(lines)), file=sys.stderr)
        self.assertEqual(moments, kills, 'the installation ended before every kill')
        self.assertFalse(failures, 'bytes beyond the part in flight were fetched again')


class DiskFull(E2ETest):
    MIB = 1024 * 1024

    def small_drive(self, size):
        """A tmpfs of <size> bytes at <work>/small, mapped as a drive of the
        prefix, both gone with the test: (mount point, drive letter)."""
        mount = self.path('small')
        os.makedirs(mount)
        if subprocess.run(['mount', '-t', 'tmpfs', '-o', 'size=%dk' % (size // 1024), 'tmpfs', mount]).returncode:
            self.skipTest('mounting a tmpfs needs root')
        self.addCleanup(subprocess.run, ['umount', '-l', mount])
        devices = os.path.join(os.environ['WINEPREFIX'], 'dosdevices')
        letter = next(c for c in 'tsrqponmlkjihgfed' if not os.path.lexists(os.path.join(devices, c + ':')))
        os.symlink(mount, os.path.join(devices, letter + ':'))
        self.addCleanup(os.remove, os.path.join(devices, letter + ':'))
        return mount, letter.upper()

    def resize(self, mount, size):
        subprocess.run(['mount', '-o', 'remount,size=%dk' % (size // 1024), mount], check=True)

    def logged_messages(self, folder):
        return [m.split('\n')[0].strip() for m in e2e.logged_messages(self.all_logs(folder))]

    def test_a_full_disk_stops_before_the_download_or_in_the_unpack_and_a_restart_with_space_completes(self):
        self.build_set(files=12, mib=24, packs=3)
        server = self.nginx()
        branded = e2e.brand(self.tool, ARGS.launcher, self.path('Launcher.branded.exe'), [server.url])
        packs = sum(os.path.getsize(p) for p in glob.glob(os.path.join(self.set, '*.pkg')))
        files = sum(os.path.getsize(os.path.join(d, f)) for d, _, names in os.walk(self.path('client')) for f in names)
        base = os.path.getsize(branded) + 2 * self.MIB  # the launcher and its own files
        mount, drive = self.small_drive(base + packs // 2)
        folder = e2e.portable_folder(os.path.join(mount, 'game'), branded)

        # Less room than the packs: the space test stops before any download.
        run = e2e.LauncherRun(folder, name='no_room')
        self.addCleanup(run.kill)
        self.assertTrue(run.wait_for(lambda: 'Insufficient disk space' in self.logged_messages(folder), 90),
                        run.report())
        run.kill()
        # Wine names a folder by the drive that holds it most closely: the
        # launcher installs on the small drive and asks that drive for space.
        self.assertIn('Install Folder  %s:\\game\n' % drive, self.all_logs(folder).replace('\r', ''))
        self.assertFalse([r for r in server.requests() if r['path'].endswith('.pkg')], 'packs were downloaded')

        # Room for the packs but not for all they hold: the unpack of the
        # last pack (about 8 MiB of files) runs out.
        self.resize(mount, base + files - 4 * self.MIB)
        run = e2e.LauncherRun(folder, name='runs_out')
        self.addCleanup(run.kill)
        self.assertTrue(run.wait_for(lambda: 'Unable to unpack updates' in ' '.join(self.logged_messages(folder)), 120),
                        run.report())
        run.kill()
        self.assertFalse(os.path.exists(os.path.join(folder, 'update.xml')),
                         'the failed installation was recorded as complete')

        # With room again a restart completes it.
        self.resize(mount, base + 2 * (packs + files))
        self.run_until_client(folder, name='room')
        self.assertInstalled(folder)


class SelfUpdate(E2ETest):
    def publish_with_newer_launcher(self, server):
        os.makedirs(self.www)
        description = e2e.make_client(self.path('client'), ARGS.game_client, files=6, mib=1, packs=1)
        branded = e2e.brand(self.tool, ARGS.launcher, self.path('Launcher.branded.exe'), [server.url])
        # The newer launcher: the same program with other bytes, so that its
        # size and checksum differ from the running one's.
        newer = self.path('Launcher.newer.exe')
        shutil.copyfile(branded, newer)
        with open(newer, 'ab') as f:
            f.write(os.urandom(4096))
        e2e.make_update_set(self.tool, self.path('client'), description, self.set, launcher=newer)
        return e2e.portable_folder(self.path('game'), branded), newer

    def test_newer_launcher_replaces_the_running_one(self):
        server = self.nginx()
        folder, newer = self.publish_with_newer_launcher(server)
        run = e2e.LauncherRun(folder, args=('/fast',))
        self.addCleanup(run.kill)
        launcher = os.path.join(folder, 'Launcher.exe')

        def replaced_and_done():
            with open(launcher, 'rb') as a, open(newer, 'rb') as b:
                same = a.read() == b.read()
            return same and 'Fast update finished .. OK' in self.all_logs(folder) and not e2e.wine_processes(folder)

        if not run.wait_for(replaced_and_done, 150):
            self.fail('the new launcher did not finish the update\n' + run.report())
        self.assertFalse(os.path.exists(os.path.join(folder, 'Launcher.tmp.exe')), 'Launcher.tmp.exe was left')
        logs = self.all_logs(folder)
        self.assertIn('Command line:\n/fast /restart\n', logs)
        self.assertIn('Copy Launcher.tmp.exe to Launcher.exe', logs)
        # The copy passes on fast mode and nothing else.
        self.assertEqual(2, logs.count('Command line:\n/fast\n'), logs)
        self.assertInstalled(folder)
        fetched = [r for r in server.requests() if r['path'] == '/updates/Launcher.exe']
        self.assertTrue(fetched)

    def test_wrong_launcher_checksum_asks_for_retry(self):
        server = self.nginx()
        folder, _ = self.publish_with_newer_launcher(server)
        self.republish(launcherCRC='12345')
        original = open(os.path.join(folder, 'Launcher.exe'), 'rb').read()
        run = e2e.LauncherRun(folder)
        self.addCleanup(run.kill)

        clicked, output = self.click(CRC_MESSAGE, MBOX_CANCEL)
        self.assertTrue(clicked, output + '\n' + run.report())
        self.assertTrue(run.wait_for_exit(30), run.report())
        self.assertEqual(original, open(os.path.join(folder, 'Launcher.exe'), 'rb').read())
        self.assertFalse(os.path.exists(os.path.join(folder, 'Launcher.tmp.exe')))
        self.assertIn('    .. warning: crc or size is not correct, file will be added to download queue',
                      self.all_logs(folder))


class SignedSets(E2ETest):
    """Sets signed with the publisher's key: a launcher branded with its
    public key installs them and refuses anything else; a launcher without
    a key installs them as any set and never asks for a signature."""

    SIGNATURE = '/updates/update.rxml.sig'

    def setUp(self):
        super().setUp()
        self.private, self.public = self.path('publisher.pem'), self.path('publisher.pub')
        code, output = e2e.run_tool(self.tool, 'keygen', self.private, self.public)
        self.assertEqual(0, code, output)
        self.description = e2e.make_client(self.path('client'), ARGS.game_client, files=6, mib=1, packs=1)

    def publish(self, name, launcher=None):
        """A signed set in <work>/<name>/updates; the folder to serve."""
        www = self.path(name)
        os.makedirs(www)
        e2e.make_update_set(self.tool, self.path('client'), self.description, os.path.join(www, 'updates'),
                            launcher=launcher, sign=self.private)
        return www

    def served(self, www, name):
        server = e2e.Nginx(self.path(name + '.nginx'), www)
        self.addCleanup(server.stop)
        return server

    def keyed_launcher(self, server_urls, name):
        exe = e2e.brand(self.tool, ARGS.launcher, self.path(name + '.exe'), server_urls)
        code, output = e2e.run_tool(self.tool, 'brand', exe, '--publisher-key', self.public)
        self.assertEqual(0, code, output)
        return exe

    def refused_with_retry(self, folder, warning):
        """Runs the keyed launcher of <folder> until it reports the download
        damaged, answers Cancel and checks the log's reason."""
        run = e2e.LauncherRun(folder)
        self.addCleanup(run.kill)
        clicked, output = self.click(CRC_MESSAGE, MBOX_CANCEL)
        self.assertTrue(clicked, output + '\n' + run.report())
        self.assertTrue(run.wait_for_exit(30), run.report())
        self.assertIn(warning, self.all_logs(folder))

    def test_changed_and_unsigned_manifests_are_refused_and_a_signed_set_installs(self):
        good = self.served(self.publish('www'), 'good')
        # An attacker's manifest: readable, but not the bytes the publisher signed.
        changed_www = self.publish('changed')
        set_folder = os.path.join(changed_www, 'updates')
        text = e2e.read_text(os.path.join(set_folder, 'update.xml')).replace('clientVersion="1.0.0"',
                                                                             'clientVersion="1.0.1"')
        with zipfile.ZipFile(os.path.join(set_folder, 'update.rxml'), 'w', zipfile.ZIP_STORED) as archive:
            archive.writestr('update.xml', text.encode())
        unsigned_www = self.publish('unsigned')
        os.remove(os.path.join(unsigned_www, 'updates', 'update.rxml.sig'))
        changed, unsigned = self.served(changed_www, 'changed'), self.served(unsigned_www, 'unsigned')
        folder = e2e.portable_folder(self.path('keyed'),
                                     self.keyed_launcher([changed.url, unsigned.url, good.url], 'keyed'))
        run = self.run_until_client(folder)
        run.kill()

        self.assertInstalled(folder)
        self.assertIn(' -server %s' % good.url, self.client_command_line(folder))
        logs = self.all_logs(folder)
        self.assertIn('update.rxml refused: the signature does not match any publisher key', logs)
        self.assertIn('update.rxml refused: no signature file (HTTP status 404)', logs)
        self.assertIn('update.rxml signature verified', logs)
        for server in (changed, unsigned):
            paths = [r['path'] for r in server.requests()]
            self.assertEqual(1, paths.count(self.SIGNATURE), paths)
            self.assertEqual([], [p for p in paths if not p.startswith('/updates/update.rxml')], paths)

        # Without a key the same signed set installs, and no signature is asked for.
        asked = len(good.requests())
        plain = e2e.portable_folder(self.path('unkeyed'), e2e.brand(self.tool, ARGS.launcher,
                                                                    self.path('unkeyed.exe'), [good.url]))
        self.run_until_client(plain)
        self.assertInstalled(plain)
        later = [r['path'] for r in good.requests()[asked:]]
        self.assertIn('/updates/update.rxml', later)
        self.assertNotIn(self.SIGNATURE, later)

        # A damaged key in the configuration updates nothing, rather than everything unsigned.
        asked = len(good.requests())
        damaged = e2e.portable_folder(self.path('damaged'), self.configured_launcher(
            [('<publisherKeys>', '<publisherKeys>%s0 ' % ('ab' * 31))], good))
        run = e2e.LauncherRun(damaged)
        self.addCleanup(run.kill)
        refused = "Update refused: the configuration's publisher key '%s0' is not 64 hexadecimal digits" % ('ab' * 31)
        self.assertTrue(run.wait_for(lambda: refused in self.all_logs(damaged), 60), run.report())
        self.assertIn('Invalid update information', self.all_logs(damaged))
        run.kill()
        self.assertEqual([], [r['path'] for r in good.requests()[asked:] if r['path'].startswith('/updates/')])

    def test_a_pack_or_launcher_changed_behind_a_good_signature_is_refused(self):
        # A pack with one byte changed and its CRC-32 kept: only its hash differs.
        pack_www = self.publish('pack')
        pack = os.path.join(pack_www, 'updates', 'data_0.pkg')
        with open(pack, 'rb') as f:
            data = f.read()
        with open(pack, 'wb') as f:
            f.write(e2e.forge_crc(data, len(data) // 2, len(data) // 2 + 8, zlib.crc32))
        server = self.served(pack_www, 'pack')
        folder = e2e.portable_folder(self.path('game'), self.keyed_launcher([server.url], 'keyed'))
        self.refused_with_retry(folder, '.. warning: SHA-256 does not match the signed manifest')
        # The intact client.pkg may have gone in first; nothing of data_0.pkg did.
        self.assertFalse(os.path.exists(os.path.join(folder, 'data')), 'files of the changed pack were installed')

        # A newer launcher changed the same way (its checksum kept): it is not run.
        keyed = self.keyed_launcher([], 'newer')
        # Without its debugging sections the program is a tenth of the size:
        # the checksum is computed for each of the 33 bits below.
        strip = shutil.which('x86_64-w64-mingw32-strip')
        if strip:
            subprocess.run([strip, keyed], check=True)
        with open(keyed, 'ab') as f:
            f.write(os.urandom(4096))
        launcher_www = self.publish('launcher', launcher=keyed)
        published = os.path.join(launcher_www, 'updates', 'Launcher.exe')
        with open(published, 'rb') as f:
            image = f.read()

        def checksum(candidate):
            probe = self.path('probe.exe')
            with open(probe, 'wb') as f:
                f.write(candidate)
            code, output = e2e.run_tool(self.tool, 'checksum', probe)
            self.assertEqual(0, code, output)
            return int(dict(line.split() for line in output.splitlines())['A'])

        # In the DOS stub's text: the program still starts.
        with open(published, 'wb') as f:
            f.write(e2e.forge_crc(image, 0x50, 0x58, checksum))
        server = self.served(launcher_www, 'launcher')
        folder = e2e.portable_folder(self.path('old'), self.keyed_launcher([server.url], 'old'))
        original = open(os.path.join(folder, 'Launcher.exe'), 'rb').read()
        self.refused_with_retry(folder, '.. warning: SHA-256 does not match the signed manifest')
        self.assertEqual(original, open(os.path.join(folder, 'Launcher.exe'), 'rb').read())
        self.assertFalse(os.path.exists(os.path.join(folder, 'Launcher.tmp.exe')))
        self.assertFalse(os.path.exists(os.path.join(folder, 'GameClient.exe')))


class HttpsSelfUpdate(OverHttps, SelfUpdate):
    def test_over_https_a_newer_launcher_replaces_the_running_one(self):
        self.test_newer_launcher_replaces_the_running_one()


class Instances(E2ETest):
    def test_second_launcher_during_a_wizard_download_ends_at_once(self):
        self.build_set(files=4, mib=32, packs=1)
        server = self.fault_server()
        # Slow enough (32 s) that the first is still downloading after the
        # second has started, loaded its theme, asked and ended.
        server.faults({'path': '/updates/data_0.pkg', 'rate': 1024 * 1024, 'times': 0})
        folder = self.portable([server.url])
        first = e2e.LauncherRun(folder, name='first')
        self.addCleanup(first.kill)
        tmp = os.path.join(folder, 'tmp')
        if not first.wait_for(lambda: os.path.isdir(tmp) and os.listdir(tmp), 60):
            self.fail('the first launcher did not start downloading\n' + first.report())

        second = e2e.LauncherRun(folder, name='second')
        self.addCleanup(second.kill)
        self.assertTrue(second.wait_for_exit(30), 'the second launcher kept running\n' + second.report())
        self.assertEqual(0, second.exit_code())
        self.assertIsNone(first.exit_code(), 'the first launcher ended')
        logs = self.all_logs(folder)
        self.assertIn('AnswerSilentDownload()', logs)
        self.assertIn('SilentDownloadMode == sdmExit', logs)

    def test_second_launcher_during_a_silent_download_runs_in_run_mode(self):
        self.build_set(files=6, mib=2, packs=1)
        server = self.fault_server()
        folder = self.portable([server.url])
        self.run_until_client(folder, name='install').kill()
        os.remove(os.path.join(folder, 'client_cmdline.txt'))

        # A compatible update (same modification stamp and version family):
        # the installed client may run while it downloads in the background.
        stamp = re.search(r'modification="([^"]*)"', e2e.read_text(os.path.join(self.set, 'update.xml'))).group(1)
        shutil.rmtree(self.www)
        os.makedirs(self.www)
        description = e2e.make_client(self.path('client2'), ARGS.game_client, files=6, mib=2, packs=1,
                                      seed='second', version='1.0.1')
        e2e.make_update_set(self.tool, self.path('client2'), description, self.set)
        self.republish(modification=stamp)
        server.faults({'path': '/updates/data_0.pkg', 'rate': 256 * 1024, 'times': 0})

        first = e2e.LauncherRun(folder, env={'GAME_CLIENT_DOUBLE': 'exit=120000'}, name='silent')
        self.addCleanup(first.kill)
        if first.wait_for_client(60) is None:
            self.fail('the client did not start beside the background download\n' + first.report())
        second = e2e.LauncherRun(folder, name='second')
        self.addCleanup(second.kill)
        self.assertTrue(second.wait_for_exit(30), 'the second launcher kept running\n' + second.report())
        logs = self.all_logs(folder)
        self.assertIn('SetSilentDownload(true);', logs)
        self.assertIn('SilentDownloadMode == sdmRun', logs)



class RunByClient(E2ETest):
    def test_client_started_update_downloads_in_the_background_and_hands_over(self):
        self.build_set(files=6, mib=2, packs=1)
        server = self.nginx()
        folder = self.portable([server.url])
        self.run_until_client(folder, name='install').kill()
        os.remove(os.path.join(folder, 'client_cmdline.txt'))
        shutil.rmtree(self.www)
        os.makedirs(self.www)
        description = e2e.make_client(self.path('client2'), ARGS.game_client, files=6, mib=2, packs=1,
                                      seed='second', version='1.1.0')
        e2e.make_update_set(self.tool, self.path('client2'), description, self.set)

        # The running client asks its launcher to update in the background.
        client = e2e.ClientRun(folder, 'mode=runByClient exit=120000')
        self.addCleanup(client.kill)
        silent = os.path.join(folder, 'silent.dat')
        # The launcher logs its end just after writing silent.dat.
        if not client.wait_for(lambda: os.path.exists(silent) and
                               'Exit .. silentDownload_finish' in self.all_logs(folder), 90):
            self.fail('the background update did not finish\n' + client.report())
        self.assertIn('SetSilentDownload(true);', self.all_logs(folder))
        self.assertEqual(1, len(self.client_command_line(folder).strip().split('\n')),
                         'the launcher started another client')
        self.assertInstalled(folder)
        client.kill()
        os.remove(os.path.join(folder, 'client_cmdline.txt'))

        # The next start with the client closed takes the prepared files: it
        # checks the whole folder, keeps it and starts the client.
        self.run_until_client(folder, name='after')
        self.assertFalse(os.path.exists(silent), 'silent.dat was left')
        self.assertInstalled(folder)
        self.assertIn('bCanDelete = true', e2e.read_text(e2e.log_files(folder)[-1]))


    def test_a_background_launcher_that_must_be_replaced_ends_and_the_next_start_replaces_it(self):
        self.build_set(files=4, mib=1, packs=1)
        server = self.nginx()
        folder = self.portable([server.url])
        self.run_until_client(folder, name='install').kill()
        os.remove(os.path.join(folder, 'client_cmdline.txt'))
        launcher = os.path.join(folder, 'Launcher.exe')
        newer = self.path('Launcher.newer.exe')
        shutil.copyfile(launcher, newer)
        with open(newer, 'ab') as f:
            f.write(os.urandom(4096))
        shutil.rmtree(self.www)
        os.makedirs(self.www)
        description = e2e.make_client(self.path('client2'), ARGS.game_client, files=4, mib=1, packs=1,
                                      seed='second', version='1.1.0')
        e2e.make_update_set(self.tool, self.path('client2'), description, self.set, launcher=newer)

        # A launcher must be replaced before it updates anything, and the
        # running client cannot wait for that: the background launcher ends
        # without touching the installation and leaves nothing in the tray.
        client = e2e.ClientRun(folder, 'mode=runByClient exit=120000')
        self.addCleanup(client.kill)
        gave_up = '  .. runByClient - new launcher available, exit'
        ended = lambda: gave_up in self.all_logs(folder) and not e2e.wine_processes(folder, 'Launcher.exe')
        if not client.wait_for(ended, 90):
            self.fail('the background launcher did not end\n' + client.report())
        self.assertNotEqual(open(newer, 'rb').read(), open(launcher, 'rb').read())
        self.assertFalse(os.path.exists(os.path.join(folder, 'silent.dat')))
        client.kill()
        os.remove(os.path.join(folder, 'client_cmdline.txt'))

        # The next start takes the prepared files, replaces the launcher and
        # starts the client.
        self.run_until_client(folder, name='after')
        self.assertEqual(open(newer, 'rb').read(), open(launcher, 'rb').read())
        self.assertIn('Copy Launcher.tmp.exe to Launcher.exe', self.all_logs(folder))
        self.assertInstalled(folder)


class Promotion(E2ETest):
    def test_automatic_mode_opens_the_promotion_address_in_the_players_browser(self):
        self.build_set(files=4, mib=1, packs=1)
        server = self.nginx()
        # The player's browser: the client double, which notes its command line.
        browser = self.path('browser')
        os.makedirs(browser)
        shutil.copyfile(ARGS.game_client, os.path.join(browser, 'browser.exe'))
        key = r'HKLM\Software\Classes\http\shell\open\command'
        code, output = self.wine_reg('query', key, '/ve')
        shipped = re.search(r'REG_SZ\s+(.*\S)', output)
        self.assertTrue(code == 0 and shipped, output)
        self.addCleanup(self.wine_reg, 'add', key, '/ve', '/d', shipped.group(1), '/f')
        command = '"%s" "%%1"' % e2e.windows_path(os.path.join(browser, 'browser.exe'))
        self.assertEqual(0, self.wine_reg('add', key, '/ve', '/d', command, '/f')[0])
        promo = server.url + 'promo?from=launcher'
        exe = self.configured_launcher([('<automaticInstallMode enable="false" promoURL=""/>',
                                         '<automaticInstallMode enable="true" promoURL="%s"/>' % promo)], server)
        folder = e2e.portable_folder(self.path('game'), exe)
        run = e2e.LauncherRun(folder)
        self.addCleanup(run.kill)
        opened = os.path.join(browser, 'client_cmdline.txt')
        self.assertTrue(self.wait_until(lambda: os.path.exists(opened) and promo in e2e.read_text(opened), 30),
                        run.report())


class ClientStart(E2ETest):
    TOO_LONG = 'Talvoro Game Client is taking too long to start'

    def install(self, game_client):
        os.makedirs(self.www)
        description = e2e.make_client(self.path('client'), ARGS.game_client, files=4, mib=1, packs=1)
        shutil.copyfile(game_client, self.path('client', 'GameClient.exe'))
        e2e.make_update_set(self.tool, self.path('client'), description, self.set)
        return self.portable([self.nginx().url])

    def test_prepared_files_and_a_client_process_without_a_window_start_the_client_again(self):
        # silent.dat says a background download prepared the files; a client
        # process counts as running even before it shows a window.
        folder = self.install(ARGS.game_client)
        self.run_until_client(folder).kill()
        e2e.kill_wine_processes(folder)
        open(os.path.join(folder, 'silent.dat'), 'wb').close()
        cmdline = os.path.join(folder, 'client_cmdline.txt')
        client = e2e.ClientRun(folder, 'nowindow exit=60000')
        self.addCleanup(client.kill)
        self.assertTrue(client.wait_for(lambda: len(e2e.read_text(cmdline).splitlines()) == 2, 30))
        run = e2e.LauncherRun(folder, env={'GAME_CLIENT_DOUBLE': 'exit=30000'}, name='prepared')
        self.addCleanup(run.kill)
        self.assertTrue(run.wait_for(lambda: len(e2e.read_text(cmdline).splitlines()) == 3, 60),
                        'the client was not started\n' + run.report())
        self.assertIn('bCanRun = true', e2e.read_text(e2e.log_files(folder)[-1]))

    def test_a_client_that_cannot_start_is_reported_at_once(self):
        broken = self.path('broken.exe')
        with open(broken, 'wb') as f:
            f.write(b'not a program\n' * 1000)
        folder = self.install(broken)
        run = e2e.LauncherRun(folder)
        self.addCleanup(run.kill)
        clicked, output = self.click(self.TOO_LONG, MBOX_OK, timeout=60)
        self.assertTrue(clicked, output + '\n' + run.report())
        self.assertTrue(run.wait_for_exit(30), run.report())
        self.assertInstalled(folder)

    def test_a_client_that_never_signals_is_ended_after_its_time_limit(self):
        folder = self.install(ARGS.game_client)
        run = e2e.LauncherRun(folder, env={'GAME_CLIENT_DOUBLE': 'nosignal exit=300000'})
        self.addCleanup(run.kill)
        if run.wait_for_client(60) is None:
            self.fail('the client did not start\n' + run.report())
        started = time.monotonic()
        clicked, output = self.click(self.TOO_LONG, MBOX_OK, timeout=180)
        waited = time.monotonic() - started
        self.assertTrue(clicked, output + '\n' + run.report())
        self.assertGreater(waited, 100, 'the client was given up before its time limit')
        self.assertTrue(run.wait_for_exit(30), run.report())
        self.assertFalse([p for p in e2e.wine_processes(folder)], 'the client that never signalled still runs')


class SinglePage(E2ETest):
    """A new player's installation, driven only through the skinned page."""

    LANGUAGE_KEY = r'HKCU\Software\Hollisk Games\TL\Language'

    def forget_language(self):
        self.wine_reg('delete', self.LANGUAGE_KEY, '/f')

    def test_kazakh_portable_install_through_the_single_page(self):
        self.build_set(files=12, mib=3, packs=2)
        start = self.download_folder(self.nginx())
        # The default folder of a new installation, in the session's prefix.
        target = os.path.join(os.environ['WINEPREFIX'], 'drive_c', 'Program Files', 'Talvoro')
        shutil.rmtree(target, ignore_errors=True)
        self.forget_language()
        self.addCleanup(shutil.rmtree, target, True)
        # Another portable installation's desktop shortcut holds the first name.
        user = os.path.join(os.environ['WINEPREFIX'], 'drive_c', 'users', 'root')
        desktop = os.path.join(user, 'Desktop')
        programs = os.path.join(user, 'AppData', 'Roaming', 'Microsoft', 'Windows', 'Start Menu', 'Programs', 'Talvoro')
        taken = os.path.join(desktop, 'Talvoro Portable.lnk')
        mine = os.path.join(desktop, 'Talvoro Portable (2).lnk')
        for path in (taken, mine):
            self.addCleanup(lambda p=path: os.path.exists(p) and os.remove(p))
        self.addCleanup(shutil.rmtree, programs, True)
        os.makedirs(desktop, exist_ok=True)
        with open(taken, 'wb') as f:
            f.write(b'another installation')
        self.addCleanup(self.forget_language)
        self.addCleanup(e2e.kill_wine_processes, target)
        run = self.open_install_page(start, env={'GAME_CLIENT_DOUBLE': 'exit=30000'})
        kazakh_row = theme_layout.list_row_rect(theme_layout.theme_config(ARGS.source), 2)
        self.click_in_turn(run, ['language', kazakh_row, 'single_install_button_settings',
                                 'single_install_checkbox_guest', 'single_install_checkbox_terms',
                                 'single_install_button_install'])

        cmdline = os.path.join(target, 'client_cmdline.txt')
        if not run.wait_for(lambda: os.path.exists(cmdline) and os.path.getsize(cmdline) > 0, 120):
            self.fail('the client did not start from %s\n%s' % (target, run.report()))
        text = self.all_logs(start)
        for line in ('CLogic::OnCBNSelChange: ID_CMB_LANGUAGE', 'ID_SINGLEPAGEINSTALL_BTN_SETTINGS',
                     'ID_SINGLEPAGEINSTALL_BTN_CHECKBOX_GUEST', 'ID_SINGLEPAGEINSTALL_BTN_CHECKBOX_TERMS',
                     'ID_SINGLEPAGEINSTALL_BTN_INSTALL', 'Start - guest install'):
            self.assertIn(line, text)
        self.assertIn('kk', self.wine_reg('query', self.LANGUAGE_KEY, '/v', 'Language')[1],
                      'Kazakh was not the chosen language')
        self.assertTrue(os.path.exists(os.path.join(target, 'guest.dat')), 'not a portable installation')
        self.assertInstalled(target)
        launcher = r'C:\Program Files\Talvoro\Launcher.exe'
        for link in (mine, os.path.join(programs, 'Talvoro Portable (2).lnk')):
            self.assertTrue(os.path.exists(link), 'no shortcut %s' % link)
            self.assertEqual(launcher.lower(), self.shortcut(link)[0].lower())
        uninstall_target, arguments = self.shortcut(os.path.join(programs, 'Uninstall Talvoro Portable (2).lnk'))
        self.assertEqual(launcher.lower(), uninstall_target.lower())
        self.assertTrue(arguments.startswith('/uninstall "') and arguments.endswith('Talvoro Portable (2).lnk"'),
                        arguments)


class BadFolders(E2ETest):
    """Unusual installation folders: those that cannot be one end in the
    error message, with the settings given back, and nothing written; a
    name outside the ANSI code page installs like any other."""


    def test_a_file_or_an_overlong_path_as_the_folder_is_refused_and_install_can_be_pressed_again(self):
        self.build_set(files=4, mib=1, packs=1)
        start = self.download_folder(self.nginx())
        blocker = self.path('blocker')
        with open(blocker, 'wb') as f:
            f.write(b'a file where the folder would be')
        self.addCleanup(self.wine_reg, 'delete', self.INSTALL_KEY, '/f')
        overlong = e2e.windows_path(self.path('long')) + '\\' + 'x' * 300
        for folder in (e2e.windows_path(blocker), overlong):
            # The first registered installation is the default folder.
            self.assertEqual(0, self.wine_reg('add', self.INSTALL_KEY, '/v', 'Directory', '/d', folder, '/f')[0])
            run = self.open_install_page(start, name='run%d' % len(folder))
            self.click_in_turn(run, ['single_install_button_settings', 'single_install_checkbox_guest',
                                     'single_install_checkbox_terms', 'single_install_button_install'])
            for attempt in range(2):
                clicked, output = self.click('Unable to create destination directory', MBOX_OK, timeout=30)
                self.assertTrue(clicked, 'attempt %d: %s\n%s' % (attempt, output, run.report()))
                if attempt == 0:
                    # OK gave the settings back: Install works again.
                    self.click_in_turn(run, ['single_install_button_install'])
            self.assertIsNone(run.exit_code(), 'the launcher ended\n' + run.report())
            run.kill()
        with open(blocker, 'rb') as f:
            self.assertEqual(b'a file where the folder would be', f.read())
        written = [os.path.join(d, f) for d, _, files in os.walk(self.path('long')) for f in files]
        self.assertEqual([], written, 'files were written for the overlong path')


    def test_the_folder_picker_starts_at_the_nearest_existing_folder_and_returns_it(self):
        self.build_set(files=4, mib=1, packs=1)
        start = self.download_folder(self.nginx())
        picked = self.path('picked')
        os.makedirs(picked)
        self.addCleanup(self.wine_reg, 'delete', self.INSTALL_KEY, '/f')
        self.assertEqual(0, self.wine_reg('add', self.INSTALL_KEY, '/v', 'Directory', '/d',
                                          e2e.windows_path(picked) + r'\missing\deeper', '/f')[0])
        run = self.open_install_page(start)
        self.click_in_turn(run, ['single_install_button_settings', 'single_install_button_browse'])
        tool = os.path.join(os.path.dirname(ARGS.launcher), 'dialog_ok.exe')
        result = subprocess.run([e2e.WINE, tool, '20000'], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT)
        self.assertEqual(0, result.returncode, result.stdout.decode('utf-8', 'replace') + run.report())
        chosen = 'Install Folder  ' + e2e.windows_path(picked)
        self.assertTrue(run.wait_for(lambda: chosen.lower() in self.all_logs(start).lower(), 20), run.report())

    def test_a_folder_named_outside_the_ansi_code_page_installs(self):
        self.build_set(files=4, mib=1, packs=1)
        start = self.download_folder(self.nginx())
        target = self.path('Тальворо ✓ 游戏')
        self.addCleanup(self.forget_portable_shortcuts)
        self.install_portably(start, target)
        self.assertInstalled(target)
        self.assertTrue(os.path.exists(os.path.join(target, 'guest.dat')))

class ShortcutChanges(E2ETest):
    """A portable installation follows the manifest's program shortcuts."""

    def test_an_update_adds_and_removes_the_programs_shortcuts(self):
        os.makedirs(self.www)
        self.publish(True, '1.0.0')
        folder = self.portable([self.nginx().url])
        user = os.path.join(os.environ['WINEPREFIX'], 'drive_c', 'users', 'root')
        desktop = os.path.join(user, 'Desktop', 'Map Editor Portable.lnk')
        menu = os.path.join(user, 'AppData', 'Roaming', 'Microsoft', 'Windows', 'Start Menu', 'Programs', 'Talvoro',
                            'Map Editor Portable.lnk')
        start = os.path.join(user, 'AppData', 'Roaming', 'Microsoft', 'Windows', 'Start Menu', 'Map Editor Portable.lnk')
        for link in (desktop, start):
            self.addCleanup(lambda p=link: os.path.exists(p) and os.remove(p))
        self.addCleanup(shutil.rmtree, os.path.dirname(menu), True)
        self.run_until_client(folder, name='with_editor').kill()
        for link in (desktop, start, menu):
            self.assertTrue(os.path.exists(link), 'no shortcut %s\n%s' % (link, e2e.log_tail(folder)))
        self.assertTrue(self.shortcut(desktop)[0].lower().endswith('\\game\\tools\\editor.exe'))

        self.publish(False, '1.0.1')
        os.remove(os.path.join(folder, 'client_cmdline.txt'))
        self.run_until_client(folder, name='without_editor').kill()
        for link in (desktop, start, menu):
            self.assertFalse(os.path.exists(link), 'the shortcut %s was left\n%s' % (link, e2e.log_tail(folder)))

    def test_a_numbered_portable_installation_keeps_its_number_on_program_shortcuts(self):
        os.makedirs(self.www)
        self.publish(True, '1.0.0')
        self.forget_portable_shortcuts()
        self.addCleanup(self.forget_portable_shortcuts)
        user = os.path.join(os.environ['WINEPREFIX'], 'drive_c', 'users', 'root')
        # Another portable installation holds the first name.
        with open(os.path.join(user, 'Desktop', 'Talvoro Portable.lnk'), 'wb') as f:
            f.write(b'another installation')
        target = self.path('numbered')
        start = self.download_folder(self.nginx())
        self.install_portably(start, target)
        start_menu = os.path.join(user, 'AppData', 'Roaming', 'Microsoft', 'Windows', 'Start Menu')
        links = [os.path.join(user, 'Desktop', 'Map Editor Portable (2).lnk'),
                 os.path.join(start_menu, 'Programs', 'Talvoro', 'Map Editor Portable (2).lnk')]
        for link in links:
            self.assertTrue(os.path.exists(link), 'no shortcut %s' % link)
        e2e.kill_wine_processes(start)
        e2e.kill_wine_processes(target)

        # The next version drops the program: its numbered shortcuts go.
        self.publish(False, '1.0.1')
        os.remove(os.path.join(target, 'client_cmdline.txt'))
        self.run_until_client(target, name='without_editor').kill()
        for link in links:
            self.assertFalse(os.path.exists(link), 'the shortcut %s was left\n%s' % (link, e2e.log_tail(target)))


class AddOns(E2ETest):
    """An add-on program of the manifest is fetched and started after the
    update; a single-page theme keeps the manifest's selection."""

    def test_a_selected_add_on_is_downloaded_and_started(self):
        os.makedirs(self.www)
        description = e2e.make_client(self.path('client'), ARGS.game_client, files=4, mib=1, packs=1)
        os.makedirs(self.path('client', 'voice'))
        sleeper = os.path.join(os.path.dirname(ARGS.launcher), 'assistant_test_sleeper.exe')
        shutil.copyfile(sleeper, self.path('client', 'voice', 'Setup.exe'))
        pack = ('  <pack type="ext" file="voice.pkg"><include path="voice"/><info lang="en" sel="true">'
                '<name>Voice Chat</name><exec>voice\\Setup.exe</exec><cmdl>/quiet</cmdl>'
                '<help>Talk to your team.</help></info></pack>\n')
        description = description.replace('  <pack file="client.pkg">', pack + '  <pack file="client.pkg">')
        e2e.make_update_set(self.tool, self.path('client'), description, self.set)
        folder = self.portable([self.nginx().url])
        self.run_until_client(folder)
        self.assertTrue(os.path.exists(os.path.join(folder, 'voice', 'Setup.exe')), 'the add-on was not fetched')
        text = self.all_logs(folder)
        self.assertIn('--- Run external applications ---', text)
        self.assertRegex(text, r'  Run ext file: .*\\voice\\Setup.exe\r?\n   \.\. ok')


class StandardInstallation(E2ETest):
    """Standard installations through the single page, their records, and
    their removal after each test."""

    PRODUCT_KEY = r'HKLM\Software\Hollisk Games\TL'
    UNINSTALL_KEY = r'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Talvoro 0'

    def values(self, key):
        """{name: text} of the REG_SZ values of <key>."""
        _, output = self.wine_reg('query', key)
        found = {}
        for line in output.splitlines():
            parts = re.split(r'\s{4}', line.strip(), maxsplit=2)
            if len(parts) == 3 and parts[1] == 'REG_SZ':
                found[parts[0]] = parts[2]
        return found

    # Every name an installation of these tests can have.
    PRODUCT_KEYS = (r'HKLM\Software\Hollisk Games\TL', r'HKLM\Software\Hollisk Games\TN')
    FULL_NAMES = ('Talvoro', 'Talvoro Nova')

    def drive(self, *parts):
        return os.path.join(os.environ['WINEPREFIX'], 'drive_c', *parts)

    def desktop_link(self, name):
        return self.drive('users', 'root', 'Desktop', name + '.lnk')

    def programs_folder(self, full_name):
        return self.drive('ProgramData', 'Microsoft', 'Windows', 'Start Menu', 'Programs', full_name)

    def forget_installation(self, *folders):
        """Removes what installations under every name leave: keys, the
        default folders and <folders>, the shortcuts."""
        for key in self.PRODUCT_KEYS + tuple(self.UNINSTALL_KEY.replace('Talvoro 0', n + ' 0') for n in self.FULL_NAMES):
            self.wine_reg('delete', key, '/f')
        for target in tuple(self.drive('Program Files', name) for name in self.FULL_NAMES) + folders:
            e2e.kill_wine_processes(target)
            shutil.rmtree(target, ignore_errors=True)
        for name in self.FULL_NAMES:
            if os.path.exists(self.desktop_link(name)):
                os.remove(self.desktop_link(name))
            shutil.rmtree(self.programs_folder(name), ignore_errors=True)

    def end_installation(self, target):
        """Ends the launcher that installed into <target> and the client it
        started, which would otherwise hold the folder."""
        e2e.kill_wine_processes(self.path('download'))
        e2e.kill_wine_processes(target)

    def serve(self, extra=()):
        self.build_set(extra, files=8, mib=2, packs=1)
        self.server = self.nginx()

    def install(self, controls=(), folder=None, launcher=None, full_name='Talvoro'):
        """Installs the set into C:\\Program Files\\<full_name>, or into
        <folder> of drive C registered before as the first installation,
        through the single page as a new player would: <controls> are
        clicked before Install, with the branded launcher or <launcher>;
        until the client starts. The folder on this side."""
        if not hasattr(self, 'server'):
            self.serve()
        start = self.download_folder(self.server)
        if launcher:
            shutil.copyfile(launcher, os.path.join(start, 'Launcher.exe'))
        target = self.drive(*folder) if folder else self.drive('Program Files', full_name)
        self.forget_installation(target)
        self.addCleanup(self.forget_installation, target)
        if folder:
            self.wine_reg('add', self.PRODUCT_KEY + r'\Install', '/v', 'Directory', '/d', e2e.prefix_path(target), '/f')
        run = self.open_install_page(start, env={'GAME_CLIENT_DOUBLE': 'exit=30000'})
        self.click_in_turn(run, list(controls) + ['single_install_checkbox_terms', 'single_install_button_install'])
        cmdline = os.path.join(target, 'client_cmdline.txt')
        if not run.wait_for(lambda: os.path.exists(cmdline) and os.path.getsize(cmdline) > 0, 150):
            self.fail('the client did not start from %s\n%s' % (target, run.report()))
        return target


class StandardInstall(StandardInstallation):
    """A standard installation registered by the elevated assistant."""

    def test_standard_install_registers_the_folder_and_makes_shortcuts(self):
        target = self.install()
        self.assertInstalled(target)
        folder = r'C:\Program Files\Talvoro'
        launcher = folder + r'\Launcher.exe'
        self.assertTrue(os.path.exists(os.path.join(target, 'Launcher.exe')), 'the launcher was not copied')
        self.assertFalse(os.path.exists(os.path.join(target, 'guest.dat')), 'a standard installation is not portable')
        self.assertEqual(folder.lower(), self.values(self.PRODUCT_KEY + r'\Install').get('Directory', '').lower())
        entry = self.values(self.UNINSTALL_KEY)
        self.assertEqual({'DisplayName', 'UninstallString', 'DisplayIcon', 'InstallLocation', 'HelpLink',
                          'URLInfoAbout', 'URLUpdateInfo'}, set(entry), entry)
        self.assertEqual('Talvoro', entry['DisplayName'])
        self.assertTrue(entry['UninstallString'].startswith('"%s" /uninstall "' % launcher), entry)
        self.assertTrue(entry['UninstallString'].endswith('\\Talvoro.lnk"'), entry)
        for link in (self.desktop_link('Talvoro'), os.path.join(self.programs_folder('Talvoro'), 'Talvoro.lnk')):
            self.assertTrue(os.path.exists(link), 'no shortcut %s' % link)
            self.assertEqual(launcher.lower(), self.shortcut(link)[0].lower())
        self.assertRegex(self.client_command_line(target), r' -appID "AppID_Talvoro_-?\d+"')


    def test_without_write_access_a_standard_installation_gets_its_rights_back_and_a_portable_one_stops(self):
        # A folder named like the launcher's write probe makes the probe
        # fail for root too, whose writes the file modes never stop.
        target = self.install()
        self.end_installation(target)
        os.remove(os.path.join(target, 'client_cmdline.txt'))
        os.makedirs(os.path.join(target, '$test.bat'))
        self.run_until_client(target)
        # The update asks the server only once the rights are back, and once.
        log = e2e.read_text(e2e.log_files(target)[-1])
        granted = log.find('::eLauncherCmd_GetRights .. OK')
        self.assertNotEqual(-1, granted, log)
        self.assertEqual(1, log.count('DownloadUpdateXml'), log)
        self.assertLess(granted, log.find('DownloadUpdateXml'), log)
        e2e.kill_wine_processes(target)

        folder = self.portable([self.server.url])
        self.run_until_client(folder).kill()
        os.makedirs(os.path.join(folder, '$test.bat'))
        # The client's download request is answered "cannot write" at once.
        answers = os.path.join(folder, 'client_answers.txt')
        client = e2e.ClientRun(folder, 'mode=download tasks=data_0.pkg exit=60000')
        self.addCleanup(client.kill)
        self.assertTrue(client.wait_for(lambda: os.path.exists(answers) and 'A72 1' in e2e.read_text(answers), 60),
                        e2e.log_tail(folder))
        client.kill()
        run = e2e.LauncherRun(folder)
        self.addCleanup(run.kill)
        clicked, output = self.click("You don't have rights", MBOX_OK, timeout=60)
        self.assertTrue(clicked, output + '\n' + run.report())
        self.assertTrue(run.wait_for_exit(30), run.report())


class Renaming(StandardInstallation):
    """A launcher whose configuration renames the product moves an
    installation to the new names."""

    def renaming_launcher(self, common, product_key):
        """The branded launcher with the product's full and icon name
        "Talvoro Nova", the registry path of <product_key> and <common> in
        place of the configuration's empty element of that name."""
        return self.configured_launcher(
            [('<fullName>Talvoro</fullName>', '<fullName>Talvoro Nova</fullName>'),
             ('<iconName>Talvoro</iconName>', '<iconName>Talvoro Nova</iconName>'),
             ('<%s/>' % re.match(r'<(\w+)', common).group(1), common),
             ('<regPath>Software\\Hollisk Games\\TL</regPath>',
              '<regPath>%s</regPath>' % product_key.split('\\', 1)[1])], self.server)

    def rename_with(self, common, product_key):
        """Runs the renaming launcher in place of the installed one until
        the client starts from the renamed folder; checks what moved."""
        old = self.install()
        self.end_installation(old)
        # The first client's record moves with the folder: only a new one
        # tells that the launcher in the new folder started the client,
        # which is the renaming run's last step.
        os.remove(os.path.join(old, 'client_cmdline.txt'))
        shutil.copyfile(self.renaming_launcher(common, product_key), os.path.join(old, 'Launcher.exe'))
        run = e2e.LauncherRun(old, env={'GAME_CLIENT_DOUBLE': 'exit=30000'})
        self.addCleanup(run.kill)
        new = self.drive('Program Files', 'Talvoro Nova')
        cmdline = os.path.join(new, 'client_cmdline.txt')
        if not run.wait_for(lambda: os.path.exists(cmdline) and os.path.getsize(cmdline) > 0, 150):
            logs = [f for d in (old, new) for f in e2e.log_files(d)]
            self.fail('the client did not start from %s\n%s\n%s' % (new, run.report(), '\n'.join(
                '== %s\n%s' % (f, e2e.read_text(f)[-2500:]) for f in sorted(logs, key=os.path.getmtime)[-2:])))

        self.assertFalse(os.path.exists(old), 'the old folder is still there')
        self.assertInstalled(new)
        folder = r'C:\Program Files\Talvoro Nova'
        self.assertEqual(folder.lower(), self.values(product_key + r'\Install').get('Directory', '').lower())
        self.assertEqual({}, self.values(self.UNINSTALL_KEY), 'the old uninstall entry is left')
        entry = self.values(self.UNINSTALL_KEY.replace('Talvoro 0', 'Talvoro Nova 0'))
        self.assertEqual('Talvoro Nova', entry.get('DisplayName'), entry)
        self.assertTrue(entry['UninstallString'].startswith('"%s\\Launcher.exe" /uninstall "' % folder), entry)
        self.assertFalse(os.path.exists(self.desktop_link('Talvoro')), 'the old desktop shortcut is left')
        self.assertFalse(os.path.exists(self.programs_folder('Talvoro')), 'the old Programs folder is left')
        for link in (self.desktop_link('Talvoro Nova'), os.path.join(self.programs_folder('Talvoro Nova'),
                                                                      'Talvoro Nova.lnk')):
            self.assertTrue(os.path.exists(link), 'no shortcut %s' % link)
            self.assertEqual((folder + r'\Launcher.exe').lower(), self.shortcut(link)[0].lower())
        return new

    ACTION = ('<ACTIONS><SETLONGNAME id="41" oldlongname="talvoro" newlongname="Talvoro Nova"'
              ' oldshortname="Velomar" newshortname="Velomar"/></ACTIONS>')

    def recorded_actions(self, folder):
        with open(os.path.join(folder, 'changes.dat'), 'rb') as f:
            data = f.read()
        return struct.unpack('<%dI' % (len(data) // 4), data[:len(data) // 4 * 4])[4:]

    def test_an_action_of_a_new_launcher_renames_the_installation_after_an_update(self):
        new = self.rename_with(self.ACTION, self.PRODUCT_KEY)
        self.assertIn(41, self.recorded_actions(new), 'the action was not recorded')

    def test_on_a_fresh_installation_the_action_is_only_recorded(self):
        self.serve()
        target = self.install(launcher=self.renaming_launcher(self.ACTION, self.PRODUCT_KEY), full_name='Talvoro Nova')
        self.assertIn(41, self.recorded_actions(target), 'the action was not recorded')
        self.assertEqual(r'C:\Program Files\Talvoro Nova'.lower(),
                         self.values(self.PRODUCT_KEY + r'\Install').get('Directory', '').lower())
        self.assertFalse(os.path.exists(self.drive('Program Files', 'Talvoro')))

    def test_rename_actions_stay_inside_the_folder_and_keep_what_they_cannot_copy(self):
        self.serve(['notes.txt', 'keep.txt', 'old/a.txt', 'taken/a.txt'])
        outside = self.path('outside.txt')
        with open(outside, 'w') as f:
            f.write('outside')
        actions = ('<ACTIONS>'
                   '<RENAME id="1" name="notes.txt" toname="docs\\notes.txt"/>'
                   '<RENAME id="2" name="old\\" toname=""/>'
                   '<RENAME id="3" name="keep.txt" toname="taken"/>'
                   '<RENAME id="4" name="..\\outside.txt" toname=""/>'
                   '<RENAME id="5" name="%s" toname=""/>'
                   '<RENAME id="6" name="keep.txt" toname="..\\..\\stolen.txt"/>'
                   '<RENAME id="0" name=".\\" toname=""/>'
                   '</ACTIONS>' % e2e.windows_path(outside))
        folder = e2e.portable_folder(self.path('game'), self.renaming_launcher(actions, self.PRODUCT_KEY))
        self.run_until_client(folder)

        self.assertTrue(os.path.exists(os.path.join(folder, 'docs', 'notes.txt')))
        self.assertFalse(os.path.exists(os.path.join(folder, 'notes.txt')))
        self.assertFalse(os.path.exists(os.path.join(folder, 'old')))
        self.assertEqual('keep.txt', e2e.read_text(os.path.join(folder, 'keep.txt')), 'a file it could not copy is gone')
        self.assertTrue(os.path.exists(outside), 'a file outside the installation was deleted')
        self.assertFalse(os.path.exists(self.path('..', 'stolen.txt')))
        self.assertEqual([1, 2, 3, 4, 5, 6], sorted(self.recorded_actions(folder)))

    def test_a_folder_that_already_has_the_new_name_stops_the_renaming(self):
        old = self.install()
        self.end_installation(old)
        taken = self.drive('Program Files', 'Talvoro Nova')
        os.makedirs(taken)
        with open(os.path.join(taken, 'mine.txt'), 'w') as f:
            f.write('mine')
        started = time.time()
        shutil.copyfile(self.renaming_launcher(self.ACTION, self.PRODUCT_KEY), os.path.join(old, 'Launcher.exe'))
        run = e2e.LauncherRun(old, env={'GAME_CLIENT_DOUBLE': 'exit=30000'})
        self.addCleanup(run.kill)
        # The renaming run (in the temporary folder) stays with its error shown.
        self.addCleanup(e2e.kill_wine_processes, self.drive('users', 'root', 'Temp'))

        def renaming_logs():
            logs = glob.glob(self.drive('users', 'root', 'Temp', '*.RNM*.exe.log'))
            return '\n'.join(e2e.read_text(f) for f in logs if os.path.getmtime(f) >= started)
        # The assistant's answer is logged a while before the error it leads to.
        self.assertTrue(run.wait_for(lambda: "Cant't prepare destination directory" in renaming_logs(), 90),
                        run.report() + renaming_logs()[-3000:])
        self.assertEqual(['mine.txt'], os.listdir(taken))
        self.assertInstalled(old)
        self.assertEqual(r'C:\Program Files\Talvoro'.lower(),
                         self.values(self.PRODUCT_KEY + r'\Install').get('Directory', '').lower())
        self.assertNotIn(41, self.recorded_actions(old))

    def test_malformed_renaming_parameters_move_nothing(self):
        self.serve()
        folder = self.portable([self.server.url])
        before = sorted(os.listdir(folder))
        long_value = '"%s" "%s" "a" "b" "c" "d" 7' % (e2e.windows_path(folder), 'N' * 2000)
        for args in (['/setlongname', e2e.windows_path(folder) + 'X', 'no quotes'], ['/setlongname', long_value],
                     ['/setlongname', '"%s" "C:\\Windows" "a" "b" "c" "d" 7' % e2e.windows_path(folder)]):
            run = e2e.LauncherRun(folder, args=args)
            self.addCleanup(run.kill)
            clicked, output = self.click("Cant't prepare destination directory", MBOX_OK, timeout=60)
            self.assertTrue(clicked, output + '\n' + run.report())
            self.assertTrue(run.wait_for_exit(30), run.report())
        self.assertEqual(before, sorted(n for n in os.listdir(folder) if not n.endswith('.log')))
        self.assertTrue(os.path.isdir(self.drive('windows', 'system32')))

    def test_a_migration_renames_an_installation_registered_under_the_old_path(self):
        self.rename_with('<migrations><migration><shortName>Velomar</shortName><fullName>Talvoro</fullName>'
                         '<regPath>Software\\Hollisk Games\\TL</regPath><iconName>Talvoro</iconName></migration>'
                         '</migrations>', self.PRODUCT_KEYS[1])
        self.assertEqual({}, self.values(self.PRODUCT_KEY + r'\Install'), 'the old registration is left')


class Uninstall(StandardInstallation):
    """An installation removed the way Windows or its shortcut starts the
    uninstaller: the launcher hands over to a copy of itself in the
    temporary folder, whose page the test confirms with the mouse."""

    PENDING_KEY = r'HKLM\System\CurrentControlSet\Control\Session Manager'
    # Not the default folder: processes are found by the folder in their
    # command line, and other test sessions may use the default one.
    FOLDER = ('Games', 'Talvoro')
    PROGRAMS = ('AppData', 'Roaming', 'Microsoft', 'Windows', 'Start Menu', 'Programs', 'Talvoro')

    def temp_folder(self):
        return os.path.join(os.environ['WINEPREFIX'], 'drive_c', 'users', 'root', 'Temp')

    def copy_log(self, since):
        """The newest log of a temporary uninstaller copy started after <since>."""
        logs = [f for f in glob.glob(os.path.join(self.temp_folder(), '*UNS*.log')) if os.path.getmtime(f) >= since]
        return max(logs, key=os.path.getmtime) if logs else None

    def run_command_line(self, line):
        """Runs <line> as Windows runs an uninstall entry: the line as it
        stands, through the command interpreter; the interpreter's run."""
        script = self.path('uninstall.bat')
        with open(script, 'w', newline='\r\n') as f:
            f.write('@%s\n' % line)
        return e2e.WineRun(self.work, 'uninstall.bat', name='uninstall')

    def uninstall(self, line, folder):
        """Runs <line>, checks the hand-over, presses Uninstall on the copy's
        page and waits for its result; (the original's log text, the copy's)."""
        since = time.time() - 1
        run = self.run_command_line(line)
        # The interpreter need not wait for a windowed program: the
        # launcher's own log and processes tell when it ended.
        launcher = os.path.join(folder, 'Launcher.exe')
        ended = run.wait_for(lambda: 'Launcher finished' in self.all_logs(folder) and not e2e.wine_processes(launcher),
                             60)
        original = self.all_logs(folder)
        self.assertTrue(ended, 'the launcher did not end after starting its copy\n' + original[-3000:])
        copy = re.search(r'Command line to run temporary uninstaller: "([^"]+)"', original)
        self.assertIsNotNone(copy, original[-3000:])
        self.addCleanup(e2e.kill_wine_processes, os.path.join(self.temp_folder(), copy.group(1).split('\\')[-1]))
        self.assertIn('Temporary uninstaller successfully started', original)
        if not run.wait_for(lambda: self.copy_log(since) and 'Msg cycle - start' in e2e.read_text(self.copy_log(since)),
                            60):
            self.fail('the temporary copy did not show its page\n' + original[-3000:])
        self.click_in_turn(run, ['uninstall'])
        log = self.copy_log(since)
        if not run.wait_for(lambda: 'Uninstall result: ' in e2e.read_text(log), 120):
            self.fail('the uninstallation did not end\n' + e2e.read_text(log)[-4000:])
        return original, e2e.read_text(log)

    def test_standard_uninstall_from_the_uninstall_entry(self):
        target = self.install(folder=self.FOLDER)
        drive = self.drive()
        self.end_installation(target)
        desktop = os.path.join(drive, 'users', 'root', 'Desktop', 'Talvoro.lnk')
        programs = os.path.join(drive, 'ProgramData', 'Microsoft', 'Windows', 'Start Menu', 'Programs', 'Talvoro',
                                'Talvoro.lnk')
        for link in (desktop, programs):
            self.assertTrue(os.path.exists(link), 'no shortcut %s' % link)
        line = self.values(self.UNINSTALL_KEY)['UninstallString']

        original, log = self.uninstall(line, target)
        self.assertRegex(original, r'Command line to run temporary uninstaller: "[^"]+" /u C:\\Games\\Talvoro\n')
        self.assertIn('Process Uninstall Started in Standard mode', log)
        self.assertIn('Uninstall result: Uninstall completed.\n', log)
        self.assertFalse(os.path.exists(target), 'the folder is left: %s' % (os.path.exists(target) and os.listdir(target)))
        self.assertEqual('', self.values(self.PRODUCT_KEY + r'\Install').get('Directory', ''))
        self.assertNotEqual(0, self.wine_reg('query', self.UNINSTALL_KEY)[0], 'the uninstall entry is left')
        for link in (desktop, programs):
            self.assertFalse(os.path.exists(link), 'the shortcut %s is left' % link)
        pending = self.wine_reg('query', self.PENDING_KEY, '/v', 'PendingFileRenameOperations')[1]
        copy = re.search(r'Command line to run temporary uninstaller: "([^"]+)"', original)
        self.assertIn(copy.group(1).lower(), pending.lower(), 'the copy is not deleted at the next restart')

    def install_into_slot(self, start, target, slot):
        """A standard installation of the set into <target>, registered in
        <slot> beforehand as a player's earlier installation would be (its
        folder holds a file, so it is not pruned)."""
        os.makedirs(target)
        with open(os.path.join(target, 'earlier.txt'), 'wb') as f:
            f.write(b'earlier')
        value = 'Directory%s' % (slot or '')
        self.wine_reg('add', self.PRODUCT_KEY + r'\Install', '/v', value, '/d', e2e.prefix_path(target), '/f')
        self.addCleanup(e2e.kill_wine_processes, target)
        run = self.open_install_page(start, name='install%d' % slot, env={'GAME_CLIENT_DOUBLE': 'exit=30000'})
        self.click_in_turn(run, ['single_install_checkbox_terms', 'single_install_button_install'])
        cmdline = os.path.join(target, 'client_cmdline.txt')
        if not run.wait_for(lambda: os.path.exists(cmdline) and os.path.getsize(cmdline) > 0, 150):
            self.fail('the client did not start from %s\n%s' % (target, run.report()))
        run.kill()
        e2e.kill_wine_processes(target)

    def test_uninstalling_the_second_slot_leaves_the_first_installation(self):
        self.serve()
        start = self.download_folder(self.server)
        drive = self.drive()
        first, second = os.path.join(drive, *self.FOLDER), os.path.join(drive, 'Games', 'Talvoro2')
        desktop = os.path.join(drive, 'users', 'root', 'Desktop')
        programs = os.path.join(drive, 'ProgramData', 'Microsoft', 'Windows', 'Start Menu', 'Programs', 'Talvoro')
        second_key = self.UNINSTALL_KEY[:-1] + '1'
        self.forget_installation(first)
        self.addCleanup(self.forget_installation, first)
        for cleanup in (lambda: shutil.rmtree(second, ignore_errors=True), lambda: self.wine_reg('delete', second_key, '/f'),
                        lambda: os.path.exists(os.path.join(desktop, 'Talvoro (2).lnk')) and
                        os.remove(os.path.join(desktop, 'Talvoro (2).lnk'))):
            cleanup()
            self.addCleanup(cleanup)
        self.install_into_slot(start, second, 1)
        self.install_into_slot(start, first, 0)
        kept = [os.path.join(desktop, 'Talvoro.lnk'), os.path.join(programs, 'Talvoro.lnk')]
        gone = [os.path.join(desktop, 'Talvoro (2).lnk'), os.path.join(programs, 'Talvoro (2).lnk')]
        for link in kept + gone:
            self.assertTrue(os.path.exists(link), 'no shortcut %s' % link)

        _, log = self.uninstall(self.values(second_key)['UninstallString'], second)
        self.assertIn('Uninstall result: Uninstall completed.\n', log)
        self.assertFalse(os.path.exists(second), 'the second folder is left')
        install = self.values(self.PRODUCT_KEY + r'\Install')
        self.assertEqual('', install.get('Directory1', ''))
        self.assertNotEqual(0, self.wine_reg('query', second_key)[0], "the second slot's entry is left")
        for link in gone:
            self.assertFalse(os.path.exists(link), 'the shortcut %s is left' % link)
        self.assertEqual(e2e.prefix_path(first).lower(), install.get('Directory', '').lower())
        self.assertTrue(os.path.exists(os.path.join(first, 'Launcher.exe')), 'the first folder was touched')
        self.assertIn('UninstallString', self.values(self.UNINSTALL_KEY))
        for link in kept:
            self.assertTrue(os.path.exists(link), "the first installation's shortcut %s is gone" % link)

    def test_portable_uninstall_from_its_shortcut_keeps_another_installations_shortcuts(self):
        os.makedirs(self.www)
        self.publish(True, '1.0.0')
        self.server = self.nginx()
        user = os.path.join(os.environ['WINEPREFIX'], 'drive_c', 'users', 'root')
        desktop = os.path.join(user, 'Desktop')
        programs = os.path.join(user, *self.PROGRAMS)
        start_menu = os.path.dirname(os.path.dirname(programs))
        os.makedirs(programs, exist_ok=True)
        self.addCleanup(shutil.rmtree, programs, True)
        # Another portable installation's shortcuts carry the second number.
        others = [os.path.join(desktop, 'Talvoro Portable (2).lnk'), os.path.join(desktop, 'Map Editor Portable (2).lnk'),
                  os.path.join(programs, 'Talvoro Portable (2).lnk'), os.path.join(start_menu, 'Map Editor Portable (2).lnk')]
        mine = [os.path.join(desktop, 'Talvoro Portable.lnk'), os.path.join(desktop, 'Map Editor Portable.lnk'),
                os.path.join(programs, 'Talvoro Portable.lnk'), os.path.join(programs, 'Map Editor Portable.lnk'),
                os.path.join(start_menu, 'Map Editor Portable.lnk'), os.path.join(programs, 'Uninstall Talvoro Portable.lnk')]
        for path in others + mine:
            self.addCleanup(lambda p=path: os.path.exists(p) and os.remove(p))
        for path in others:
            with open(path, 'wb') as f:
                f.write(b'another installation')
        target = self.install(['single_install_button_settings', 'single_install_checkbox_guest'], self.FOLDER)
        self.end_installation(target)
        for link in mine:
            self.assertTrue(os.path.exists(link), 'no shortcut %s' % link)
        program, arguments = self.shortcut(mine[-1])

        original, log = self.uninstall('"%s" %s' % (program, arguments), target)
        self.assertIn('/ug "C:\\users\\root\\Desktop\\Talvoro Portable.lnk" C:\\Games\\Talvoro\n', original)
        self.assertIn('Process Uninstall Started in Guest mode', log)
        self.assertIn('Uninstall result: Uninstall completed.\n', log)
        self.assertFalse(os.path.exists(target), 'the folder is left: %s' % (os.path.exists(target) and os.listdir(target)))
        for link in mine:
            self.assertFalse(os.path.exists(link), 'the shortcut %s is left' % link)
        for link in others:
            self.assertTrue(os.path.exists(link), "another installation's shortcut %s is gone" % link)

    def portable_by_hand(self):
        """A portable installation of the launcher alone in the test folder
        of drive C, removed after the test."""
        target = os.path.join(os.environ['WINEPREFIX'], 'drive_c', *self.FOLDER)
        shutil.rmtree(target, ignore_errors=True)
        self.addCleanup(shutil.rmtree, target, True)
        self.addCleanup(e2e.kill_wine_processes, target)
        branded = e2e.brand(self.tool, ARGS.launcher, self.path('Launcher.branded.exe'), ['http://127.0.0.1:9'])
        return e2e.portable_folder(target, branded)

    def saves_beside(self, target):
        """A folder beside <target> holding a player's file; (the folder,
        a check that the file is still there as it was)."""
        other = os.path.join(os.path.dirname(target), 'Saves')
        os.makedirs(other, exist_ok=True)
        self.addCleanup(shutil.rmtree, other, True)
        saves = os.path.join(other, 'saves.dat')
        with open(saves, 'wb') as f:
            f.write(b'precious')
        return other, lambda: os.path.exists(saves) and open(saves, 'rb').read() == b'precious'

    def test_a_portable_uninstall_without_a_shortcut_path_removes_its_folder_only(self):
        target = self.portable_by_hand()
        _, kept = self.saves_beside(target)

        original, log = self.uninstall(r'"%s\Launcher.exe" /uninstall' % e2e.prefix_path(target), target)
        self.assertIn('/ug "" %s\n' % e2e.prefix_path(target), original)
        self.assertIn('Uninstall result: Uninstall completed.\n', log)
        self.assertFalse(os.path.exists(target), 'the folder is left')
        self.assertTrue(kept())

    def test_a_folder_that_is_no_portable_installation_is_left_alone(self):
        target = self.portable_by_hand()
        other, kept = self.saves_beside(target)
        run = self.run_command_line(r'"%s\Launcher.exe" /ug "" %s' % (e2e.prefix_path(target), e2e.prefix_path(other)))
        if not run.wait_for(lambda: 'Msg cycle - start' in self.all_logs(target), 60):
            self.fail('the uninstall page did not show\n' + self.all_logs(target)[-3000:])
        self.click_in_turn(run, ['uninstall'])
        if not run.wait_for(lambda: 'Uninstall result: ' in self.all_logs(target), 60):
            self.fail('the uninstallation did not end\n' + self.all_logs(target)[-3000:])
        self.assertIn('Uninstall result: Uninstall completed with errors.\n', self.all_logs(target))
        self.assertTrue(kept())

    def test_closing_the_window_stops_a_portable_uninstall_midway(self):
        target = self.portable_by_hand()
        # Enough files that the walk is still going when the window closes.
        files = 30000
        for i in range(files // 1000):
            folder = os.path.join(target, 'data%02d' % i)
            os.makedirs(folder)
            for j in range(1000):
                open(os.path.join(folder, '%04d.pak' % j), 'wb').close()
        left = lambda: sum(len(names) for _, _, names in os.walk(target))  # noqa: E731

        since = time.time() - 1
        run = self.run_command_line(r'"%s\Launcher.exe" /uninstall "C:\users\root\Desktop\Talvoro Portable.lnk"'
                                    % e2e.prefix_path(target))
        if not run.wait_for(lambda: self.copy_log(since) and 'Msg cycle - start' in e2e.read_text(self.copy_log(since)),
                            60):
            self.fail('the temporary copy did not show its page\n' + run.report())
        copy = self.copy_log(since)[:-len('.log')].split('.', 1)[1]
        self.addCleanup(e2e.kill_wine_processes, os.path.join(self.temp_folder(), copy))
        self.click_in_turn(run, ['uninstall'])
        self.assertTrue(run.wait_for(lambda: left() < files, 60), 'the walk did not start')
        self.click_in_turn(run, ['close'])
        self.assertTrue(run.wait_for(lambda: not e2e.wine_processes(os.path.join(self.temp_folder(), copy)), 60),
                        'the copy did not end')
        log = e2e.read_text(self.copy_log(since))
        self.assertIn('Process Uninstall Started in Guest mode', log)
        self.assertIn('Stop uninstaller thread', log)
        self.assertNotIn('Uninstall result: ', log)
        self.assertTrue(log.rstrip().endswith('Launcher finished'), log[-2000:])
        self.assertGreater(left(), 0, 'the walk was not stopped')
        self.assertTrue(os.path.exists(os.path.join(target, 'Launcher.exe')))


def main():
    global ARGS
    parser = argparse.ArgumentParser(add_help=False)
    for option in ('--launcher', '--game-client', '--tool', '--work', '--package'):
        parser.add_argument(option, required=True)
    parser.add_argument('--wineprefix')
    parser.add_argument('--source', default=theme_layout.SOURCE)
    ARGS, rest = parser.parse_known_args()
    ARGS.work = os.path.abspath(ARGS.work)
    if ARGS.wineprefix:
        os.environ.setdefault('WINEPREFIX', ARGS.wineprefix)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == '__main__':
    main()
