// A DLL named after one of Windows' own, as it could lie beside the program in a Downloads folder: loaded, it leaves
// "<its own path>.loaded" behind. It exports, as stubs, every name the program has ever taken from the DLL it poses as.
#include <windows.h>
#define STUB(name) __declspec(dllexport) int name(void) { return 0; }
#if defined(PLANTED_winhttp)
STUB(WinHttpAddRequestHeaders) STUB(WinHttpCheckPlatform) STUB(WinHttpCloseHandle) STUB(WinHttpConnect)
STUB(WinHttpCrackUrl) STUB(WinHttpOpen) STUB(WinHttpOpenRequest) STUB(WinHttpQueryDataAvailable)
STUB(WinHttpQueryHeaders) STUB(WinHttpReadData) STUB(WinHttpReceiveResponse) STUB(WinHttpSendRequest)
STUB(WinHttpSetOption) STUB(WinHttpSetTimeouts)
#elif defined(PLANTED_uxtheme)
STUB(SetWindowTheme)
#elif defined(PLANTED_gdiplus)
STUB(GdiplusStartup) STUB(GdiplusShutdown) STUB(GdipCreateFromHDC) STUB(GdipSetSmoothingMode) STUB(GdipDeleteGraphics)
STUB(GdipCreatePen1) STUB(GdipDeletePen) STUB(GdipCreateSolidFill) STUB(GdipDeleteBrush) STUB(GdipDisposeImage)
STUB(GdipFillRectangle) STUB(GdipDrawRectangle)
#else
STUB(InitCommonControlsEx) STUB(SetWindowSubclass)
#endif

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    wchar_t marker[MAX_PATH + 8] = L"";
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH && GetModuleFileNameW(self, marker, MAX_PATH) < MAX_PATH)
        CloseHandle(CreateFileW(lstrcatW(marker, L".loaded"), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return TRUE;
}
