#pragma once
// Where the time of a download run goes: the same pictures fetched 5 at a time through ever more of the tool's own
// download path, from WinHTTP alone up to the download service over the window's list; and the steps of one download,
// timed one by one.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Win32.h"

// Prints the milliseconds per picture of each step of a download (40 pictures one after another on one thread), one
// figure per layer (seconds for all links, and the pictures that arrived whole), and the cost of a thread start. The last layers run the tool's download service over the rows of
// the window's list (which must hold the links), on the window thread. Files go into the folder (ending in a
// separator) and are deleted after each layer.
void RunDownloadBreakdown(HWND list, const std::vector<std::string>& links, const std::wstring& folder,
                          int64_t pictureBytes);
