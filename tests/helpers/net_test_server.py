#!/usr/bin/env python3
"""Fault-injecting HTTP update server for the network tests (stdlib only).

  net_test_server.py start <state dir> [<folder>]
                                         starts a daemon on 127.0.0.1 on a
                                         free port; returns once
                                         <state dir>/port holds the port
  net_test_server.py stop <state dir>    ends it
  net_test_server.py serve <state dir> [<folder>]
                                         runs in the foreground

Without a folder it answers the test routes below. With a folder it serves
that folder as a static update server instead (GET and HEAD, Range answered
with 206 and Content-Range) with faults read from <state dir>/faults.json on
every request, so a test can change them while the server runs; see
FolderHandler.

Without a folder it also serves the same routes over HTTPS, on the port
in <state dir>/tls_port, with a self-signed certificate for 127.0.0.1 made
at start (openssl), which no Windows trusts.

Every request head is appended to <state dir>/requests.log as the request
line and header lines (CR LF), then an empty line, so tests can check what
the launcher sent. A path may start with /t/<tag>/ (a test's own marker,
ignored for routing). Routes:

  /data/<n>[...]              n pattern bytes (byte i = i % 251); Range
                              (206), HEAD with Content-Length
  /nolen/<n>                  body ended by closing, no Content-Length
                              (also for HEAD)
  /nohead/<n>                 HEAD answers 405; GET as /data
  /gzip/<n>                   pattern body, gzip Content-Encoding
  /status/<code>              that status with a short text body
  /redirect/<code>/<k>/<rest> k redirects (relative locations) to /<rest>
  /absredirect/<code>/<rest>  one redirect with an absolute location
  /loop/<code>                redirects to itself forever
  /longlocation               302 with a 10 KB location
  /503/<variant>              maintenance page (variants: page, notxml)
  /reset/<n>/<after>          announces n bytes, sends <after>, then resets
  /truncate/<n>/<after>       announces n bytes, sends <after>, then closes
  /stall/<n>/<after>/<secs>   announces n bytes, sends <after>, waits
                              (these three answer a Range with 206 and the
                              range from 0, whatever was asked)
  /ignorerange/<n>            n pattern bytes with 200, whatever Range says
  /overlong/<n>/<extra>       206 with the asked range and <extra> bytes more,
                              without Content-Length, then closes
  /shiftrange/<n>             206 with a range one byte later than asked
  /slow/<n>/<chunk>/<ms>      n pattern bytes in chunks with pauses
  /badstatus                  a status line that is not HTTP
  /manyheaders/<k>            k extra headers
  /echo                       the request head as body
"""
import gzip
import hashlib
import http.server
import json
import os
import signal
import socket
import ssl
import struct
import subprocess
import sys
import threading
import time

LOG_LOCK = threading.Lock()

MAINTENANCE = (
    '<?xml version="1.0" encoding="utf-8"?>\n'
    '<html xmlns="http://www.w3.org/1999/xhtml"><body>\n'
    '<div id="time"><span class="year">2030</span><span class="month">1</span>'
    '<span class="day">2</span><span class="hour">3</span><span class="minute">4</span></div>\n'
    '<div id="en"><h1 class="title">Maintenance</h1><p class="line1">We are updating.</p>'
    '<p class="line2">Back at <span class="time">soon</span></p></div>\n'
    '</body></html>\n')


def pattern(begin, end):
    return bytes(i % 251 for i in range(begin, end))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'
    state_dir = '.'

    def log_message(self, *args):
        pass

    def record(self):
        head = self.requestline + '\r\n' + ''.join(
            '%s: %s\r\n' % (k, v) for k, v in self.headers.items()) + '\r\n'
        with LOG_LOCK:
            with open(os.path.join(self.state_dir, 'requests.log'), 'a', newline='') as f:
                f.write(head)
        return head

    def route(self):
        path = self.path.split('?', 1)[0]
        parts = [p for p in path.split('/') if p]
        prefix = ''
        if len(parts) >= 2 and parts[0] == 't':
            prefix = '/t/' + parts[1]
            parts = parts[2:]
        return prefix, parts

    def do_HEAD(self):
        self.handle_any(head=True)

    def do_GET(self):
        self.handle_any(head=False)

    def do_POST(self):
        length = int(self.headers.get('Content-Length', '0') or 0)
        if length:
            self.rfile.read(length)
        self.handle_any(head=False)

    def send_body(self, code, body, head, extra=(), length=True):
        self.send_response(code)
        for k, v in extra:
            self.send_header(k, v)
        if length:
            self.send_header('Content-Length', str(len(body)))
        else:
            self.send_header('Connection', 'close')
            self.close_connection = True
        self.end_headers()
        if not head:
            self.wfile.write(body)

    def reset(self):
        self.wfile.flush()
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack('ii', 1, 0))
        self.connection.close()
        self.close_connection = True

    def handle_any(self, head):
        request = self.record()
        prefix, p = self.route()
        name = p[0] if p else ''
        try:
            if name in ('data', 'nohead'):
                if name == 'nohead' and head:
                    return self.send_body(405, b'', head)
                self.serve_data(int(p[1]), head)
            elif name == 'nolen':
                self.send_body(200, pattern(0, int(p[1])), head, length=False)
            elif name == 'overlong':
                size, extra = int(p[1]), int(p[2])
                first, _, last = self.headers.get('Range', 'bytes=0-')[6:].partition('-')
                begin, end = int(first), min(int(last) + 1, size) if last else size
                self.send_body(206, pattern(begin, end + extra), head,
                               [('Content-Range', 'bytes %d-%d/%d' % (begin, end - 1, size))], length=False)
            elif name == 'gzip':
                body = gzip.compress(pattern(0, int(p[1])))
                self.send_body(200, body, head, [('Content-Encoding', 'gzip')])
            elif name == 'status':
                self.send_body(int(p[1]), b'status page', head)
            elif name == 'redirect':
                code, count, rest = int(p[1]), int(p[2]), '/'.join(p[3:])
                target = (prefix + '/redirect/%d/%d/%s' % (code, count - 1, rest)) if count > 1 \
                    else prefix + '/' + rest
                self.send_body(code, b'', head, [('Location', target)])
            elif name == 'absredirect':
                target = 'http://127.0.0.1:%d%s/%s' % (self.server.server_port, prefix, '/'.join(p[2:]))
                self.send_body(int(p[1]), b'', head, [('Location', target)])
            elif name == 'loop':
                self.send_body(int(p[1]), b'', head, [('Location', self.path)])
            elif name == 'longlocation':
                self.send_body(302, b'', head, [('Location', prefix + '/data/10?' + 'x' * 10240)])
            elif name == '503':
                body = b'<html><body>down' if p[1] == 'notxml' else MAINTENANCE.encode()
                self.send_body(503, body, head, [('Content-Type', 'application/xhtml+xml')])
            elif name in ('reset', 'truncate', 'stall'):
                total, after = int(p[1]), int(p[2])
                if self.headers.get('Range'):
                    self.send_response(206)
                    self.send_header('Content-Range', 'bytes 0-%d/%d' % (total - 1, total))
                else:
                    self.send_response(200)
                self.send_header('Content-Length', str(total))
                self.end_headers()
                self.wfile.write(pattern(0, after))
                self.wfile.flush()
                if name == 'stall':
                    time.sleep(float(p[3]))
                if name == 'reset':
                    self.reset()
                else:
                    self.close_connection = True
            elif name == 'ignorerange':
                self.send_body(200, pattern(0, int(p[1])), head)
            elif name == 'shiftrange':
                size = int(p[1])
                first, _, last = self.headers.get('Range', 'bytes=0-')[6:].partition('-')
                begin, end = int(first) + 1, min(int(last) + 1, size) if last else size
                self.send_body(206, pattern(begin, end), head,
                               [('Content-Range', 'bytes %d-%d/%d' % (begin, end - 1, size))])
            elif name == 'slow':
                total, chunk, pause = int(p[1]), int(p[2]), int(p[3]) / 1000.0
                self.send_response(200)
                self.send_header('Content-Length', str(total))
                self.end_headers()
                for begin in range(0, total, chunk):
                    self.wfile.write(pattern(begin, min(begin + chunk, total)))
                    self.wfile.flush()
                    time.sleep(pause)
            elif name == 'badstatus':
                self.wfile.write(b'FOO/1.0 200 OK\r\nContent-Length: 4\r\n\r\nbody')
                self.close_connection = True
            elif name == 'manyheaders':
                self.send_body(200, b'ok', head, [('X-H%d' % i, 'v') for i in range(int(p[1]))])
            elif name == 'echo':
                self.send_body(200, request.encode(), head)
            else:
                self.send_body(404, b'not found', head)
        except (ConnectionError, BrokenPipeError):
            self.close_connection = True

    def serve_data(self, size, head):
        rng = self.headers.get('Range')
        if rng and rng.startswith('bytes='):
            first, _, last = rng[6:].partition('-')
            begin = int(first)
            end = min(int(last) + 1, size) if last else size
            if begin >= size:
                return self.send_body(416, b'', head, [('Content-Range', 'bytes */%d' % size)])
            return self.send_body(206, pattern(begin, end), head,
                                  [('Content-Range', 'bytes %d-%d/%d' % (begin, end - 1, size))])
        self.send_body(200, pattern(0, size), head)


class FolderHandler(Handler):
    """Serves a folder, with faults. <state dir>/faults.json holds a list of
    rules; the first rule whose "path" equals the request path (query
    dropped, repeated slashes merged) and that has uses left applies:

      {"path": p, "status": 503, "body": text}   answer that status
      {"path": p, "redirect": location, "code": 302}
      {"path": p, "reset_after": k}   reset the connection after k body bytes
                                      ("pause": seconds between the bytes and
                                      the reset, so that they reach the client:
                                      a reset drops what it has not read yet)
      {"path": p, "close_after": k}   close it after k body bytes
      {"path": p, "corrupt": [offsets]}  flip those file bytes in transit
                                      (applies only to answers that carry one)
      {"path": p, "rate": bytes per second}  send the body that slowly
      {"path": p, "whole": true}      answer 200 with the whole file,
                                      whatever Range asks
      {"path": p, "claim": n}         announce Content-Length n, send at
                                      most the real body, then close
      {"path": p, "huge": n}          answer 200 with n zero bytes instead
      {"path": p, "stall_after": k, "seconds": s}
                                      send k body bytes, then nothing for
                                      s seconds (default 60), then close

    "times" (default 1) is how many requests a rule applies to; 0 means
    every request. Uses are counted afresh whenever the file changes.
    Every request is appended to <state dir>/requests.jsonl as one JSON
    object when its answer ends: method, path, range (the Range header or
    null), status, sent (body bytes actually sent), fault (the rule's kind
    or null), time (when the request arrived, seconds since the epoch) and
    seq (the arrival order). Answers may end in another order than their
    requests arrived, so readers order the lines by seq."""
    root = '.'
    plan_lock = threading.Lock()
    plan_digest = None
    plan = []
    used = []
    arrivals = 0

    def handle_any(self, head):
        self.record()
        with LOG_LOCK:
            FolderHandler.arrivals += 1
            seq = FolderHandler.arrivals
        path = '/' + '/'.join(p for p in self.path.split('?', 1)[0].split('/') if p)
        rng = self.headers.get('Range')
        entry = {'method': self.command, 'path': path, 'range': rng, 'status': None, 'sent': 0, 'fault': None,
                 'time': time.time(), 'seq': seq}
        try:
            self.serve_file(path, rng, head, entry)
        except (ConnectionError, BrokenPipeError):
            self.close_connection = True
        finally:
            with LOG_LOCK:
                with open(os.path.join(self.state_dir, 'requests.jsonl'), 'a') as f:
                    f.write(json.dumps(entry) + '\n')

    @classmethod
    def take_rule(cls, state_dir, path, covers):
        """The rule for this request, with one use taken; covers(offsets)
        tells whether the answer carries one of a corrupt rule's bytes."""
        try:
            with open(os.path.join(state_dir, 'faults.json'), 'rb') as f:
                text = f.read()
        except FileNotFoundError:
            text = b'[]'
        with cls.plan_lock:
            digest = hashlib.sha256(text).digest()
            if digest != cls.plan_digest:
                cls.plan_digest, cls.plan = digest, json.loads(text or b'[]')
                cls.used = [0] * len(cls.plan)
            for i, rule in enumerate(cls.plan):
                times = rule.get('times', 1)
                if rule.get('path') != path or (times > 0 and cls.used[i] >= times):
                    continue
                if 'corrupt' in rule and not covers(rule['corrupt']):
                    continue
                cls.used[i] += 1
                return rule
        return {}

    def serve_file(self, path, rng, head, entry):
        file = os.path.join(self.root, *[p for p in path.split('/') if p not in ('', '.', '..')])
        size = os.path.getsize(file) if os.path.isfile(file) else None
        begin, end = 0, size
        partial = False
        if size is not None and rng and rng.startswith('bytes=') and ',' not in rng:
            first, _, last = rng[6:].strip().partition('-')
            try:
                if first:
                    begin = int(first)
                    end = min(int(last) + 1, size) if last else size
                else:
                    begin = max(0, size - int(last))
                partial = True
            except ValueError:
                begin, end = 0, size  # not a range this server knows: the whole file
        rule = self.take_rule(self.state_dir, path,
                              lambda offsets: not head and size is not None and any(begin <= o < end for o in offsets))
        kind = next((k for k in ('status', 'redirect', 'huge', 'reset_after', 'close_after', 'corrupt', 'rate', 'whole',
                                 'claim', 'stall_after') if k in rule), None)
        if kind == 'whole':
            begin, end, partial = 0, size, False
        entry['fault'] = kind

        def answer(code, body=b'', extra=()):
            entry['status'] = code
            self.send_body(code, body, head, extra)
            entry['sent'] = 0 if head else len(body)

        if kind == 'status':
            return answer(rule['status'], rule.get('body', 'status %d' % rule['status']).encode())
        if kind == 'huge':
            entry['status'] = 200
            self.send_response(200)
            self.send_header('Content-Length', str(rule['huge']))
            self.end_headers()
            zeros = bytes(1 << 20)
            while not head and entry['sent'] < rule['huge']:
                chunk = zeros[:rule['huge'] - entry['sent']]
                self.wfile.write(chunk)
                entry['sent'] += len(chunk)
            return
        if kind == 'redirect':
            return answer(rule.get('code', 302), extra=[('Location', rule['redirect'])])
        if size is None:
            return answer(404, b'not found')
        if partial and (begin >= size or end <= begin):
            return answer(416, extra=[('Content-Range', 'bytes */%d' % size)])
        code = 206 if partial else 200
        entry['status'] = code
        self.send_response(code)
        self.send_header('Content-Length', str(rule['claim'] if kind == 'claim' else end - begin))
        self.send_header('Accept-Ranges', 'bytes')
        if partial:
            self.send_header('Content-Range', 'bytes %d-%d/%d' % (begin, end - 1, size))
        self.end_headers()
        if head:
            return
        limit = end - begin
        if kind in ('reset_after', 'close_after', 'claim', 'stall_after'):
            limit = min(limit, rule[kind])
        with open(file, 'rb') as f:
            f.seek(begin)
            at = begin
            while at < begin + limit:
                chunk = bytearray(f.read(min(65536, begin + limit - at)))
                if kind == 'corrupt':
                    for o in rule['corrupt']:
                        if at <= o < at + len(chunk):
                            chunk[o - at] ^= 0xFF
                self.wfile.write(chunk)
                at += len(chunk)
                entry['sent'] = at - begin
                if kind == 'rate':
                    self.wfile.flush()
                    time.sleep(len(chunk) / float(rule['rate']))
        if kind == 'stall_after':
            self.wfile.flush()
            time.sleep(rule.get('seconds', 60))
        if kind == 'reset_after':
            self.wfile.flush()
            time.sleep(rule.get('pause', 0))
            self.reset()
        elif kind in ('close_after', 'claim', 'stall_after'):
            self.wfile.flush()
            self.close_connection = True


def serve_tls(state_dir, handler):
    """The routes over HTTPS on a thread; its port goes to tls_port."""
    certificate, key = os.path.join(state_dir, 'tls.pem'), os.path.join(state_dir, 'tls.key')
    subprocess.run(['openssl', 'req', '-x509', '-newkey', 'ec', '-pkeyopt', 'ec_paramgen_curve:P-256', '-nodes',
                    '-keyout', key, '-out', certificate, '-days', '2', '-subj', '/CN=127.0.0.1',
                    '-addext', 'subjectAltName=DNS:127.0.0.1,IP:127.0.0.1'],
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(certificate, key)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    server.daemon_threads = True
    # A client that refuses the certificate ends the handshake in accept():
    # the error is dropped with that connection.
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    with open(os.path.join(state_dir, 'tls_port'), 'w') as f:
        f.write(str(server.server_port))


def serve(state_dir, folder=None):
    handler = Handler
    if folder:
        handler = FolderHandler
        FolderHandler.root = folder
    handler.state_dir = state_dir
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    server.daemon_threads = True
    with open(os.path.join(state_dir, 'pid'), 'w') as f:
        f.write(str(os.getpid()))
    if not folder:
        serve_tls(state_dir, handler)
    tmp = os.path.join(state_dir, 'port.tmp')
    with open(tmp, 'w') as f:
        f.write(str(server.server_port))
    os.replace(tmp, os.path.join(state_dir, 'port'))
    signal.signal(signal.SIGTERM, lambda *a: os._exit(0))
    server.serve_forever()


def start(state_dir, folder=None):
    os.makedirs(state_dir, exist_ok=True)
    for name in ('port', 'tls_port', 'pid', 'requests.log', 'requests.jsonl'):
        try:
            os.remove(os.path.join(state_dir, name))
        except FileNotFoundError:
            pass
    if os.fork() == 0:
        os.setsid()
        # No inherited pipes: CTest waits for its test's output to close.
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)
        try:
            serve(state_dir, folder)
        finally:
            os._exit(1)
    port_file = os.path.join(state_dir, 'port')
    for _ in range(100):
        if os.path.exists(port_file):
            print(open(port_file).read())
            return 0
        time.sleep(0.05)
    return 1


def stop(state_dir):
    try:
        pid = int(open(os.path.join(state_dir, 'pid')).read())
        os.kill(pid, signal.SIGTERM)
    except (FileNotFoundError, ProcessLookupError, ValueError):
        pass
    return 0


if __name__ == '__main__':
    if len(sys.argv) not in (3, 4) or sys.argv[1] not in ('start', 'stop', 'serve') or \
            (sys.argv[1] == 'stop' and len(sys.argv) == 4):
        sys.exit(__doc__)
    command, state = sys.argv[1], os.path.abspath(sys.argv[2])
    served = os.path.abspath(sys.argv[3]) if len(sys.argv) == 4 else None
    if command == 'serve':
        os.makedirs(state, exist_ok=True)
        serve(state, served)
    sys.exit(start(state, served) if command == 'start' else stop(state))
