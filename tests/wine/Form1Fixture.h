#pragma once
// The tool's main window, built modeless as the program builds it, driven as a user drives it, destroyed at the end.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <tuple>

#include "framework/App.h"
#include "framework/AppGdiplus.h"
#include "framework/ControlObject.h"
#include "framework/FormWindow.h"
#include "framework/ModulePath.h"
#include "framework/Win32.h"
#include "mainform/Form1.h"
#include "scrape/NoteFetch.h"
#include "services/ListView.h"
#include "services/WString.h"
#include "support/Pump.h"
#include "support/ScratchFolder.h"
#include "support/Site.h"

#include <commctrl.h>

// What the window shows, written out here rather than taken from the program's own constants.
namespace shown {
inline const std::wstring kStatusHeader = L"下载状态", kDownloading = L"正在下载", kDone = L"下载完成",
                          kFailed = L"下载失败", kAllDone = L"全部完毕";
inline std::wstring Found(int n) {
    return L"图片连接: (  " + std::to_wstring(n) + L"个  )  ,  ★★★★★点击这里复制所有图片的连接★★★★★ ";
}
inline std::wstring Copied(int n) {
    return L"图片连接: (  " + std::to_wstring(n) + L"个  )  ,   ☆☆☆☆☆已复制全部图片地址到剪切板☆☆☆☆☆ ";
}
}  // namespace shown

class Form1Fixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(TheMainForm().window, nullptr) << "an earlier test left its window behind";
        before_ = Counts();
        form_ = reinterpret_cast<HWND>(ShowMainForm(TheMainForm(), BuildAndShowForm1, nullptr, 0, 0));
        ASSERT_NE(form_, nullptr);
        // The form-shown handler has run once the folder box holds the default folder.
        ASSERT_TRUE(PumpUntil([&] { return !Text(Form().Text3.window).empty(); }));
    }

    void TearDown() override {
        if (IsWindow(form_)) DestroyWindow(form_);
        PumpPending();
        EXPECT_EQ(TheMainForm().window, nullptr) << "the window forgets its controls when it goes";
        EXPECT_EQ(Counts(), before_) << "every record, handle entry and form of the window is freed with it";
    }

    static const MainFormObject& Form() { return TheMainForm(); }
    static HWND List() { return Form().ListView1.window; }
    static std::wstring Text(HWND window) { return GetControlText(window).Str(); }
    static std::wstring Cell(int row, int column) { return ListViewGetItemText(List(), row, column).Str(); }
    static bool Checked(int row) { return ListViewGetCheckState(List(), row); }
    static std::wstring Header(int column) {
        wchar_t text[256]{};
        LVCOLUMNW col{LVCF_TEXT, 0, 0, text, 256, 0, 0, 0, 0, 0, 0};
        SendMessageW(List(), LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
        return text;
    }

    // Presses a button the way a click does: its notification to the form.
    void Press(const FormControl& button) const {
        SendMessageW(form_, WM_COMMAND, MAKEWPARAM(button.id, BN_CLICKED), reinterpret_cast<LPARAM>(button.window));
    }

    // A click on a column header, as the mouse makes it: pressed and released over the header item.
    static void ClickHeader(int column) {
        const HWND header = reinterpret_cast<HWND>(SendMessageW(List(), LVM_GETHEADER, 0, 0));
        RECT item{};
        SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&item));
        const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        for (UINT message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP})
            SendMessageW(header, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, at);
        PumpPending();
    }

    static void DoubleClickAddressBox() {
        const HWND box = Form().Text1.window;
        for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            SendMessageW(box, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(5, 5));
    }

    void Search(const std::string& address) const {
        SetControlText(Form().Text1.window, WString(address));
        Press(Form().Command1);
    }

    // Presses "下载选中" (into the folder typed first, when one is given) and lets the window run until the run is
    // over: both buttons disabled meanwhile, the status header at "全部完毕" afterwards.
    void DownloadAndWait(const std::wstring& folder = {}) const {
        if (!folder.empty()) SetControlText(Form().Text3.window, WString(folder));
        Press(Form().Command2);
        Press(Form().Command1);  // clicks that reach the window anyway change nothing while the run lasts
        Press(Form().Command2);
        EXPECT_FALSE(IsWindowEnabled(Form().Command1.window)) << "no search while a download runs";
        EXPECT_FALSE(IsWindowEnabled(Form().Command2.window)) << "one download run at a time";
        ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(Form().Command2.window); }, std::chrono::seconds(90)));
        EXPECT_TRUE(IsWindowEnabled(Form().Command1.window));
        EXPECT_EQ(Header(2), shown::kAllDone);
    }

    GdiplusSession gdiplus_;
    HWND form_ = nullptr;
    static std::tuple<int32_t, size_t, int32_t> Counts() {
        return {LiveControlObjectCount(), HandleTableCount(), LiveFormWindowCount()};
    }
    std::tuple<int32_t, size_t, int32_t> before_;
};

// The window with its chunk requests sent to a corner of the loopback site; the folder of that corner's note is
// removed at the end.
class SiteFixture : public Form1Fixture {
  protected:
    void SetUp() override {
        Form1Fixture::SetUp();
        ASSERT_TRUE(site_.Running()) << "the loopback site runs beside the tests (tools/wine-ctest)";
        ComposeChunkEndpointBase(site_.Host());
    }
    void TearDown() override {
        Form1Fixture::TearDown();
        RemoveTree(noteFolder_);
        ComposeChunkEndpointBase();
    }

    static std::wstring PicturesFolder() { return CurrentExecutablePath().folder + L"DadAzizEzaz\\"; }

    Site site_{"note"};
    const std::wstring noteFolder_ = PicturesFolder() + WString(site_.NoteId()).Str() + L"\\";
};
