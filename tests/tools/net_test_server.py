#!/usr/bin/env python3
"""Fault-injecting HTTP update server for the network tests (stdlib only).

  net_test_server.py start <state dir>   starts a daemon on 127.0.0.1 on a
                                         free port; returns once
                                         <state dir>/port holds the port
  net_test_server.py stop <state dir>    ends it
  net_test_server.py serve <state dir>   runs in the foreground

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
  /slow/<n>/<chunk>/<ms>      n pattern bytes in chunks with pauses
  /badstatus                  a status line that is not HTTP
  /manyheaders/<k>            k extra headers
  /echo                       the request head as body
"""
import gzip
import http.server
import os
import signal
import socket
import struct
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


def serve(state_dir):
    Handler.state_dir = state_dir
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
    server.daemon_threads = True
    with open(os.path.join(state_dir, 'pid'), 'w') as f:
        f.write(str(os.getpid()))
    tmp = os.path.join(state_dir, 'port.tmp')
    with open(tmp, 'w') as f:
        f.write(str(server.server_port))
    os.replace(tmp, os.path.join(state_dir, 'port'))
    signal.signal(signal.SIGTERM, lambda *a: os._exit(0))
    server.serve_forever()


def start(state_dir):
    os.makedirs(state_dir, exist_ok=True)
    for name in ('port', 'pid', 'requests.log'):
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
            serve(state_dir)
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
    if len(sys.argv) != 3 or sys.argv[1] not in ('start', 'stop', 'serve'):
        sys.exit(__doc__)
    command, folder = sys.argv[1], os.path.abspath(sys.argv[2])
    if command == 'serve':
        os.makedirs(folder, exist_ok=True)
        serve(folder)
    sys.exit(start(folder) if command == 'start' else stop(folder))
