#include "framework/ModulePath.h"
#include "framework/Win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    (void)CurrentExecutablePath();
    return 0;
}
