#include "framework/App.h"

#include "framework/AppGdiplus.h"
#include "framework/FormHooks.h"
#include "framework/ModalLoop.h"
#include "framework/ModulePath.h"
#include "framework/Win32.h"
#include "services/resources/version.h"

#define VOYANTA_WIDE_TEXT(text) L"" text
#define VOYANTA_WIDE(text) VOYANTA_WIDE_TEXT(text)

namespace {

constexpr wchar_t kProductName[] = VOYANTA_WIDE(VOYANTA_PRODUCT_NAME);
constexpr wchar_t kCompanyName[] = VOYANTA_WIDE(VOYANTA_COMPANY_NAME);
constexpr wchar_t kFileDescription[] = VOYANTA_WIDE(VOYANTA_FILE_DESCRIPTION);
constexpr std::array<uint32_t, 4> kVersion{VOYANTA_VERSION_MAJOR, VOYANTA_VERSION_MINOR, VOYANTA_VERSION_PATCH,
                                           VOYANTA_VERSION_BUILD};

// Restored from the taskbar, in front, caption and taskbar button flashed five times 100 ms apart.
void BringBack(HWND window) noexcept {
    OpenIcon(window);
    SetForegroundWindow(window);
    FLASHWINFO flash{};
    flash.cbSize = sizeof(flash);
    flash.hwnd = window;
    flash.dwFlags = FLASHW_CAPTION | FLASHW_TRAY;
    flash.uCount = 5;
    flash.dwTimeout = 100;
    FlashWindowEx(&flash);
}

}  // namespace

void FillAppInfo(AppInfo& info, HINSTANCE module) noexcept {
    info.module = module;
    info.title = kProductName;
    info.companyName = kCompanyName;
    info.productName = kProductName;
    info.fileDescription = kFileDescription;
    info.fileVersion = kVersion;
    info.productVersion = kVersion;
    ExecutablePath path = CurrentExecutablePath();
    info.exeFolder = std::move(path.folder);
    info.exeFileName = std::move(path.fileName);
}

ProcessObjects::~ProcessObjects() {
    EndHook(appInfo.module);
}

ProcessObjects& Process() noexcept {
    static ProcessObjects objects;
    return objects;
}
const AppInfo& TheAppInfo() noexcept {
    return Process().appInfo;
}
MainFormObject& TheMainForm() noexcept {
    return Process().mainForm;
}
FileSystemObject& ProcessFileSystem() noexcept {
    return Process().fileSystem;
}

int32_t StartHook(HINSTANCE) noexcept {
    return 0;
}
void EndHook(HINSTANCE) noexcept {}
int MessageHook(MSG*) noexcept {
    return 0;
}

INT_PTR ShowMainForm(MainFormObject& form, BuildMainForm build, HWND owner, int32_t modalFlag,
                     LPARAM userValue) noexcept {
    if (!form.allowManyWindows && form.window != nullptr && IsWindow(form.window)) {
        BringBack(form.window);
        return reinterpret_cast<INT_PTR>(form.window);
    }
    const INT_PTR result = build(form, owner, modalFlag, userValue);
    if (form.window != nullptr && !IsWindow(form.window)) form.window = nullptr;
    return result;
}

int RunApplication(HINSTANCE module, BuildMainForm build, StartHookFunction startHook) noexcept {
    ProcessObjects& process = Process();
    FillAppInfo(process.appInfo, module);
    const GdiplusSession gdiplus;
    if (startHook(module) != 0) return -1;
    ShowMainForm(process.mainForm, build, nullptr, kModal, 0);
    return 0;
}
