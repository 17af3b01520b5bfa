#include "framework/App.h"
#include "framework/SystemLibraries.h"
#include "framework/Win32.h"

// The C runtime's own entry for a UTF-16 GUI program: it runs the static constructors, then wWinMain. MinGW's keeps
// its plain name under -municode.
#ifdef _MSC_VER
extern "C" DWORD wWinMainCRTStartup(void*);
#else
extern "C" int WinMainCRTStartup();
#endif

// The executable's entry (the linker is told so): the DLL search is narrowed before the C runtime or any constructor
// can load a DLL, then the runtime starts as usual. Nothing here may use the runtime.
extern "C" DWORD WINAPI NarrowedStart(void*) noexcept {
    NarrowDllSearch();
#ifdef _MSC_VER
    return wWinMainCRTStartup(nullptr);
#else
    return static_cast<DWORD>(WinMainCRTStartup());
#endif
}

namespace {

// The process-wide objects exist before the entry function runs and are released after it returns.
[[maybe_unused]] const ProcessObjects& gProcessObjects = Process();

}  // namespace

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int) {
    return RunApplication(module, BuildAndShowForm1);
}
