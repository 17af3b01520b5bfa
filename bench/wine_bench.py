#!/usr/bin/env python3
"""The Windows build under Wine against curl, both measured in this run, on the loopback stand-in of the site.

Runs inside an X server (bench/run starts one). Prints one "name: value unit" line per figure; each benchmark ends
with its ratio lines, tool time / baseline time. Talks only to 127.0.0.1.
  search    "查找图片" on a note of 200 chunks x 10 pictures, against one curl process fetching the same 200 chunk
            addresses on a new connection each (as the tool does); the keep-alive figure beside it
  download  "下载选中" on 200 pictures, five at a time, against curl --parallel --parallel-max 5: shaped like a
            distant host (512 KiB, five runs, each run's ratio), then unshaped (1 MiB, with the breakdown:
            layers from WinHTTP alone up to the window's run, and the steps of one download timed one by one); the most
            picture requests in flight at once, as the site saw them
  memory    peak working set of the tool after a search that lists 10,000 pictures
"""
import argparse
import contextlib
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
CHUNK_PATH = "/note/ajax/detail/getNoteDetailContentChunk"
NOTE_ID = "123"
NOTE_ADDRESS = "http://www.voyanta.com/i/%s.html" % NOTE_ID
SHAPED_PICTURE_BYTES = 512 * 1024
UNSHAPED_PICTURE_BYTES = 1024 * 1024


def figure(name, value, unit):
    print("%s: %.3f %s" % (name, value, unit), flush=True)


def note(text):
    print("# " + text, flush=True)


class Site:
    """tools/loopback_site.py in a child process, for one benchmark."""

    def __init__(self, *arguments):
        site = os.path.join(ROOT, "tools", "loopback_site.py")
        self.process = subprocess.Popen([sys.executable, site] + list(arguments), stdout=subprocess.PIPE, text=True)
        first = self.process.stdout.readline().split()
        if len(first) != 2 or first[0] != "port":
            self.process.kill()
            raise RuntimeError("the loopback site did not start")
        self.port = int(first[1])

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def chunk_urls(self, chunks):
        first = self.url("%s?id=%s" % (CHUNK_PATH, NOTE_ID))
        return [first] + ["%s&seq=%d&back=0" % (first, seq) for seq in range(1, chunks)]

    def picture_urls(self, count):
        return [self.url("/pic/%d.jpg" % n) for n in range(count)]

    def most_in_flight(self, prefix):
        """The most requests under the prefix that the site was answering at one moment."""
        with urllib.request.urlopen(self.url("/_inflight?prefix=" + prefix), timeout=10) as reply:
            return int(reply.read().split()[1])

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.process.kill()
        self.process.wait()


class Tool:
    """bench_tool.exe under Wine, through tools/wine-run."""

    def __init__(self, build):
        self.build = build
        self.exe = os.path.join(build, "bench", "bench_tool.exe")

    def run(self, command, limit, **options):
        arguments = [os.path.join(ROOT, "tools", "wine-run"), self.exe, command]
        arguments += ["%s=%s" % item for item in options.items()]
        env = dict(os.environ, VOYANTA_BUILD_DIR=self.build)
        result = subprocess.run(arguments, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                timeout=limit)
        figures = {}
        for line in result.stdout.splitlines():
            print(line, flush=True)
            if line.startswith("#") or ":" not in line:
                continue
            name, rest = line.split(":", 1)
            figures[name.strip()] = float(rest.split()[0])
        if result.returncode != 0:
            raise RuntimeError("bench_tool %s failed with exit code %d" % (command, result.returncode))
        return figures


def timed(arguments, limit=120):
    start = time.monotonic()
    result = subprocess.run(arguments, timeout=limit, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    seconds = time.monotonic() - start
    if result.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (arguments[0], result.returncode, result.stderr.strip()))
    return seconds


def curl_config(urls, folder=None):
    """A curl config naming each address, with its output file (or none)."""
    lines = []
    for n, url in enumerate(urls):
        lines.append('url = "%s"' % url)
        lines.append('output = "%s"' % (os.path.join(folder, "%d.jpg" % (n + 1)) if folder else "/dev/null"))
    handle, path = tempfile.mkstemp(suffix=".curl")
    with os.fdopen(handle, "w") as out:
        out.write("\n".join(lines) + "\n")
    return path


def search(tool, runs):
    chunks, per_chunk = 200, 10
    with Site("--chunks", str(chunks), "--per-chunk", str(per_chunk)) as site:
        config = curl_config(site.chunk_urls(chunks))
        try:
            close, keep = [], []
            for run in range(runs):
                close.append(timed(["curl", "-s", "-f", "-H", "Connection: close", "-K", config]))
                keep.append(timed(["curl", "-s", "-f", "-K", config]))
                figure("search_curl_new_connection_each_run%d" % (run + 1), close[-1], "s")
                figure("search_curl_keep_alive_run%d" % (run + 1), keep[-1], "s")
        finally:
            os.unlink(config)
        figures = tool.run("search", 300, port=site.port, address=NOTE_ADDRESS, rows=chunks * per_chunk, runs=runs,
                           note=NOTE_ID, chunks=chunks)
    curl_close = statistics.median(close)
    curl_keep = statistics.median(keep)
    tool_time = figures["search_tool"]
    figure("search_curl_new_connection_each", curl_close, "s")
    figure("search_curl_keep_alive", curl_keep, "s")
    figure("search_ratio_vs_keep_alive", tool_time / curl_keep, "ratio (for reference)")
    figure("search_window_share_ratio", figures["search_window_share"] / figures["search_breakdown_chunk_requests"],
           "ratio (window's share / the chunk requests' own time; target <= 1)")
    figure("search_ratio", tool_time / curl_close,
           "ratio (tool / one curl, a new connection per chunk; target <= 4)")


@contextlib.contextmanager
def curl_into_folder(urls):
    """A fresh folder and a curl config saving each address into it as 1.jpg, 2.jpg, ...; both removed afterwards."""
    folder = tempfile.mkdtemp(prefix="bench-curl-")
    config = curl_config(urls, folder)
    try:
        yield folder, config
    finally:
        os.unlink(config)
        shutil.rmtree(folder, ignore_errors=True)


def curl_download(site, count, picture_bytes, runs, name):
    """curl --parallel --parallel-max 5 into files; seconds of each run."""
    times = []
    with curl_into_folder(site.picture_urls(count)) as (folder, config):
        for run in range(runs):
            for entry in os.listdir(folder):
                os.unlink(os.path.join(folder, entry))
            times.append(timed(["curl", "-s", "-f", "--parallel", "--parallel-max", "5", "-K", config]))
            figure("download_%s_curl_run%d" % (name, run + 1), times[-1], "s")
            require_whole(folder, count, picture_bytes)
    return times


def require_whole(folder, count, picture_bytes):
    """Fails unless curl saved every picture, 1.jpg to count.jpg, whole."""
    whole = sum(os.path.getsize(os.path.join(folder, "%d.jpg" % (n + 1))) == picture_bytes for n in range(count))
    if whole != count:
        raise RuntimeError("curl saved %d of %d pictures whole" % (whole, count))


def curl_one_at_a_time(arguments, count, picture_bytes):
    """Seconds for one curl process fetching the first pictures one after another, on a site of its own."""
    with Site(*arguments) as site, curl_into_folder(site.picture_urls(count)) as (folder, config):
        seconds = timed(["curl", "-s", "-f", "-K", config])
        require_whole(folder, count, picture_bytes)
    return seconds


def download(tool, runs, shaped):
    """Each party has a site of its own, so that the site's count of requests in flight is that party's alone."""
    name = "shaped" if shaped else "unshaped"
    count = 200
    picture_bytes = SHAPED_PICTURE_BYTES if shaped else UNSHAPED_PICTURE_BYTES
    arguments = ["--chunks", "20", "--per-chunk", "10", "--picture-bytes", str(picture_bytes)]
    if shaped:
        arguments += ["--shape", "--first-byte-ms", "40", "--rate", str(4 * 1024 * 1024)]
    with Site(*arguments) as site:
        curl = curl_download(site, count, picture_bytes, runs, name)
        figure("download_%s_curl_most_in_flight_at_site" % name, site.most_in_flight("/pic/"), "requests")
    with Site(*arguments) as site:
        figures = tool.run("download", 900, port=site.port, address=NOTE_ADDRESS, rows=count, bytes=picture_bytes,
                           runs=runs, name=name, breakdown=0 if shaped else 1)
        figure("download_%s_tool_most_in_flight_at_site" % name, site.most_in_flight("/pic/"), "requests")
    figure("download_%s_curl" % name, statistics.median(curl), "s")
    if shaped:
        ratios = [figures["download_shaped_tool_run%d" % (run + 1)] / curl[run] for run in range(runs)]
        for run, ratio in enumerate(ratios):
            figure("download_shaped_ratio_run%d" % (run + 1), ratio, "ratio (tool / curl of the same run)")
        figure("download_shaped_ratio_worst", max(ratios), "ratio (the worst run; target <= 1.15 in each)")
        figure("download_shaped_ratio", statistics.median(ratios), "ratio (median of the runs)")
        return
    for layer in ("winhttp_read_loop", "web_request_loop", "tool_download_call", "tool_run_without_list", "tool_run_list_without_scrolling", "tool_run_list"):
        key = "download_breakdown_" + layer
        if key in figures:
            figure(key + "_vs_curl", figures[key] / statistics.median(curl), "ratio")
    one_at_a_time = curl_one_at_a_time(arguments, 40, picture_bytes)
    figure("download_steps_curl_one_at_a_time", 1000 * one_at_a_time / 40,
           "ms/picture (one curl process, the first 40 pictures one after another, beside download_steps_*)")
    figure("download_unshaped_ratio", figures["download_unshaped_tool"] / statistics.median(curl),
           "ratio (tool / curl --parallel-max 5; target <= 2)")


def memory(tool):
    chunks, per_chunk = 200, 50
    with Site("--chunks", str(chunks), "--per-chunk", str(per_chunk)) as site:
        figures = tool.run("memory", 300, port=site.port, address=NOTE_ADDRESS, rows=chunks * per_chunk)
    figure("memory_ratio", figures["memory_peak_after_search"] / figures["memory_peak_before_search"],
           "ratio (peak after / peak before the search; target: peak after < 64 MiB)")


def load_average():
    with open("/proc/loadavg") as f:
        return f.read().split()[:3]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, help="the Windows build folder holding bench/bench_tool.exe")
    parser.add_argument("--runs", type=int, default=3, help="runs of each timed step; the median is the figure")
    parser.add_argument("only", nargs="*", help="search, download, memory (default: all)")
    options = parser.parse_args()
    tool = Tool(os.path.abspath(options.build))
    chosen = options.only or ["search", "download", "memory"]
    note("Wine benchmarks: %d cores, load average before %s" % (os.cpu_count(), " ".join(load_average())))
    started = time.monotonic()
    if "search" in chosen:
        search(tool, max(options.runs, 5))
    if "download" in chosen:
        download(tool, max(options.runs, 5), shaped=True)
        download(tool, options.runs, shaped=False)
    if "memory" in chosen:
        memory(tool)
    note("load average after: %s; Wine benchmarks took %.0f s" % (" ".join(load_average()), time.monotonic() - started))


if __name__ == "__main__":
    sys.exit(main())
