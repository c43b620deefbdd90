#!/usr/bin/env python3
"""End-to-end tests: the built Launcher.exe, branded for a local server,
installs a sample client into a portable folder under Wine and starts the
game client double.

usage: e2e_test.py --launcher <Launcher.exe> --game-client <game_client.exe>
                   --tool <native launcher-tool> --work <folder>
                   [--wineprefix <prefix>] [unittest arguments]

Run inside a Wine session (scripts/wine-session.sh); --wineprefix is used
only when WINEPREFIX is not set. Each test works in <work>/<test name>,
emptied when it starts and left for inspection."""
import argparse
import os
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_support as e2e  # noqa: E402

ARGS = None


class E2ETest(unittest.TestCase):
    """A test folder with the client, the set served from www/updates/ and
    the cleanup of servers and Wine processes, whatever happens."""

    def setUp(self):
        self.work = os.path.join(ARGS.work, self.id().split('.')[-1])
        if os.path.exists(self.work):
            e2e.kill_wine_processes(self.work)
            shutil.rmtree(self.work)
        os.makedirs(self.work)
        self.addCleanup(e2e.kill_wine_processes, self.work)
        self.tool = ARGS.tool
        self.www = os.path.join(self.work, 'www')
        self.set = os.path.join(self.www, 'updates')

    def path(self, *parts):
        return os.path.join(self.work, *parts)

    def build_set(self, **client):
        os.makedirs(self.www)
        description = e2e.make_client(self.path('client'), ARGS.game_client, **client)
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


def main():
    global ARGS
    parser = argparse.ArgumentParser(add_help=False)
    for option in ('--launcher', '--game-client', '--tool', '--work'):
        parser.add_argument(option, required=True)
    parser.add_argument('--wineprefix')
    ARGS, rest = parser.parse_known_args()
    ARGS.work = os.path.abspath(ARGS.work)
    if ARGS.wineprefix:
        os.environ.setdefault('WINEPREFIX', ARGS.wineprefix)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == '__main__':
    main()
