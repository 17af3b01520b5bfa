#include "Figures.h"

#include <cstdio>

#include "framework/Win32.h"

#include <psapi.h>

void PrintFigure(const std::string& name, double value, const std::string& unit) {
    std::printf("%s: %.3f %s\n", name.c_str(), value, unit.c_str());
    std::fflush(stdout);
}

void PrintNote(const std::string& text) {
    std::printf("# %s\n", text.c_str());
    std::fflush(stdout);
}

double SecondsSince(BenchClock::time_point start) {
    return std::chrono::duration<double>(BenchClock::now() - start).count();
}

MemoryFigures ProcessMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    MemoryFigures figures;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) {
        return figures;
    }
    figures.peakWorkingSet = counters.PeakWorkingSetSize;
    figures.workingSet = counters.WorkingSetSize;
    return figures;
}

int64_t FileSizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

void EmptyFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW entry{};
    const HANDLE search = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + entry.cFileName).c_str());
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}
