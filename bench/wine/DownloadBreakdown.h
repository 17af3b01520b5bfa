#pragma once
// Where the time of a download run goes: the same pictures fetched 5 at a time through ever more of the tool's own
// download path, from the platform call alone up to the download service without the list.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Win32.h"

// Prints one figure per layer (seconds for all links, and the pictures that arrived whole), plus the cost of a
// thread start and of a URL cache entry deletion. The last layers run the tool's download service over the rows of
// the window's list (which must hold the links), on the window thread. Files go into the folder (ending in a
// separator) and are deleted after each layer.
void RunDownloadBreakdown(HWND list, const std::vector<std::string>& links, const std::wstring& folder,
                          int64_t pictureBytes);
