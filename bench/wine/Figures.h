#pragma once
// How the benchmark program reports: one line per figure, "name: value unit", flushed at once so that the driver
// reading the pipe sees every figure even when a later step hangs.
#include <chrono>
#include <cstdint>
#include <string>

using BenchClock = std::chrono::steady_clock;

void PrintFigure(const std::string& name, double value, const std::string& unit);
// A line the driver passes on without reading it as a figure.
void PrintNote(const std::string& text);

double SecondsSince(BenchClock::time_point start);

struct MemoryFigures {
    uint64_t peakWorkingSet = 0;
    uint64_t workingSet = 0;
};
// This process's working set figures (GetProcessMemoryInfo); zeros when the call fails.
MemoryFigures ProcessMemory();
inline double MiB(uint64_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// Size of a plain file, -1 when there is none.
int64_t FileSizeOf(const std::wstring& path);
// Deletes every plain file directly in the folder (ending in a separator); the folder stays.
void EmptyFolder(const std::wstring& folder);
