#!/usr/bin/env python3
"""The Windows build under Wine against curl, both measured in this run, on a loopback stand-in of the site.

Runs inside an X server (bench/run starts one). Prints one "name: value unit" line per figure; each benchmark ends
with its ratio line, tool time / baseline time. Talks only to 127.0.0.1.
  search    "查找图片" on a note of 200 chunks x 10 pictures, against curl fetching the same 200 chunk addresses
  download  "下载选中" on 200 pictures of 512 KiB, five at a time, against curl --parallel --parallel-max 5;
            once with every picture connection shaped like a distant host, once unshaped (with the breakdown)
  memory    peak working set of the tool after a search that lists 10,000 pictures
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
CHUNK_PATH = "/note/ajax/detail/getNoteDetailContentChunk"
NOTE_ID = "123"
NOTE_ADDRESS = "http://www.voyanta.com/i/%s.html" % NOTE_ID
PICTURE_BYTES = 512 * 1024


def figure(name, value, unit):
    print("%s: %.3f %s" % (name, value, unit), flush=True)


def note(text):
    print("# " + text, flush=True)


class Site:
    """tools/loopback_site.py in a child process, for one benchmark."""

    def __init__(self, *arguments):
        self.process = subprocess.Popen([sys.executable, os.path.join(ROOT, "tools", "loopback_site.py")] + list(arguments),
                                        stdout=subprocess.PIPE, text=True)
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
        urls = site.chunk_urls(chunks)
        config = curl_config(urls)
        try:
            one = [timed(["curl", "-s", "-f", "-K", config]) for _ in range(runs)]
            for n, seconds in enumerate(one):
                figure("search_curl_one_invocation_run%d" % (n + 1), seconds, "s")
            many = []
            for run in range(runs):
                start = time.monotonic()
                for url in urls:
                    subprocess.run(["curl", "-s", "-f", "-o", "/dev/null", url], check=True, timeout=30)
                many.append(time.monotonic() - start)
                figure("search_curl_200_invocations_run%d" % (run + 1), many[-1], "s")
        finally:
            os.unlink(config)
        figures = tool.run("search", 300, port=site.port, address=NOTE_ADDRESS, rows=chunks * per_chunk, runs=runs,
                           note=NOTE_ID, chunks=chunks)
    curl_one = statistics.median(one)
    curl_many = statistics.median(many)
    figure("search_curl_one_invocation", curl_one, "s")
    figure("search_curl_200_invocations", curl_many, "s")
    figure("search_ratio_vs_200_curl_invocations", figures["search_tool"] / curl_many, "ratio")
    figure("search_ratio", figures["search_tool"] / curl_one, "ratio (tool / one curl with the 200 URLs; target <= 2)")


def download(tool, runs, shaped):
    name = "shaped" if shaped else "unshaped"
    count = 200
    arguments = ["--chunks", "20", "--per-chunk", "10", "--picture-bytes", str(PICTURE_BYTES)]
    if shaped:
        arguments += ["--shape", "--first-byte-ms", "40", "--rate", str(4 * 1024 * 1024)]
    with Site(*arguments) as site:
        folder = tempfile.mkdtemp(prefix="bench-curl-")
        config = curl_config(site.picture_urls(count), folder)
        times = []
        try:
            for run in range(runs):
                for entry in os.listdir(folder):
                    os.unlink(os.path.join(folder, entry))
                times.append(timed(["curl", "-s", "-f", "--parallel", "--parallel-max", "5", "-K", config]))
                whole = sum(os.path.getsize(os.path.join(folder, "%d.jpg" % (n + 1))) == PICTURE_BYTES
                            for n in range(count))
                figure("download_%s_curl_run%d" % (name, run + 1), times[-1], "s")
                if whole != count:
                    raise RuntimeError("curl saved %d of %d pictures whole" % (whole, count))
        finally:
            os.unlink(config)
            shutil.rmtree(folder, ignore_errors=True)
        figures = tool.run("download", 600, port=site.port, address=NOTE_ADDRESS, rows=count, bytes=PICTURE_BYTES,
                           runs=runs, name=name, breakdown=0 if shaped else 1)
    curl = statistics.median(times)
    figure("download_%s_curl" % name, curl, "s")
    target = "1.2" if shaped else "none; shows the tool's own overhead"
    figure("download_%s_ratio" % name, figures["download_%s_tool" % name] / curl,
           "ratio (tool / curl --parallel-max 5; target: %s)" % target)
    if not shaped:
        for layer in ("wininet_read_loop", "urldownload_alone", "urldownload_cache_delete", "tool_download_call",
                      "tool_run_without_list", "tool_run_list_without_scrolling", "tool_run_list"):
            key = "download_breakdown_" + layer
            if key in figures:
                figure(key + "_vs_curl", figures[key] / curl, "ratio")


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
        search(tool, options.runs)
    if "download" in chosen:
        download(tool, options.runs, shaped=True)
        download(tool, options.runs, shaped=False)
    if "memory" in chosen:
        memory(tool)
    note("load average after: %s; Wine benchmarks took %.0f s" % (" ".join(load_average()), time.monotonic() - started))


if __name__ == "__main__":
    sys.exit(main())
