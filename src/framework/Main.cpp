#include "framework/App.h"
#include "framework/Win32.h"

namespace {

// The process-wide objects exist before the entry function runs and are released after it returns.
[[maybe_unused]] const ProcessObjects& gProcessObjects = Process();

}  // namespace

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int) {
    return RunApplication(module, BuildAndShowForm1);
}
