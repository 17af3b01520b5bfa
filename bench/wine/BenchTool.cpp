// The benchmark program: the tool's own window and download path under Wine, against a loopback stand-in of the
// site. One measurement per call, chosen by the first argument; the rest are key=value pairs:
//   search    port= address= rows= runs= note= chunks=
//             each run: time of "查找图片" until the list is filled and painted, then where that time goes
//   memory    port= address= rows=              peak working set before and after one search
//   download  port= address= rows= bytes= runs= name= [breakdown=1]
//             search, then time of "下载选中" until the run has ended; the breakdown follows when asked for
// Prints "name: value unit" lines (see Figures.h); exits non-zero when a run went wrong.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "BenchWindow.h"
#include "DownloadBreakdown.h"
#include "Figures.h"
#include "SearchBreakdown.h"
#include "framework/App.h"
#include "framework/ModulePath.h"
#include "framework/Win32.h"
#include "services/WString.h"

namespace {

using Options = std::map<std::string, std::string>;

const std::wstring kStatusDone = L"\u4E0B\u8F7D\u5B8C\u6210";  // 下载完成

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        const size_t equals = argument.find('=');
        if (equals != std::string::npos) options[argument.substr(0, equals)] = argument.substr(equals + 1);
    }
    return options;
}

long long Number(const Options& options, const std::string& key, long long fallback) {
    const auto it = options.find(key);
    return it == options.end() ? fallback : std::atoll(it->second.c_str());
}

std::string Text(const Options& options, const std::string& key) {
    const auto it = options.find(key);
    return it == options.end() ? std::string() : it->second;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Searches and checks that the list holds what the site serves.
bool SearchAll(BenchWindow& window, const std::string& address, int32_t rows, double& seconds) {
    seconds = window.Search(address);
    if (window.Rows() != rows) {
        PrintNote("search listed " + std::to_string(window.Rows()) + " rows, expected " + std::to_string(rows));
        return false;
    }
    return true;
}

// Each run: the search through the window, then its chunk requests alone and its rows alone, so that the three
// figures of a run are taken under the same load.
int Search(const Options& options) {
    const int port = static_cast<int>(Number(options, "port", 0));
    BenchWindow window(port);
    if (!window.Ready()) return 2;
    const auto rows = static_cast<int32_t>(Number(options, "rows", 0));
    std::vector<double> times, requests, rowTimes, checkTimes, shares;
    for (long long run = 0; run < Number(options, "runs", 3); ++run) {
        double seconds = 0;
        if (!SearchAll(window, Text(options, "address"), rows, seconds)) return 1;
        const SearchBreakdown parts =
            RunSearchBreakdown(port, Text(options, "note"), static_cast<int>(Number(options, "chunks", 0)), rows);
        if (parts.failedRequests) {
            PrintNote(std::to_string(parts.failedRequests) + " chunk requests failed");
            return 1;
        }
        const std::string suffix = "_run" + std::to_string(run + 1);
        PrintFigure("search_tool" + suffix, seconds, "s");
        PrintFigure("search_breakdown_chunk_requests" + suffix, parts.chunkRequests, "s");
        PrintFigure("search_breakdown_list_rows" + suffix, parts.listRows, "s");
        PrintFigure("search_breakdown_check_all" + suffix, parts.checkAll, "s");
        times.push_back(seconds);
        requests.push_back(parts.chunkRequests);
        rowTimes.push_back(parts.listRows);
        checkTimes.push_back(parts.checkAll);
        shares.push_back(seconds - parts.chunkRequests);
    }
    PrintFigure("search_rows", rows, "pictures");
    PrintFigure("search_tool", Median(times), "s");
    PrintFigure("search_breakdown_chunk_requests", Median(requests), "s");
    PrintFigure("search_breakdown_list_rows", Median(rowTimes), "s");
    PrintFigure("search_breakdown_check_all", Median(checkTimes), "s");
    PrintFigure("search_window_share", Median(shares), "s (the search's time but its chunk requests)");
    return 0;
}

int Memory(const Options& options) {
    BenchWindow window(static_cast<int>(Number(options, "port", 0)));
    if (!window.Ready()) return 2;
    PumpUntil([] { return false; }, std::chrono::milliseconds(300));  // the window settled: painted, idle
    const MemoryFigures before = ProcessMemory();
    double seconds = 0;
    if (!SearchAll(window, Text(options, "address"), static_cast<int32_t>(Number(options, "rows", 0)), seconds)) {
        return 1;
    }
    PumpUntil([] { return false; }, std::chrono::milliseconds(300));
    const MemoryFigures after = ProcessMemory();
    if (after.peakWorkingSet == 0) return 1;
    PrintFigure("memory_rows", window.Rows(), "pictures");
    PrintFigure("memory_search_time", seconds, "s");
    PrintFigure("memory_working_set_after_search", MiB(after.workingSet), "MiB");
    PrintFigure("memory_peak_before_search", MiB(before.peakWorkingSet), "MiB");
    PrintFigure("memory_peak_after_search", MiB(after.peakWorkingSet), "MiB");
    return 0;
}

// Searches, then presses "下载选中" and checks that every row ended done with its whole file. Seconds of the run;
// negative when it went wrong.
double DownloadThroughWindow(BenchWindow& window, const Options& options, std::wstring& folder) {
    const auto rows = static_cast<int32_t>(Number(options, "rows", 0));
    const int64_t bytes = Number(options, "bytes", 0);
    double searchSeconds = 0;
    if (!SearchAll(window, Text(options, "address"), rows, searchSeconds)) return -1;
    folder = window.Folder();
    EmptyFolder(folder);
    const double seconds = window.Download(std::chrono::seconds(240));
    if (seconds < 0) {
        PrintNote("the download run did not end in time");
        return -1;
    }
    int whole = 0;
    for (int32_t row = 0; row < rows; ++row) {
        whole += window.Cell(row, 2) == kStatusDone && FileSizeOf(folder + std::to_wstring(row + 1) + L".jpg") == bytes;
    }
    if (whole != rows) {
        PrintNote(std::to_string(whole) + " of " + std::to_string(rows) + " pictures arrived whole");
        return -1;
    }
    return seconds;
}

int Download(const Options& options) {
    BenchWindow window(static_cast<int>(Number(options, "port", 0)));
    if (!window.Ready()) return 2;
    const std::string name = "download_" + Text(options, "name");
    std::vector<double> times;
    std::wstring folder;
    for (long long run = 0; run < Number(options, "runs", 3); ++run) {
        const double seconds = DownloadThroughWindow(window, options, folder);
        if (seconds < 0) return 1;
        PrintFigure(name + "_tool_run" + std::to_string(run + 1), seconds, "s");
        times.push_back(seconds);
    }
    PrintFigure(name + "_tool", Median(times), "s");

    if (Number(options, "breakdown", 0)) {
        const auto rows = static_cast<int32_t>(Number(options, "rows", 0));
        std::vector<std::string> links;
        for (int32_t row = 0; row < rows; ++row) links.push_back(TextFromWide(window.Cell(row, 1)));
        const std::wstring scratch = CurrentExecutablePath().folder + L"bench-breakdown\\";
        CreateDirectoryW(scratch.c_str(), nullptr);
        RunDownloadBreakdown(TheMainForm().ListView1.window, links, scratch, Number(options, "bytes", 0));
        RemoveDirectoryW(scratch.c_str());
        // The window's run once more, after the layers: whether the process's earlier downloads changed its time.
        const double again = DownloadThroughWindow(window, options, folder);
        if (again < 0) return 1;
        PrintFigure(name + "_tool_after_breakdown", again, "s");
    }
    EmptyFolder(folder);
    RemoveDirectoryW(folder.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_tool search|memory|download key=value...\n");
        return 2;
    }
    const std::string command = argv[1];
    const Options options = ParseOptions(argc, argv);
    if (command == "search") return Search(options);
    if (command == "memory") return Memory(options);
    if (command == "download") return Download(options);
    std::fprintf(stderr, "bench_tool: unknown measurement %s\n", command.c_str());
    return 2;
}
