#!/usr/bin/env python3
"""A stand-in for the travel-notes site on 127.0.0.1, for the benchmarks.

Serves a note's content chunks (each with --per-chunk picture addresses, escaped like the real endpoint) and the
pictures themselves (--picture-bytes each, the same bytes on every request). With --shape, every picture connection
behaves like a distant picture host: --first-byte-ms before the first byte, then --rate bytes per second.
Prints "port N" on its first line once it listens; runs until killed.
"""
import argparse
import http.server
import socketserver
import sys
import time
import urllib.parse

CHUNK_PATH = "/note/ajax/detail/getNoteDetailContentChunk"


def picture_body(size):
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


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body leave in separate writes; with Nagle on, the body's segment would wait for the delayed ACK of
    # the headers' (about 40 ms a reply on loopback), and every client would be timed against that wait.
    disable_nagle_algorithm = True

    def log_message(self, format, *args):
        if self.server.options.log:
            sys.stderr.write("%.3f %s\n" % (time.monotonic(), format % args))

    def send_body(self, body, content_type, shaped):
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if not shaped:
            self.wfile.write(body)
            return
        slice_bytes = 16384
        started = time.monotonic()
        for offset in range(0, len(body), slice_bytes):
            due = started + offset / self.server.options.rate
            delay = due - time.monotonic()
            if delay > 0:
                time.sleep(delay)
            self.wfile.write(body[offset:offset + slice_bytes])

    def do_GET(self):
        options = self.server.options
        url = urllib.parse.urlsplit(self.path)
        if url.path == CHUNK_PATH:
            query = urllib.parse.parse_qs(url.query)
            seq = int(query.get("seq", ["0"])[0])
            host = "127.0.0.1:%d" % self.server.server_address[1]
            self.send_body(chunk_reply(host, seq, options.chunks, options.per_chunk), "application/json", False)
        elif url.path.startswith("/pic/"):
            if options.shape:
                time.sleep(options.first_byte_ms / 1000.0)
            self.send_body(self.server.picture, "image/jpeg", options.shape)
        else:
            self.send_error(404)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    request_queue_size = 64


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--chunks", type=int, default=200)
    parser.add_argument("--per-chunk", type=int, default=10)
    parser.add_argument("--picture-bytes", type=int, default=512 * 1024)
    parser.add_argument("--shape", action="store_true")
    parser.add_argument("--first-byte-ms", type=float, default=40.0)
    parser.add_argument("--rate", type=float, default=4 * 1024 * 1024)
    parser.add_argument("--log", action="store_true", help="each request on stderr")
    options = parser.parse_args()
    server = Server(("127.0.0.1", 0), Handler)
    server.options = options
    server.picture = picture_body(options.picture_bytes)
    print("port %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
