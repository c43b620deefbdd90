#!/usr/bin/env python3
"""Plain static update server for tests and the demo: nginx on 127.0.0.1.

  nginx_fixture.py start <state dir> <root dir> [port] [--tls <certificate> <key>]
      serves <root dir> on a free port (or the given one) and returns once
      nginx answers; the port is written to <state dir>/port. With --tls it
      serves HTTPS with that certificate chain (PEM) and key.
  nginx_fixture.py stop <state dir>
      ends it

nginx runs as a daemon of the calling user (its workers too, so folders
only that user can read are served) with its configuration, pid file,
temporary folders and logs inside <state dir>. The access log
(<state dir>/access.log) records each request line with its Range header and
status, so tests can see where a resumed download started.
"""
import os
import pwd
import signal
import socket
import subprocess
import sys
import time

NGINX = '/usr/sbin/nginx'

CONFIG = """
{user}
daemon on;
worker_processes 1;
pid {state}/nginx.pid;
error_log {state}/error.log warn;
events {{ worker_connections 64; }}
http {{
    types {{ application/octet-stream bin pkg rxml zip rar exe; text/xml xml; }}
    default_type application/octet-stream;
    log_format ranges '$request range="$http_range" status=$status bytes=$body_bytes_sent';
    access_log {state}/access.log ranges;
    client_body_temp_path {state}/tmp_body;
    proxy_temp_path {state}/tmp_proxy;
    fastcgi_temp_path {state}/tmp_fastcgi;
    uwsgi_temp_path {state}/tmp_uwsgi;
    scgi_temp_path {state}/tmp_scgi;
    sendfile on;
    server {{
        listen 127.0.0.1:{port}{tls};
        root {root};
        location / {{ }}
    }}
}}
"""


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def answering(port):
    try:
        with socket.create_connection(('127.0.0.1', port), timeout=0.5):
            return True
    except OSError:
        return False


def tls_lines(certificate, key):
    return ' ssl;\n        ssl_certificate %s;\n        ssl_certificate_key %s' % (
        os.path.abspath(certificate), os.path.abspath(key))


def start(state, root, port=None, tls=None):
    state = os.path.abspath(state)
    os.makedirs(state, exist_ok=True)
    stop(state)
    # A master started by root hands its workers to "nobody" unless told otherwise.
    user = 'user %s;' % pwd.getpwuid(os.geteuid()).pw_name if os.geteuid() == 0 else ''
    for attempt in range(5):
        chosen = port or free_port()
        with open(os.path.join(state, 'nginx.conf'), 'w') as f:
            f.write(CONFIG.format(user=user, state=state, root=os.path.abspath(root), port=chosen,
                                  tls=tls_lines(*tls) if tls else ''))
        # -e: even the start-up messages stay in the state folder.
        result = subprocess.run([NGINX, '-p', state, '-e', os.path.join(state, 'error.log'),
                                 '-c', os.path.join(state, 'nginx.conf')],
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if result.returncode == 0:
            for _ in range(100):
                if answering(chosen):
                    with open(os.path.join(state, 'port'), 'w') as f:
                        f.write(str(chosen))
                    return 0
                time.sleep(0.05)
        if port:
            break
    sys.stderr.write('nginx did not start: %s\n' % result.stderr.strip())
    return 1


def stop(state):
    pid_file = os.path.join(state, 'nginx.pid')
    try:
        with open(pid_file) as f:
            pid = int(f.read().strip())
        # A fast shutdown: a graceful one would wait for a download in progress.
        os.kill(pid, signal.SIGTERM)
        for _ in range(100):
            os.kill(pid, 0)
            time.sleep(0.05)
    except (OSError, ValueError):
        pass
    return 0


if __name__ == '__main__':
    args = sys.argv[1:]
    tls = None
    if '--tls' in args and len(args) >= args.index('--tls') + 3:
        at = args.index('--tls')
        tls = args[at + 1:at + 3]
        del args[at:at + 3]
    if len(args) in (3, 4) and args[0] == 'start':
        sys.exit(start(args[1], args[2], int(args[3]) if len(args) > 3 else None, tls))
    if len(args) == 2 and args[0] == 'stop':
        sys.exit(stop(args[1]))
    sys.stderr.write(__doc__)
    sys.exit(2)
