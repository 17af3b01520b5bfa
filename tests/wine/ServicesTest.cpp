// The services on real controls, the real clipboard and the built program: list view helpers, clipboard text, code
// page 936 text, and the program's resources read back the way Windows reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <vector>

#include "framework/AppIcons.h"
#include "framework/ModulePath.h"
#include "services/Clipboard.h"
#include "services/ListView.h"
#include "services/WString.h"
#include "support/Pump.h"
#include "support/TestForm.h"

#include <commctrl.h>

namespace {

const RtString kCaption936 = "\xCD\xBC\xC6\xAC\xC1\xAC\xBD\xD3";  // 图片连接 in code page 936
const std::wstring kCaptionWide = L"\u56FE\u7247\u8FDE\u63A5";

struct ProgramResources : ::testing::Test {
    // The program sits two folders above the test program (build/tests/wine/wine_tests.exe).
    HMODULE module = LoadLibraryExW((CurrentExecutablePath().folder + L"..\\..\\VoyantaPictures.exe").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    void SetUp() override { ASSERT_NE(module, nullptr) << "cannot open the built program"; }
    ~ProgramResources() override { FreeLibrary(module); }

    std::string_view Bytes(const wchar_t* type, const wchar_t* name) const {
        const HRSRC found = FindResourceExW(module, type, name, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
        const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        return loaded ? std::string_view(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found))
                      : std::string_view();
    }
};

}  // namespace

TEST(ListViewHelpers, RowsCellsChecksAndTheSelectionReadBackAsSetAlsoFromAWorkerThread) {
    // A report list view with check boxes and three columns on a form, as the main window's list is made.
    const TestForm form(600, 400);
    const HWND list = form.Add(L"LISTVIEW", 105, 10, 10, 500, 200, WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    ASSERT_EQ(ListViewInsertColumn(list, 0, WString(L"\u5E8F\u53F7"), kColumnCentre, 50), 0);
    ASSERT_EQ(ListViewInsertColumn(list, 1, WString(L"link"), kColumnLeft, 300), 1);
    ASSERT_EQ(ListViewInsertColumn(list, 2, WString(L"status"), kColumnCentre, 80), 2);
    ListViewAddItem(list, WString(L"x"));
    ListViewDeleteAllItems(list);
    for (int n = 0; n < 40; ++n) {
        ASSERT_EQ(ListViewAddItem(list, WString(int32_t{n + 1})), n) << "a new row goes to the end";
        ListViewSetItemText(list, n, 1, WString(L"http://127.0.0.1/" + std::to_wstring(n) + L".jpg"));
    }
    EXPECT_EQ(ListViewGetItemCount(list), 40);
    EXPECT_EQ(ListViewGetItemText(list, 2, 1).Str(), L"http://127.0.0.1/2.jpg");
    EXPECT_EQ(ListViewGetItemText(list, 70, 1).Str(), L"") << "a row that does not exist";
    EXPECT_FALSE(ListViewGetCheckState(list, 0)) << "rows start unchecked";
    for (int n = 0; n < 40; ++n) ListViewSetCheckState(list, n, true);

    // Download workers select, scroll to, write and uncheck rows from their own threads while the window thread pumps.
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int n = 0; n < 40; n += 3) {
            ListViewSelectItem(list, n);
            ListViewEnsureSelectionVisible(list);
            ListViewSetItemText(list, n, 2, WString(L"done"));
            ListViewSetCheckState(list, n, !ListViewGetCheckState(list, n));
        }
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }, std::chrono::seconds(20)));
    worker.join();
    for (int n = 0; n < 40; ++n) {
        EXPECT_EQ(ListView_GetCheckState(list, n) != 0, n % 3 != 0) << "row " << n;
        EXPECT_EQ(ListViewGetItemText(list, n, 2).Str(), n % 3 ? L"" : L"done") << "row " << n;
    }
    EXPECT_EQ(ListViewGetSelectionMark(list), 39);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 39, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
    const auto top = SendMessageW(list, LVM_GETTOPINDEX, 0, 0);
    EXPECT_TRUE(top <= 39 && top + SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0) >= 39) << "the row is in view";
}

TEST(Clipboard, TextRoundTripsByteForByteAsZeroEnded8BitTextAndEmptyTextIsNotWritten) {
    const RtString links = "http://a.example/1.jpg\r\nhttp://b.example/2.png\r\n" + kCaption936 + "\r\n";
    ASSERT_TRUE(SetClipboardText(links));
    EXPECT_EQ(GetClipboardText(), links);
    ASSERT_TRUE(OpenClipboard(nullptr));  // as another program reads it
    const HANDLE data = GetClipboardData(CF_TEXT);
    ASSERT_GE(GlobalSize(data), links.size() + 1);
    EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(data)), links.size() + 1), links + '\0');
    GlobalUnlock(data);
    CloseClipboard();
    EXPECT_FALSE(SetClipboardText(""));
    EXPECT_EQ(GetClipboardText(), links);
}

TEST(TextModel, TextCrossesToWindowsAndBackThroughCodePage936) {
    EXPECT_EQ(WString(kCaption936).Str(), kCaptionWide);
    EXPECT_EQ(WString(std::wstring_view(kCaptionWide)).ToRtString(), kCaption936);
    const Bstr bstr(kCaption936);
    EXPECT_EQ(std::wstring(bstr.Get(), SysStringLen(bstr.Get())), kCaptionWide);
}

TEST_F(ProgramResources, TheShellAndFormIconGroupsHoldTheSameBitmapAtEverySize) {
    // The image Windows picks for each size is that size, and a bitmap (which every Windows reads), not a PNG.
    for (auto [size, bits] : {std::pair{16, 8}, {24, 8}, {32, 8}, {48, 8}, {256, 32}}) {
        std::vector<std::string_view> images;
        for (const wchar_t* group : {L"AAAAA_APPICON", L"ICON_DOWNPIC"}) {
            auto* entries = reinterpret_cast<BYTE*>(const_cast<char*>(Bytes(RT_GROUP_ICON, group).data()));
            const int id = entries ? LookupIconIdFromDirectoryEx(entries, TRUE, size, size, LR_DEFAULTCOLOR) : 0;
            images.push_back(Bytes(RT_ICON, MAKEINTRESOURCEW(id)));
            BITMAPINFOHEADER header{};
            std::memcpy(&header, images.back().data(), std::min(images.back().size(), sizeof header));
            EXPECT_EQ(std::tuple(header.biSize, header.biWidth, int{header.biBitCount}),
                      std::tuple(DWORD{sizeof header}, LONG{size}, bits))
                << size << " px in " << group;
        }
        EXPECT_EQ(images[0], images[1]) << "the same picture at " << size << " px";
    }
}

TEST_F(ProgramResources, AFormTakesTheGroupsFortyEightAndThirtyTwoPixelImagesAsItsIcons) {
    const TestForm form(100, 60);
    SetFormIcons(form.Window(), *form.Record(), module);
    for (auto [which, size] : {std::pair{ICON_BIG, 48}, {ICON_SMALL, 32}}) {
        ICONINFO icon{};
        ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(SendMessageW(form.Window(), WM_GETICON, which, 0)), &icon));
        BITMAP color{};
        GetObjectW(icon.hbmColor, sizeof color, &color);
        EXPECT_EQ(std::pair(color.bmWidth, color.bmHeight), std::pair(LONG{size}, LONG{size}));
        DeleteObject(icon.hbmColor);
        DeleteObject(icon.hbmMask);
    }
}

TEST_F(ProgramResources, TheManifestAsksForCommonControlsSixAndPerMonitorDpi) {
    const std::string_view manifest = Bytes(RT_MANIFEST, MAKEINTRESOURCEW(1));
    EXPECT_EQ(manifest.substr(0, 3), "\xEF\xBB\xBF") << "UTF-8 with a byte-order mark";
    for (const char* text : {R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
                             R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)", ">true</dpiAware>",
                             ">PerMonitorV2</dpiAwareness>"}) {
        EXPECT_NE(manifest.find(text), std::string_view::npos) << text;
    }
}

TEST_F(ProgramResources, TheVersionBlockNamesTheProductItsMakerAndVersionOne) {
    // The system's own reader, looked up by name: the build links no import library for version.dll.
    const auto query = reinterpret_cast<BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT)>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"version.dll"), "VerQueryValueW")));
    const std::string_view block = Bytes(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO));
    ASSERT_TRUE(query != nullptr && !block.empty());
    const auto at = [&](const std::wstring& path) {
        void* value = nullptr;
        UINT length = 0;
        return query(block.data(), path.c_str(), &value, &length) ? value : nullptr;
    };
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(at(L"\\"));
    const auto* translation = static_cast<const WORD*>(at(L"\\VarFileInfo\\Translation"));
    ASSERT_TRUE(fixed && translation);
    EXPECT_EQ(std::tuple(fixed->dwSignature, fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                         fixed->dwProductVersionLS, fixed->dwFileType),
              std::tuple(0xFEEF04BDu, 0x00010000u, 0u, 0x00010000u, 0u, static_cast<DWORD>(VFT_APP)));
    EXPECT_EQ(std::pair(translation[0], translation[1]), std::pair(WORD{0x0804}, WORD{0x04E4}));
    for (auto [key, shown] : {std::pair{L"CompanyName", L"Quellan"},
                              {L"ProductName", L"Voyanta原图批量下载"},
                              {L"FileDescription", L"Voyanta原图批量下载"},
                              {L"FileVersion", L"1.0.0.0"},
                              {L"ProductVersion", L"1.0.0.0"}}) {
        const auto* text = static_cast<const wchar_t*>(at(std::wstring(L"\\StringFileInfo\\040904E4\\") + key));
        EXPECT_EQ(std::wstring(text ? text : L"(none)"), shown) << key;
    }
}
