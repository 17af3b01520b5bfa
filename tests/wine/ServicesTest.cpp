// The services on real controls, the real clipboard and the built program: list view helpers, clipboard text, code
// page 936 text, and the program's resources read back the way Windows reads them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

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
    // The image Windows picks from an icon group for a size.
    std::string_view Image(const wchar_t* group, int size) const {
        auto* entries = reinterpret_cast<BYTE*>(const_cast<char*>(Bytes(RT_GROUP_ICON, group).data()));
        const int id = entries ? LookupIconIdFromDirectoryEx(entries, TRUE, size, size, LR_DEFAULTCOLOR) : 0;
        return Bytes(RT_ICON, MAKEINTRESOURCEW(id));
    }
};

}  // namespace

TEST(ListViewHelpers, RowsCellsChecksAndTheSelectionReadBackAsSetAlsoFromAWorkerThread) {
    // A report list view with check boxes and three columns on a form, as the main window's list is made.
    const TestForm form(600, 400);
    const HWND list = form.Add(L"LISTVIEW", 105, 10, 10, 500, 200, WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    for (int c = 0; c < 3; ++c) ASSERT_EQ(ListViewInsertColumn(list, c, WString(L"\u5E8F\u53F7"), kColumnLeft, 150), c);
    ListViewAddItem(list, WString(L"x"));
    ListViewDeleteAllItems(list);
    for (int n = 0; n < 40; ++n) {
        ASSERT_EQ(ListViewAddItem(list, WString(int32_t{n + 1})), n) << "a new row goes to the end";
        ListViewSetItemText(list, n, 1, WString(L"http://127.0.0.1/" + std::to_wstring(n) + L".jpg"));
        ListViewSetCheckState(list, n, true);
    }
    EXPECT_EQ(std::pair(ListViewGetItemText(list, 2, 1).Str(), ListViewGetItemText(list, 70, 1).Str()),
              std::pair(std::wstring(L"http://127.0.0.1/2.jpg"), std::wstring()));  // row 70 does not exist

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
        EXPECT_EQ(std::pair(ListView_GetCheckState(list, n) != 0, ListViewGetItemText(list, n, 2).Str()),
                  std::pair(n % 3 != 0, std::wstring(n % 3 ? L"" : L"done")));
    }
    const auto top = SendMessageW(list, LVM_GETTOPINDEX, 0, 0);
    EXPECT_TRUE(top <= 39 && top + SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0) >= 39) << "the row is in view";
    EXPECT_EQ(ListViewGetSelectionMark(list), 39);
}

TEST(Clipboard, TextRoundTripsByteForByteAsZeroEnded8BitTextAndEmptyTextIsNotWritten) {
    const RtString links = "http://a.example/1.jpg\r\nhttp://b.example/2.png\r\n" + kCaption936 + "\r\n";
    ASSERT_TRUE(SetClipboardText(links));
    EXPECT_FALSE(SetClipboardText(""));
    EXPECT_EQ(GetClipboardText(), links);
    ASSERT_TRUE(OpenClipboard(nullptr));  // as another program reads it
    const HANDLE data = GetClipboardData(CF_TEXT);
    EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(data)), std::min(GlobalSize(data), links.size() + 1)),
              links + '\0');
    GlobalUnlock(data);
    CloseClipboard();
}
TEST(TextModel, TextCrossesToWindowsAndBackThroughCodePage936) {
    EXPECT_EQ(WString(kCaption936).Str(), kCaptionWide);
    EXPECT_EQ(WString(std::wstring_view(kCaptionWide)).ToRtString(), kCaption936);
    const Bstr bstr(kCaption936);
    EXPECT_EQ(std::wstring(bstr.Get(), SysStringLen(bstr.Get())), kCaptionWide);
}

TEST_F(ProgramResources, TheProgramsIconIsABitmapAtEverySizeAndAFormShowsTheSamePictureAtFortyEightAndThirtyTwo) {
    // Windows picks an image of each size from the program's first group: a bitmap, which every Windows reads.
    for (int size : {16, 24, 32, 48, 256}) {
        const std::string_view image = Image(L"AAAAA_APPICON", size);
        BITMAPINFOHEADER header{};
        std::memcpy(&header, image.data(), std::min(image.size(), sizeof header));
        EXPECT_EQ(std::tuple(header.biSize, header.biWidth, image == Image(L"ICON_DOWNPIC", size)),
                  std::tuple(DWORD{sizeof header}, LONG{size}, true))
            << size << " px, the same in the form's group";
    }
    const TestForm form(100, 60);
    SetFormIcons(form.Window(), *form.Record(), module);
    for (auto [which, size] : {std::pair{ICON_BIG, 48}, {ICON_SMALL, 32}}) {
        ICONINFO icon{};
        ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(SendMessageW(form.Window(), WM_GETICON, which, 0)), &icon));
        BITMAP color{};
        GetObjectW(icon.hbmColor, sizeof color, &color);
        EXPECT_EQ(color.bmWidth, size);
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
    // What the file's properties show, read by the system's own reader (looked up by name: no import library).
    const auto query = reinterpret_cast<BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT)>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"version.dll"), "VerQueryValueW")));
    const auto at = [&, block = Bytes(RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO))](const std::wstring& path) {
        void* value = nullptr;
        UINT length = 0;
        return query && query(block.data(), path.c_str(), &value, &length) ? value : nullptr;
    };
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(at(L"\\"));
    EXPECT_EQ(fixed ? fixed->dwFileVersionMS : 0, 0x00010000u);
    for (auto [key, shown] : {std::pair{L"CompanyName", L"Quellan"}, {L"FileDescription", L"Voyanta原图批量下载"}}) {
        const auto* text = static_cast<const wchar_t*>(at(std::wstring(L"\\StringFileInfo\\040904E4\\") + key));
        EXPECT_EQ(std::wstring(text ? text : L"(none)"), shown) << key;
    }
}
