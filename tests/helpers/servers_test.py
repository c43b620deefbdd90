#!/usr/bin/env python3
"""The two Linux servers the end-to-end tests put in front of the launcher:
nginx_fixture.py (a plain static server) and net_test_server.py serving a
folder with injected faults. Checked from Linux with http.client, so a
failing end-to-end test never has to doubt its servers.

usage: servers_test.py"""
import http.client
import json
import os
import random
import socket
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
NGINX_FIXTURE = os.path.join(HERE, 'nginx_fixture.py')
FAULT_SERVER = os.path.join(HERE, 'net_test_server.py')
DATA = random.Random(7).randbytes(300000)


def read(path):
    with open(path, newline='') as f:
        return f.read()


def get(port, path, headers=None, method='GET'):
    """(status, headers, body) of one request on a fresh connection."""
    c = http.client.HTTPConnection('127.0.0.1', port, timeout=10)
    try:
        c.request(method, path, headers=headers or {})
        r = c.getresponse()
        return r.status, dict(r.getheaders()), r.read()
    finally:
        c.close()


def get_broken(port, path):
    """The body bytes that arrived before the connection broke, or None
    when the whole announced body arrived."""
    c = http.client.HTTPConnection('127.0.0.1', port, timeout=10)
    try:
        c.request('GET', path)
        r = c.getresponse()
        try:
            r.read()
            return None
        except http.client.IncompleteRead as e:
            return e.partial
        except ConnectionResetError:
            return b''
    finally:
        c.close()


class ServerTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()  # private (0700): nginx workers must still read it
        self.root = os.path.join(self.tmp.name, 'www')
        self.state = os.path.join(self.tmp.name, 'state')
        os.makedirs(os.path.join(self.root, 'updates'))
        with open(os.path.join(self.root, 'updates', 'big.pkg'), 'wb') as f:
            f.write(DATA)

    def tearDown(self):
        self.tmp.cleanup()


class Nginx(ServerTest):
    def test_serves_ranges_and_logs_them(self):
        self.assertEqual(0, subprocess.run([sys.executable, NGINX_FIXTURE, 'start', self.state, self.root]).returncode)
        try:
            port = int(read(os.path.join(self.state, 'port')))
            status, _, body = get(port, '/updates/big.pkg')
            self.assertEqual((200, DATA), (status, body))
            status, headers, body = get(port, '/updates/big.pkg', {'Range': 'bytes=1000-'})
            self.assertEqual((206, DATA[1000:]), (status, body))
            self.assertEqual('bytes 1000-299999/300000', headers['Content-Range'])
            self.assertEqual(404, get(port, '/updates/none.pkg')[0])
        finally:
            subprocess.run([sys.executable, NGINX_FIXTURE, 'stop', self.state])
        log = read(os.path.join(self.state, 'access.log')).splitlines()
        self.assertEqual(3, len(log), log)
        self.assertEqual('GET /updates/big.pkg HTTP/1.1 range="-" status=200 bytes=300000', log[0])
        self.assertEqual('GET /updates/big.pkg HTTP/1.1 range="bytes=1000-" status=206 bytes=299000', log[1])
        self.assertTrue(log[2].startswith('GET /updates/none.pkg HTTP/1.1 range="-" status=404 '), log[2])
        with self.assertRaises(OSError):
            socket.create_connection(('127.0.0.1', port), timeout=1).close()


class FaultServer(ServerTest):
    def setUp(self):
        super().setUp()
        self.assertEqual(0, subprocess.run([sys.executable, FAULT_SERVER, 'start', self.state, self.root],
                                           stdout=subprocess.DEVNULL).returncode)
        self.port = int(read(os.path.join(self.state, 'port')))

    def tearDown(self):
        subprocess.run([sys.executable, FAULT_SERVER, 'stop', self.state])
        super().tearDown()

    def faults(self, *rules):
        with open(os.path.join(self.state, 'faults.json'), 'w') as f:
            json.dump(list(rules), f)

    def log(self, count):
        """At least <count> entries in arrival order; the server writes one
        just after its answer, so it may come a little after the answer."""
        deadline = time.monotonic() + 5
        while True:
            try:
                lines = read(os.path.join(self.state, 'requests.jsonl')).splitlines()
            except FileNotFoundError:
                lines = []
            if len(lines) >= count or time.monotonic() > deadline:
                return sorted((json.loads(line) for line in lines), key=lambda e: e['seq'])
            time.sleep(0.02)

    def test_ranges(self):
        status, headers, body = get(self.port, '/updates/big.pkg', {'Range': 'bytes=10-19'})
        self.assertEqual((206, DATA[10:20], 'bytes 10-19/300000'), (status, body, headers['Content-Range']))
        status, headers, body = get(self.port, '//updates//big.pkg?x=1', {'Range': 'bytes=299990-'})
        self.assertEqual((206, DATA[299990:]), (status, body))
        status, _, body = get(self.port, '/updates/big.pkg', {'Range': 'bytes=-5'})
        self.assertEqual((206, DATA[-5:]), (status, body))
        status, headers, _ = get(self.port, '/updates/big.pkg', {'Range': 'bytes=300000-'})
        self.assertEqual((416, 'bytes */300000'), (status, headers['Content-Range']))
        status, headers, body = get(self.port, '/updates/big.pkg', method='HEAD')
        self.assertEqual((200, '300000', b''), (status, headers['Content-Length'], body))
        self.assertEqual(404, get(self.port, '/updates/../updates/none.pkg')[0])
        self.assertEqual([('/updates/big.pkg', 'bytes=10-19', 206, 10), ('/updates/big.pkg', 'bytes=299990-', 206, 10),
                          ('/updates/big.pkg', 'bytes=-5', 206, 5), ('/updates/big.pkg', 'bytes=300000-', 416, 0),
                          ('/updates/big.pkg', None, 200, 0), ('/updates/../updates/none.pkg', None, 404, 9)],
                         [(e['path'], e['range'], e['status'], e['sent']) for e in self.log(6)])

    def test_status_with_body_a_given_number_of_times(self):
        self.faults({'path': '/updates/big.pkg', 'status': 503, 'body': 'down for a while', 'times': 2})
        self.assertEqual((503, b'down for a while'), get(self.port, '/updates/big.pkg')[::2])
        self.assertEqual((503, b'down for a while'), get(self.port, '/updates/big.pkg')[::2])
        self.assertEqual((200, DATA), get(self.port, '/updates/big.pkg')[::2])
        self.assertEqual(['status', 'status', None], [e['fault'] for e in self.log(3)])
        self.faults({'path': '/updates/big.pkg', 'status': 500})  # a new plan counts afresh
        self.assertEqual(500, get(self.port, '/updates/big.pkg')[0])
        self.assertEqual(200, get(self.port, '/updates/big.pkg')[0])

    def test_reset_and_close_after_some_bytes(self):
        self.faults({'path': '/updates/big.pkg', 'reset_after': 70000, 'times': 2},
                    {'path': '/updates/big.pkg', 'close_after': 1000})
        for _ in range(2):
            partial = get_broken(self.port, '/updates/big.pkg')
            self.assertIsNotNone(partial)
            self.assertLessEqual(len(partial), 70000)
            self.assertEqual(DATA[:len(partial)], partial)
        self.assertEqual(DATA[:1000], get_broken(self.port, '/updates/big.pkg'))
        self.assertIsNone(get_broken(self.port, '/updates/big.pkg'))
        self.assertEqual([(70000, 'reset_after'), (70000, 'reset_after'), (1000, 'close_after'), (300000, None)],
                         [(e['sent'], e['fault']) for e in self.log(4)])

    def test_corruption_once_where_the_answer_carries_the_byte(self):
        self.faults({'path': '/updates/big.pkg', 'corrupt': [150000, 150001]})
        self.assertEqual(DATA[:100], get(self.port, '/updates/big.pkg', {'Range': 'bytes=0-99'})[2])
        body = get(self.port, '/updates/big.pkg', {'Range': 'bytes=149000-'})[2]
        self.assertEqual(DATA[149000:150000], body[:1000])
        self.assertEqual(bytes([DATA[150000] ^ 0xFF, DATA[150001] ^ 0xFF]), body[1000:1002])
        self.assertEqual(DATA[150002:], body[1002:])
        self.assertEqual(DATA, get(self.port, '/updates/big.pkg')[2])

    def test_redirect_then_the_file(self):
        self.faults({'path': '/updates/big.pkg', 'redirect': '/updates/big.pkg?moved', 'code': 307})
        status, headers, _ = get(self.port, '/updates/big.pkg')
        self.assertEqual((307, '/updates/big.pkg?moved'), (status, headers['Location']))
        self.assertEqual((200, DATA), get(self.port, headers['Location'])[::2])

    def test_rate(self):
        self.faults({'path': '/updates/big.pkg', 'rate': 1000000, 'times': 0})
        began = time.monotonic()
        self.assertEqual(DATA, get(self.port, '/updates/big.pkg')[2])
        self.assertGreater(time.monotonic() - began, 0.25)


class TestRoutes(unittest.TestCase):
    def test_without_a_folder_the_test_routes_answer(self):
        with tempfile.TemporaryDirectory() as state:
            subprocess.run([sys.executable, FAULT_SERVER, 'start', state], stdout=subprocess.DEVNULL, check=True)
            try:
                port = int(read(os.path.join(state, 'port')))
                status, headers, body = get(port, '/t/x/data/300', {'Range': 'bytes=250-'})
                self.assertEqual((206, bytes(i % 251 for i in range(250, 300))), (status, body))
                self.assertEqual(503, get(port, '/503/page')[0])
                self.assertIn('GET /t/x/data/300 HTTP/1.1\r\n', read(os.path.join(state, 'requests.log')))
            finally:
                subprocess.run([sys.executable, FAULT_SERVER, 'stop', state])


if __name__ == '__main__':
    unittest.main()
