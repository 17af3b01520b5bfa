#pragma once
#include "framework/SystemLibraries.h"
#include "framework/Win32.h"

#include <winhttp.h>  // clashes with <wininet.h>: included only where WinHTTP is called

// The WinHTTP functions the tool calls, from the system folder's winhttp.dll (see SystemLibraries.h).
#define WINHTTP_FUNCTIONS(X)         \
    X(::, WinHttpOpen)               \
    X(::, WinHttpConnect)            \
    X(::, WinHttpOpenRequest)        \
    X(::, WinHttpCloseHandle)        \
    X(::, WinHttpCrackUrl)           \
    X(::, WinHttpAddRequestHeaders)  \
    X(::, WinHttpSetOption)          \
    X(::, WinHttpSetTimeouts)        \
    X(::, WinHttpSendRequest)        \
    X(::, WinHttpReceiveResponse)    \
    X(::, WinHttpQueryHeaders)       \
    X(::, WinHttpQueryDataAvailable) \
    X(::, WinHttpReadData)

struct WinHttpFunctions {
    WINHTTP_FUNCTIONS(SYSTEM_FUNCTION_MEMBER)
};
// Filled on first use, once, whichever thread comes first (downloads call it from several).
const WinHttpFunctions& WinHttp() noexcept;
