#!/usr/bin/env python3
"""Plays hostile clients against a started quorvix-ocr-service on loopback and checks that a
token request is still answered within a second and that the service's memory comes back.

    hostile_clients.py SERVICE [--report-only]

Everything is bounded: at most a few hundred connections, 64 MB sent, about a minute in all.
With --report-only the figures are printed and nothing is asserted (to measure an older build).
"""
import socket
import struct
import subprocess
import sys
import threading
import time
import zlib

TOKEN_REQUEST = (b"GET /oauth/2.0/token?grant_type=client_credentials&client_id=k"
                 b"&client_secret=s HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n")
MB = 1 << 20


class Service:
    def __init__(self, path):
        self.process = subprocess.Popen([path, "--port", "0", "--threads", "2"],
                                        stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline().strip()
        assert line.startswith("listening on http://"), line
        self.port = int(line.rsplit(":", 1)[1])
        self.peak = 0
        self._sampling = True
        self._sampler = threading.Thread(target=self._sample, daemon=True)
        self._sampler.start()

    def rss(self):
        with open(f"/proc/{self.process.pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) * 1024
        return 0

    def _sample(self):
        while self._sampling and self.process.poll() is None:
            self.peak = max(self.peak, self.rss())
            time.sleep(0.02)

    def reset_peak(self):
        self.peak = self.rss()

    def connect(self, timeout=5.0):
        return socket.create_connection(("127.0.0.1", self.port), timeout=timeout)

    def stop(self):
        self._sampling = False
        self.process.terminate()
        self.process.wait(10)


class Replies:
    """Reads the replies that come on one connection, in order, keeping what follows each."""

    def __init__(self, sock):
        self.sock, self.data = sock, b""

    def next(self, deadline):
        """(status, body), or (0, b"") when the connection closed or time ran out first."""
        while True:
            head_end = self.data.find(b"\r\n\r\n")
            if head_end >= 0:
                head = self.data[:head_end].decode("latin-1")
                length = 0
                for line in head.split("\r\n")[1:]:
                    name, _, value = line.partition(":")
                    if name.strip().lower() == "content-length":
                        length = int(value)
                end = head_end + 4 + length
                if len(self.data) >= end:
                    reply = int(head.split()[1]), self.data[head_end + 4:end]
                    self.data = self.data[end:]
                    return reply
            if time.monotonic() >= deadline:
                return 0, b""
            self.sock.settimeout(max(0.01, deadline - time.monotonic()))
            try:
                chunk = self.sock.recv(65536)
            except (socket.timeout, OSError):
                return 0, b""
            if not chunk:
                return 0, b""
            self.data += chunk


def read_reply(sock, deadline):
    return Replies(sock).next(deadline)


def token_time(service):
    """Seconds until a fresh connection's token request is answered, or None for no answer."""
    start = time.monotonic()
    try:
        with service.connect(timeout=3) as sock:
            sock.sendall(TOKEN_REQUEST)
            status, body = read_reply(sock, start + 3)
    except OSError:
        return None
    return time.monotonic() - start if status == 200 and b"access_token" in body else None


def endless_header(service):
    """One head that never ends, sent as fast as the service reads it, while the reply is awaited."""
    base = service.rss()
    service.reset_peak()
    sent = [0]
    line = b"X-Filler: " + b"a" * 54 + b"\r\n"
    with service.connect() as sock:
        def flood():
            try:
                sock.sendall(b"POST /oauth/2.0/token HTTP/1.1\r\nHost: x\r\n")
                while sent[0] < 64 * MB:
                    sock.sendall(line * 1024)
                    sent[0] += len(line) * 1024
            except OSError:
                pass
        sender = threading.Thread(target=flood, daemon=True)
        sender.start()
        refusal, _ = read_reply(sock, time.monotonic() + 20)
        sender.join(20)
    time.sleep(1)
    return {"sent_mb": sent[0] / MB, "status": refusal, "base_mb": base / MB,
            "peak_mb": service.peak / MB, "after_mb": service.rss() / MB}


def slow_and_idle_clients(service):
    stop = threading.Event()
    slow = []
    for _ in range(8):
        sock = service.connect()
        sock.sendall(b"P")
        slow.append(sock)
    idle = [service.connect() for _ in range(300)]

    def trickle():
        while not stop.wait(3):
            for sock in slow:
                try:
                    sock.sendall(b"O")
                except OSError:
                    pass

    threading.Thread(target=trickle, daemon=True).start()
    times = []
    for _ in range(4):
        times.append(token_time(service))
        time.sleep(1.5)
    stop.set()
    for sock in slow + idle:
        sock.close()
    return {"token_seconds": times}


def bodies_held_back(service):
    """Clients that declare the largest body taken and never send it: the form of a token
    request still goes through at once."""
    held = []
    for _ in range(16):
        sock = service.connect()
        sock.sendall(b"POST /rest/2.0/ocr/v1/general_basic?access_token=x HTTP/1.1\r\n"
                     b"Content-Type: application/x-www-form-urlencoded\r\n"
                     b"Content-Length: 6000000\r\n\r\nimage=")
        held.append(sock)
    body = b"grant_type=client_credentials&client_id=k&client_secret=s"
    start = time.monotonic()
    with service.connect() as sock:
        sock.sendall(b"POST /oauth/2.0/token HTTP/1.1\r\n"
                     b"Content-Type: application/x-www-form-urlencoded\r\n"
                     b"Content-Length: " + str(len(body)).encode() + b"\r\n\r\n" + body)
        status, reply = read_reply(sock, start + 3)
    for sock in held:
        sock.close()
    return {"status": status, "token": b"access_token" in reply,
            "seconds": time.monotonic() - start}


def oversized_length(service):
    start = time.monotonic()
    with service.connect() as sock:
        sock.sendall(b"POST /rest/2.0/ocr/v1/general_basic?access_token=x HTTP/1.1\r\n"
                     b"Content-Type: application/x-www-form-urlencoded\r\n"
                     b"Content-Length: 1000000000\r\n\r\nimage=")
        status, _ = read_reply(sock, start + 12)
    return {"status": status, "seconds": time.monotonic() - start}


def pipelined(service):
    start = time.monotonic()
    answered, closed = 0, False
    with service.connect() as sock:
        sock.sendall(TOKEN_REQUEST * 20)
        replies = Replies(sock)
        for _ in range(20):
            status, _ = replies.next(start + 6)
            if status != 200:
                closed = True
                break
            answered += 1
    return {"answered": answered, "closed": closed, "seconds": time.monotonic() - start}


def expect_continue(service):
    """A client that waits to be told to go on before it sends its body, as curl does."""
    body = b"grant_type=client_credentials&client_id=k&client_secret=s"
    start = time.monotonic()
    with service.connect() as sock:
        sock.sendall(b"POST /oauth/2.0/token HTTP/1.1\r\nExpect: 100-continue\r\n"
                     b"Content-Type: application/x-www-form-urlencoded\r\n"
                     b"Content-Length: " + str(len(body)).encode() + b"\r\n\r\n")
        replies = Replies(sock)
        go_on, _ = replies.next(start + 2)
        sock.sendall(body)
        status, reply = replies.next(start + 4)
    return {"first": go_on, "then": status, "token": b"access_token" in reply,
            "seconds": time.monotonic() - start}


def png(width, height):
    """An all-black grey PNG: tiny as a file, huge once decoded."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    row = b"\0" * (width + 1)
    packer = zlib.compressobj(9)
    data = b"".join(packer.compress(row) for _ in range(height)) + packer.flush()
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0))
            + chunk(b"IDAT", data) + chunk(b"IEND", b""))


def recognise(service, token, picture, deadline_seconds=20):
    import base64
    import urllib.parse
    body = b"image=" + urllib.parse.quote(base64.b64encode(picture)).encode()
    start = time.monotonic()
    with service.connect(timeout=deadline_seconds) as sock:
        sock.sendall(b"POST /rest/2.0/ocr/v1/general_basic?access_token=" + token.encode() +
                     b" HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                     b"Content-Length: " + str(len(body)).encode() + b"\r\n\r\n" + body)
        status, reply = read_reply(sock, start + deadline_seconds)
    return status, reply, time.monotonic() - start


def token_of(service):
    with service.connect() as sock:
        sock.sendall(TOKEN_REQUEST)
        _, body = read_reply(sock, time.monotonic() + 3)
    import json
    return json.loads(body)["access_token"]


def huge_pictures(service):
    token = token_of(service)
    picture = png(32768, 2048)
    base = service.rss()
    service.reset_peak()
    results = []
    threads = [threading.Thread(target=lambda: results.append(recognise(service, token, picture)))
               for _ in range(8)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    tiny_status, tiny_reply, _ = recognise(service, token, png(10, 10))
    return {"png_kb": len(picture) / 1024, "replies": [r[1][:40].decode() for r in results[:1]],
            "refused": sum(b"216202" in r[1] for r in results),
            "slowest_seconds": max(r[2] for r in results), "base_mb": base / MB,
            "peak_mb": service.peak / MB, "tiny": tiny_reply[:40].decode()}


def main():
    path = sys.argv[1]
    report_only = "--report-only" in sys.argv
    service = Service(path)
    failures = []

    def check(ok, what):
        if not ok:
            failures.append(what)

    try:
        print("token alone:", token_time(service))
        result = endless_header(service)
        print("endless header:", result)
        check(result["status"] in (400, 431), "an endless header block is refused")
        check(result["peak_mb"] - result["base_mb"] < 32, "an endless header holds little memory")
        check(result["after_mb"] - result["base_mb"] < 16, "memory comes back after it")

        result = slow_and_idle_clients(service)
        print("slow and idle clients:", result)
        check(all(t is not None and t < 1 for t in result["token_seconds"]),
              "tokens answered within 1 s beside slow and idle clients")

        result = bodies_held_back(service)
        print("bodies held back:", result)
        check(result["token"] and result["seconds"] < 1,
              "a token form goes through beside clients holding back large bodies")

        result = oversized_length(service)
        print("oversized Content-Length:", result)
        check(result["status"] == 413 and result["seconds"] < 1, "an oversized length refused at once")

        result = pipelined(service)
        print("pipelined:", result)
        check(result["answered"] == 20 or (result["closed"] and result["seconds"] < 1),
              "pipelined requests answered in order, or the connection closed at once")

        result = expect_continue(service)
        print("expect 100-continue:", result)
        check(result["first"] == 100 and result["token"] and result["seconds"] < 1,
              "a client expecting 100 Continue is told to go on and answered")

        result = huge_pictures(service)
        print("huge pictures:", result)
        check(result["refused"] == 8, "a huge picture refused with the size error")
        check(result["peak_mb"] - result["base_mb"] < 64, "a huge picture is not decoded")
        check("216202" in result["tiny"], "a picture under 15 px refused with the size error")
        check(service.process.poll() is None, "the service still runs")
        print("token at the end:", token_time(service))
    finally:
        service.stop()
    for failure in failures:
        print("FAILED:", failure)
    return 0 if report_only or not failures else 1


if __name__ == "__main__":
    sys.exit(main())
