#!/usr/bin/env python3
"""A stand-in for the travel-notes site on 127.0.0.1, for the Windows tests and the benchmarks.

Prints "port N" on its first line once it listens; runs until killed.

Generated note (benchmarks): the chunk endpoint answers a note of --chunks chunks with --per-chunk picture addresses
each, escaped like the real endpoint, and /pic/N.jpg serves --picture-bytes bytes. With --shape every picture
connection behaves like a distant host: --first-byte-ms before the first byte, then --rate bytes per second.

Canned replies (tests): POST /_serve?path=TARGET&... stores a reply for TARGET ("path?query" matches exactly,
a bare path matches any query, "path*" any target that starts with "path"); the request body is the reply's body.
Options of the reply:
  status=N  type=T  size=N (generated body when none is posted)  pad=N (N blanks after the body)
  delay_ms=N  before the status line          stall=1  read the request, never answer
  stall_after=N  headers and N bytes, then nothing until the client goes
  cut_after=N  headers announcing the whole body, N bytes, then close      reset_after=N  the same, then a reset
  chunked=1  chunked transfer coding          gzip=1  the body compressed, with its Content-Encoding
  endless=1  a body without length that never ends      unframed=1  no length: the body ends when the connection does
  head_trickle=MS  the status line and headers one byte every MS milliseconds
  trickle=B,MS  B bytes every MS milliseconds (announcing the whole body)  rate=N  bytes per second
GET /_log?prefix=P: the requests whose target starts with P, each as its request line and "Name: value" header lines,
a blank line after each.
GET /_inflight?prefix=P: "now most": requests under P being answered now, and the most at one moment.
Every wait ends when the client goes away, so a stalled reply never outlives its connection.
"""
import argparse
import gzip
import http.server
import select
import socket
import socketserver
import struct
import sys
import threading
import time
import urllib.parse

CHUNK_PATH = "/note/ajax/detail/getNoteDetailContentChunk"
LONGEST_WAIT = 600.0


def pattern_bytes(size):
    pattern = bytes(range(256))
    return (pattern * (size // 256 + 1))[:size]


def chunk_reply(host, seq, chunks, per_chunk):
    parts = ['{"data":{"html":"<div class=\\"note\\">']
    for i in range(per_chunk):
        n = seq * per_chunk + i
        parts.append(
            '<p>Day %d, a street market.</p><img data-seq=\\"%d\\" src=\\"http:\\/\\/%s\\/pic\\/%d.jpg'
            '?imageView2\\/2\\/w\\/1080\\/q\\/90\\" data-rt-src=\\"http:\\/\\/%s\\/pic\\/%d.jpg?imageView2\\/2\\/w\\/300\\">'
            % (n, seq, host, n, host, n))
    more = seq + 1 < chunks
    if more:
        parts.append('<div class=\\"more\\" data-seq=\\"%d\\"><\\/div>' % (seq + 1))
    parts.append('</div>","has_more":%s}}' % ("true" if more else "false"))
    return "".join(parts).encode("ascii")


class Site:
    """What the tests stored and what arrived, shared by every connection."""

    def __init__(self, options):
        self.options = options
        self.picture = pattern_bytes(options.picture_bytes)
        self.lock = threading.Lock()
        self.replies = {}
        self.log = []    # [target, request line and headers, moment begun, moment ended or None], in arrival order
        self.moment = 0  # orders the beginnings and ends of answers

    def begin(self, target, head):
        with self.lock:
            self.moment += 1
            self.log.append([target, head, self.moment, None])
            return self.log[-1]

    def end(self, entry):
        with self.lock:
            self.moment += 1
            entry[3] = self.moment

    def in_flight(self, prefix):
        """Answers under the prefix going on now, and the most that went on at one moment."""
        events = []
        for target, _, begun, ended in self.log:
            if target.startswith(prefix):
                events += [(begun, 1)] + ([(ended, -1)] if ended else [])
        now = most = 0
        for _, step in sorted(events):
            now += step
            most = max(most, now)
        return now, most


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body leave in separate writes; with Nagle on, the body would wait for the delayed ACK of the
    # headers (about 40 ms a reply on loopback).
    disable_nagle_algorithm = True

    def log_message(self, format, *args):
        if self.server.site.options.log:
            sys.stderr.write("%.3f %s\n" % (time.monotonic(), format % args))

    # --- waiting without outliving the client
    def client_gone(self, seconds):
        """Waits up to `seconds`; True as soon as the client has closed its side."""
        readable, _, _ = select.select([self.connection], [], [], max(seconds, 0))
        if not readable:
            return False
        try:
            return self.connection.recv(1, socket.MSG_PEEK) == b""
        except OSError:
            return True

    def pause(self, seconds):
        """Sleeps; False when the client went away meanwhile."""
        deadline = time.monotonic() + seconds
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                return True
            if self.client_gone(min(left, 0.5)):
                return False

    def hold(self):
        """Sends nothing until the client goes (or the longest wait has passed), then drops the connection."""
        deadline = time.monotonic() + LONGEST_WAIT
        while time.monotonic() < deadline and not self.client_gone(0.5):
            pass
        self.close_connection = True

    def write(self, data):
        try:
            self.wfile.write(data)
            self.wfile.flush()
            return True
        except OSError:
            self.close_connection = True
            return False

    # --- requests
    def do_GET(self):
        site = self.server.site
        target = self.path
        if target.startswith("/_"):
            return self.control(target)
        head = self.requestline + "\n" + "".join("%s: %s\n" % item for item in self.headers.items())
        entry = site.begin(target, head)
        try:
            self.answer(target)
        finally:
            site.end(entry)

    def do_POST(self):
        url = urllib.parse.urlsplit(self.path)
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length) if length else b""
        if url.path != "/_serve":
            return self.simple(404, b"")
        options = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
        options["body"] = body
        with self.server.site.lock:
            self.server.site.replies[options.pop("path")] = options
        self.simple(204, b"")

    def control(self, target):
        site = self.server.site
        url = urllib.parse.urlsplit(target)
        prefix = urllib.parse.parse_qs(url.query).get("prefix", [""])[0]
        with site.lock:
            if url.path == "/_log":
                text = "".join("%s\n" % entry[1] for entry in site.log if entry[0].startswith(prefix))
            elif url.path == "/_inflight":
                text = "%d %d" % site.in_flight(prefix)
            else:
                text = None
        if text is None:
            return self.simple(404, b"")
        self.simple(200, text.encode("utf-8"), "text/plain; charset=utf-8")

    def simple(self, status, body, content_type="text/plain"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.write(body)

    def answer(self, target):
        site = self.server.site
        url = urllib.parse.urlsplit(target)
        with site.lock:
            reply = site.replies.get(target) or site.replies.get(url.path)
            if reply is None:  # "path*" answers every target that starts with "path"
                reply = next((r for key, r in site.replies.items() if key.endswith("*") and
                              target.startswith(key[:-1])), None)
        if reply is not None:
            return self.canned(reply)
        options = site.options
        if url.path == CHUNK_PATH and options.chunks:
            seq = int(urllib.parse.parse_qs(url.query).get("seq", ["0"])[0])
            host = "127.0.0.1:%d" % self.server.server_address[1]
            return self.simple(200, chunk_reply(host, seq, options.chunks, options.per_chunk), "application/json")
        if url.path.startswith("/pic/"):
            if options.shape:
                if not self.pause(options.first_byte_ms / 1000.0):
                    return
                return self.send(200, "image/jpeg", site.picture, rate=options.rate)
            return self.simple(200, site.picture, "image/jpeg")
        self.simple(404, b"<html><body>Not found</body></html>", "text/html")

    def canned(self, reply):
        number = lambda name: int(reply.get(name, "0") or 0)
        body = reply["body"] or pattern_bytes(number("size"))
        body += b" " * number("pad")
        headers = []
        if number("gzip"):
            body = gzip.compress(body)
            headers.append(("Content-Encoding", "gzip"))
        if number("delay_ms") and not self.pause(number("delay_ms") / 1000.0):
            return
        if number("stall"):
            return self.hold()
        trickle = None
        if reply.get("trickle"):
            size, every = (int(part) for part in reply["trickle"].split(","))
            trickle = (size, every / 1000.0)
        cut = lambda name: int(reply[name]) if name in reply else None
        self.send(number("status") or 200, reply.get("type", "image/jpeg"), body, headers=headers,
                  chunked=bool(number("chunked")), endless=bool(number("endless") or number("unframed")),
                  unframed=bool(number("unframed")), head_trickle=number("head_trickle"), rate=number("rate"),
                  trickle=trickle, stall_after=cut("stall_after"), cut_after=cut("cut_after"),
                  reset_after=cut("reset_after"))

    def send(self, status, content_type, body, headers=(), chunked=False, endless=False, unframed=False,
             head_trickle=0, rate=0, trickle=None, stall_after=None, cut_after=None, reset_after=None):
        if status in (204, 304):
            body = b""  # these replies have no body; one sent anyway would be read as the start of the next reply
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        for name, value in headers:
            self.send_header(name, value)
        if endless:
            self.send_header("Connection", "close")
        elif chunked:
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Content-Length", str(len(body)))
        if head_trickle:
            head = b"".join(self._headers_buffer) + b"\r\n"
            self._headers_buffer = []
            for offset in range(len(head)):
                if not self.write(head[offset:offset + 1]) or not self.pause(head_trickle / 1000.0):
                    return
        else:
            self.end_headers()
        if unframed:
            self.close_connection = True
        elif endless:
            block = pattern_bytes(65536)
            deadline = time.monotonic() + LONGEST_WAIT
            while time.monotonic() < deadline and self.write(block):
                pass
            self.close_connection = True
            return
        if chunked:
            body = b"".join(b"%x\r\n%s\r\n" % (len(body[i:i + 4096]), body[i:i + 4096])
                            for i in range(0, len(body), 4096)) + b"0\r\n\r\n"
        limit = min(x for x in (stall_after, cut_after, reset_after, len(body)) if x is not None)
        if trickle:
            size, every = trickle
            for offset in range(0, limit, size):
                if not self.write(body[offset:min(offset + size, limit)]) or not self.pause(every):
                    return
        elif rate:
            started = time.monotonic()
            for offset in range(0, limit, 16384):
                if not self.pause(started + offset / rate - time.monotonic()):
                    return
                if not self.write(body[offset:min(offset + 16384, limit)]):
                    return
        elif not self.write(body[:limit]):
            return
        if stall_after is not None:
            self.hold()
        elif reset_after is not None:
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.close_connection = True
        elif cut_after is not None:
            self.close_connection = True


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    request_queue_size = 128


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--chunks", type=int, default=0, help="chunks of the generated note (0: none)")
    parser.add_argument("--per-chunk", type=int, default=10)
    parser.add_argument("--picture-bytes", type=int, default=512 * 1024)
    parser.add_argument("--shape", action="store_true")
    parser.add_argument("--first-byte-ms", type=float, default=40.0)
    parser.add_argument("--rate", type=float, default=4 * 1024 * 1024)
    parser.add_argument("--log", action="store_true", help="each request on stderr")
    options = parser.parse_args()
    server = Server(("127.0.0.1", 0), Handler)
    server.site = Site(options)
    print("port %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
