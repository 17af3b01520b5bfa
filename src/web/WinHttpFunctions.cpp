#include "web/WinHttpFunctions.h"

#include "framework/Win32.h"

const WinHttpFunctions& WinHttp() noexcept {
    static const WinHttpFunctions functions = [] {
        const HMODULE library = LoadSystemLibrary(L"winhttp.dll");
        WinHttpFunctions table;
        WINHTTP_FUNCTIONS(SYSTEM_FUNCTION_FIND)
        return table;
    }();
    return functions;
}
