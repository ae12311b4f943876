#!/usr/bin/env python3
"""Local HTTP and HTTPS server for tests, on 127.0.0.1 and free ports.

    http_test_server.py --dir DIR [--handler FILE] [-- COMMAND ARGS...]

Makes a test certificate authority and server certificates in DIR with the openssl tool, starts
the listeners below, records every request it reads in DIR/requests (one file per request: the
bytes as received, named NNNNNN-LISTENER[-VIA].req, written before the reply is sent) and
answers each request as its query string asks (see Reply script).

Listeners:
  http        plain HTTP; it also serves as an HTTP proxy (absolute-form targets and CONNECT)
              and as a SOCKS 4/5 proxy, answering the proxied request itself
  https       TLS, certificate for 127.0.0.1 and localhost from the test authority
  wrong_name  TLS, certificate from the test authority for another host name
  untrusted   TLS, certificate for 127.0.0.1 from an authority nobody trusts
  refused     a port that is bound but not listening: every connection is refused

With a COMMAND the server runs it with these settings in its environment and exits with its exit
status: QUORVIX_TEST_<LISTENER>_PORT for each listener, QUORVIX_TEST_CA_FILE (the test
authority, PEM), QUORVIX_TEST_REQUEST_LOG (the request folder) and QUORVIX_CA_FILE (the same
authority, which the native build then trusts). Without one it prints
"READY http=P https=P wrong_name=P untrusted=P refused=P ca=PATH log=DIR" and serves until it is
interrupted or terminated.

Reply script, read from the query string of any target (all optional):
  status=N reason=TEXT      status line (200 OK)
  header=NAME:VALUE         a response header, repeatable; replaces a standard one of that name
  body=TEXT                 the body; without it the body echoes the request as received
  body_size=N               a body of N bytes instead
  header_block=N            pad the headers so the status line, header lines and the blank line
                            take exactly N bytes
  date=TEXT | no_date=1     the Date header's value, or no Date header
  delay_ms=N                wait before answering
  drip_ms=N                 send the body one byte at a time, N ms apart
  close_after=N             announce the whole body, send N bytes of it and close
  reset=1                   reset the connection instead of answering
  reset_after=N             announce the whole body, send N bytes of it and reset
  raw=TEXT                  send TEXT (percent-decoded bytes) instead of a reply, then close
  chunked=1                 send the body chunked
  require_auth=USER:PASS    answer 401 (Basic) unless the request carries these credentials

A --handler FILE may define reply(request) -> Reply | None to answer requests its own way
(None leaves the request to the script above); request has listener, via, method, target, path,
query (dict of lists), version, headers (list of (name, value)), body and raw (bytes).
"""
import argparse
import base64
import email.utils
import importlib.util
import os
import signal
import socket
import ssl
import struct
import subprocess
import sys
import threading
import time
import urllib.parse

MAX_REQUEST_BYTES = 64 << 20
LISTENERS = ("http", "https", "wrong_name", "untrusted", "refused")


class Reply:
    def __init__(self, status=200, reason=None, headers=None, body=b""):
        self.status = status
        self.reason = reason
        self.headers = list(headers or [])
        self.body = body if isinstance(body, bytes) else body.encode("utf-8")


class Request:
    def __init__(self, listener, via, raw_head, body):
        self.listener = listener
        self.via = via
        self.raw = raw_head + body
        self.body = body
        lines = raw_head.decode("latin-1").split("\r\n")
        self.method, self.target, self.version = (lines[0].split(" ", 2) + ["", ""])[:3]
        self.headers = []
        for line in lines[1:]:
            if ":" in line:
                name, value = line.split(":", 1)
                self.headers.append((name.strip(), value.strip()))
        url = urllib.parse.urlsplit(self.target)
        self.path = url.path or "/"
        # Byte for byte: a percent-encoded byte is one character of the value.
        self.query = urllib.parse.parse_qs(url.query, keep_blank_values=True, encoding="latin-1")

    def header(self, name):
        for key, value in self.headers:
            if key.lower() == name.lower():
                return value
        return None


# ---- certificates ----

def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def make_authority(folder, name, common_name):
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", "7",
            "-keyout", f"{name}.key", "-out", f"{name}.pem", "-subj", f"/CN={common_name}",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=folder)


def make_server_certificate(folder, name, authority, alt_names, key="server"):
    if not os.path.exists(os.path.join(folder, f"{key}.key")):
        openssl("genrsa", "-out", f"{key}.key", "2048", cwd=folder)
    with open(os.path.join(folder, f"{name}.ext"), "w") as ext:
        ext.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature,keyEncipherment\n"
                  f"extendedKeyUsage=serverAuth\nsubjectAltName={alt_names}\n")
    openssl("req", "-new", "-key", f"{key}.key", "-out", f"{name}.csr", "-subj", "/CN=test server",
            cwd=folder)
    openssl("x509", "-req", "-sha256", "-days", "7", "-in", f"{name}.csr", "-CA", f"{authority}.pem",
            "-CAkey", f"{authority}.key", "-set_serial", str(int(time.time() * 1000)),
            "-out", f"{name}.pem", "-extfile", f"{name}.ext", cwd=folder)


def make_certificates(folder):
    """Fresh ones each start: a test authority never outlives its run by much."""
    os.makedirs(folder, exist_ok=True)
    make_authority(folder, "ca", "Quorvix Test Authority")
    make_authority(folder, "other-ca", "Quorvix Untrusted Authority")
    make_server_certificate(folder, "server", "ca", "IP:127.0.0.1,DNS:localhost")
    make_server_certificate(folder, "wrong-name", "ca", "DNS:wrong-name.invalid")
    make_server_certificate(folder, "untrusted", "other-ca", "IP:127.0.0.1,DNS:localhost")


def tls_context(folder, name):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(folder, f"{name}.pem"), os.path.join(folder, "server.key"))
    return context


# ---- the server ----

class Connection:
    def __init__(self, sock):
        self.sock = sock
        self.buffer = b""

    def read_more(self):
        data = self.sock.recv(65536)
        if not data:
            raise ConnectionError("closed")
        self.buffer += data

    def read_until(self, marker, limit):
        while marker not in self.buffer:
            if len(self.buffer) > limit:
                raise ConnectionError("too long")
            self.read_more()
        at = self.buffer.index(marker) + len(marker)
        taken, self.buffer = self.buffer[:at], self.buffer[at:]
        return taken

    def read_exactly(self, count):
        while len(self.buffer) < count:
            self.read_more()
        taken, self.buffer = self.buffer[:count], self.buffer[count:]
        return taken

    def peek(self):
        if not self.buffer:
            self.read_more()
        return self.buffer[0]


class TestServer:
    def __init__(self, folder, handler=None):
        self.folder = os.path.abspath(folder)
        self.certificates = os.path.join(self.folder, "certificates")
        self.log = os.path.join(self.folder, "requests")
        self.handler = handler
        self.ports = {}
        self.sequence = 0
        self.lock = threading.Lock()
        self.sockets = []

    @property
    def ca_file(self):
        return os.path.join(self.certificates, "ca.pem")

    def start(self):
        make_certificates(self.certificates)
        os.makedirs(self.log, exist_ok=True)
        for old in os.listdir(self.log):  # a log holds one run's requests
            os.remove(os.path.join(self.log, old))
        self.contexts = {
            "https": tls_context(self.certificates, "server"),
            "wrong_name": tls_context(self.certificates, "wrong-name"),
            "untrusted": tls_context(self.certificates, "untrusted"),
        }
        for name in LISTENERS:
            sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            sock.bind(("127.0.0.1", 0))
            self.ports[name] = sock.getsockname()[1]
            self.sockets.append(sock)
            if name == "refused":
                continue  # bound, never listening: connections get a reset
            sock.listen(64)
            threading.Thread(target=self.accept_loop, args=(sock, name), daemon=True).start()

    def stop(self):
        for sock in self.sockets:
            try:
                sock.close()
            except OSError:
                pass

    def environment(self):
        env = {f"QUORVIX_TEST_{name.upper()}_PORT": str(port) for name, port in self.ports.items()}
        env.update(QUORVIX_TEST_CA_FILE=self.ca_file, QUORVIX_TEST_REQUEST_LOG=self.log,
                   QUORVIX_CA_FILE=self.ca_file)
        return env

    def accept_loop(self, sock, listener):
        while True:
            try:
                conn, _ = sock.accept()
            except OSError:
                return
            threading.Thread(target=self.serve, args=(conn, listener), daemon=True).start()

    def serve(self, conn, listener):
        conn.settimeout(30)
        try:
            if listener in self.contexts:
                conn = self.contexts[listener].wrap_socket(conn, server_side=True)
            connection = Connection(conn)
            via = None
            if listener == "http":
                via = self.maybe_socks(connection)
                if via:
                    connection = self.maybe_tls(connection)
            self.serve_requests(connection, listener, via)
        except (OSError, ConnectionError, ssl.SSLError, ValueError):
            pass
        finally:
            try:
                conn.close()
            except OSError:
                pass

    def maybe_socks(self, connection):
        first = connection.peek()
        if first == 4:
            head = connection.read_exactly(8)
            connection.read_until(b"\0", 1024)  # user id
            if head[4:7] == b"\0\0\0" and head[7] != 0:
                connection.read_until(b"\0", 1024)  # SOCKS 4a host name
            connection.sock.sendall(b"\0\x5a" + head[2:8])
            return "socks"
        if first == 5:
            greeting = connection.read_exactly(2)
            connection.read_exactly(greeting[1])
            connection.sock.sendall(b"\x05\x00")
            request = connection.read_exactly(4)
            kind = request[3]
            if kind == 1:
                connection.read_exactly(4)
            elif kind == 3:
                connection.read_exactly(connection.read_exactly(1)[0])
            elif kind == 4:
                connection.read_exactly(16)
            connection.read_exactly(2)
            connection.sock.sendall(b"\x05\x00\x00\x01\x7f\x00\x00\x01" + struct.pack(">H", 0))
            return "socks"
        return None

    def maybe_tls(self, connection):
        """After a proxy hand-shake the client speaks first: TLS when its first byte says so.
        It waits for our answer before that, so nothing of it is buffered yet."""
        if connection.buffer:
            return connection
        first = connection.sock.recv(1, socket.MSG_PEEK)
        if first != b"\x16":
            return connection
        return Connection(self.contexts["https"].wrap_socket(connection.sock, server_side=True))

    def record(self, listener, via, raw):
        with self.lock:
            self.sequence += 1
            number = self.sequence
        name = f"{number:06d}-{listener}" + (f"-{via}" if via else "") + ".req"
        temporary = os.path.join(self.log, name + ".part")
        with open(temporary, "wb") as out:
            out.write(raw)
        os.replace(temporary, os.path.join(self.log, name))

    def serve_requests(self, connection, listener, via):
        while True:
            head = connection.read_until(b"\r\n\r\n", 1 << 20)
            request = Request(listener, via, head, b"")
            if request.header("Expect") and request.header("Expect").lower() == "100-continue":
                connection.sock.sendall(b"HTTP/1.1 100 Continue\r\n\r\n")
            length = request.header("Content-Length")
            if length is not None:
                count = int(length)
                if count > MAX_REQUEST_BYTES:
                    raise ValueError("request too large")
                request = Request(listener, via, head, connection.read_exactly(count))
            elif (request.header("Transfer-Encoding") or "").lower() == "chunked":
                request = Request(listener, via, head, self.read_chunked(connection))
            self.record(listener, via, request.raw)

            if request.method == "CONNECT":
                connection.sock.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
                connection = self.maybe_tls(connection)
                via = "connect"
                continue
            self.answer(connection.sock, request)
            return  # every reply says Connection: close

    def read_chunked(self, connection):
        raw = b""
        while True:
            size_line = connection.read_until(b"\r\n", 1024)
            raw += size_line
            size = int(size_line.split(b";")[0].strip(), 16)
            chunk = connection.read_exactly(size + 2)
            raw += chunk
            if len(raw) > MAX_REQUEST_BYTES:
                raise ValueError("request too large")
            if size == 0:
                return raw

    def answer(self, sock, request):
        reply = self.handler(request) if self.handler else None
        query = request.query
        first = lambda name, default=None: query.get(name, [default])[0]
        if reply is None:
            reply = scripted_reply(request, first)
        delay = int(first("delay_ms", "0"))
        if delay:
            time.sleep(delay / 1000)
        if first("reset") == "1":
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            return
        if first("raw") is not None:
            sock.sendall(first("raw").encode("latin-1"))
            return

        standard = [("Date", email.utils.formatdate(usegmt=True))]
        if first("no_date") == "1":
            standard = []
        elif first("date") is not None:
            standard = [("Date", first("date"))]
        standard.append(("Content-Type", "text/plain"))
        named = {name.lower() for name, _ in reply.headers}
        headers = [h for h in standard if h[0].lower() not in named] + reply.headers
        chunked = first("chunked") == "1"
        if chunked:
            headers.append(("Transfer-Encoding", "chunked"))
        else:
            headers.append(("Content-Length", str(len(reply.body))))
        headers.append(("Connection", "close"))
        reason = reply.reason if reply.reason is not None else REASONS.get(reply.status, "Status")
        block = f"HTTP/1.1 {reply.status} {reason}\r\n" + "".join(
            f"{name}: {value}\r\n" for name, value in headers)
        wanted = first("header_block")
        if wanted is not None:
            block += filler(int(wanted) - len(block.encode("latin-1")) - len("\r\n"))
        sock.sendall((block + "\r\n").encode("latin-1"))
        if request.method == "HEAD":
            return

        body = reply.body
        if chunked:
            body = (b"%x\r\n" % len(body) + body + b"\r\n" if body else b"") + b"0\r\n\r\n"
        close_after = first("close_after")
        if close_after is not None:
            sock.sendall(body[: int(close_after)])
            return
        reset_after = first("reset_after")
        if reset_after is not None:
            sock.sendall(body[: int(reset_after)])
            time.sleep(0.05)  # let the bytes go out before the reset overtakes them
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            return
        drip = int(first("drip_ms", "0"))
        if drip:
            for i in range(len(body)):
                sock.sendall(body[i:i + 1])
                time.sleep(drip / 1000)
            return
        sock.sendall(body)


REASONS = {200: "OK", 204: "No Content", 301: "Moved Permanently", 302: "Found",
           303: "See Other", 307: "Temporary Redirect", 400: "Bad Request", 401: "Unauthorized",
           403: "Forbidden", 404: "Not Found", 407: "Proxy Authentication Required",
           500: "Internal Server Error"}


def filler(size):
    """Header lines of at most 100 bytes that take exactly `size` bytes ("X-Fill-N: fff...")."""
    lines = []
    while size > 0:
        name = f"X-Fill-{len(lines) + 1}: "
        line_size = min(size, 100)
        rest = size - line_size
        if 0 < rest < 20:  # too little for a line of its own: leave a full short line
            line_size = size - 20
        if line_size < len(name) + 3:
            raise ValueError("header_block too small")
        lines.append(name + "f" * (line_size - len(name) - 2) + "\r\n")
        size -= line_size
    return "".join(lines)


def scripted_reply(request, first):
    required = first("require_auth")
    if required is not None:
        expected = "Basic " + base64.b64encode(required.encode("latin-1")).decode("ascii")
        if request.header("Authorization") != expected:
            return Reply(401, None, [("WWW-Authenticate", 'Basic realm="test"')], b"who are you?")
    headers = []
    for item in request.query.get("header", []):
        name, _, value = item.partition(":")
        headers.append((name.strip(), value.strip()))
    if first("body") is not None:
        body = first("body").encode("latin-1", "replace")
    elif first("body_size") is not None:
        size = int(first("body_size"))
        body = (b"0123456789" * (size // 10 + 1))[:size]
    else:
        body = request.raw
    return Reply(int(first("status", "200")), first("reason"), headers, body)


def load_handler(path):
    location = importlib.util.spec_from_file_location("test_server_handler", path)
    module = importlib.util.module_from_spec(location)
    sys.modules["test_server_handler"] = module
    module.Reply = Reply
    location.loader.exec_module(module)
    return module.reply


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--dir", required=True, help="folder for certificates and the request log")
    parser.add_argument("--handler", help="a Python file defining reply(request)")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command

    server = TestServer(args.dir, load_handler(args.handler) if args.handler else None)
    server.start()
    if command:
        env = dict(os.environ, **server.environment())
        try:
            status = subprocess.run(command, env=env).returncode
        finally:
            server.stop()
        sys.exit(status if status >= 0 else 128 - status)

    ports = " ".join(f"{name}={port}" for name, port in server.ports.items())
    print(f"READY {ports} ca={server.ca_file} log={server.log}", flush=True)
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    while not stop.wait(1):
        pass
    server.stop()


if __name__ == "__main__":
    main()
