// The services on real controls, the real clipboard and a real disk: list view helpers, clipboard text, code page
// 936 text and folders.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "framework/Win32.h"
#include "services/Clipboard.h"
#include "services/ListView.h"
#include "services/WString.h"
#include "support/Pump.h"
#include "support/TestForm.h"

#include <commctrl.h>

namespace {

const RtString kCaption936 = "\xCD\xBC\xC6\xAC\xC1\xAC\xBD\xD3";  // 图片连接 in code page 936
const std::wstring kCaptionWide = L"\u56FE\u7247\u8FDE\u63A5";

// A report list view with check boxes and three columns on a form, as the main window's list is made.
class ListViewHelpers : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(list_, nullptr);
        SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        ASSERT_EQ(ListViewInsertColumn(list_, 0, WString(L"\u5E8F\u53F7"), kColumnCentre, 50), 0);
        ASSERT_EQ(ListViewInsertColumn(list_, 1, WString(L"link"), kColumnLeft, 300), 1);
        ASSERT_EQ(ListViewInsertColumn(list_, 2, WString(L"status"), kColumnCentre, 80), 2);
    }

    const TestForm form_{600, 400};
    const HWND list_ =
        form_.Add(L"LISTVIEW", 105, 10, 10, 500, 200, WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL);
};

}  // namespace

TEST_F(ListViewHelpers, RowsCellsChecksAndTheSelectionReadBackAsSetAlsoFromAWorkerThread) {
    ASSERT_NE(ListViewSetColumnText(list_, 1, WString(kCaptionWide)), 0);
    wchar_t header[16]{};
    LVCOLUMNW column{LVCF_TEXT | LVCF_WIDTH, 0, 0, header, 16, 0, 0, 0, 0, 0, 0};
    SendMessageW(list_, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    EXPECT_EQ(std::pair(std::wstring(header), column.cx), std::pair(kCaptionWide, 300)) << "the width is kept";
    ListViewAddItem(list_, WString(L"x"));
    ListViewDeleteAllItems(list_);
    for (int n = 0; n < 40; ++n) {
        ASSERT_EQ(ListViewAddItem(list_, WString(int32_t{n + 1})), n) << "a new row goes to the end";
        ListViewSetItemText(list_, n, 1, WString(L"http://127.0.0.1/" + std::to_wstring(n) + L".jpg"));
    }
    EXPECT_EQ(ListViewGetItemCount(list_), 40);
    EXPECT_EQ(ListViewGetItemText(list_, 1, 0).Str(), L"2");
    EXPECT_EQ(ListViewGetItemText(list_, 2, 1).Str(), L"http://127.0.0.1/2.jpg");
    EXPECT_EQ(ListViewGetItemText(list_, 70, 1).Str(), L"") << "a row that does not exist";
    EXPECT_FALSE(ListViewGetCheckState(list_, 0)) << "rows start unchecked";
    for (int n = 0; n < 40; ++n) ListViewSetCheckState(list_, n, true);

    // Download workers select, scroll to, write and uncheck rows from their own threads while the window thread pumps.
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int n = 0; n < 40; n += 3) {
            ListViewSelectItem(list_, n);
            ListViewEnsureSelectionVisible(list_);
            ListViewSetItemText(list_, n, 2, WString(L"done"));
            ListViewSetCheckState(list_, n, !ListViewGetCheckState(list_, n));
        }
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }, std::chrono::seconds(20)));
    worker.join();
    for (int n = 0; n < 40; ++n) {
        EXPECT_EQ(ListView_GetCheckState(list_, n) != 0, n % 3 != 0) << "row " << n;
        EXPECT_EQ(ListViewGetItemText(list_, n, 2).Str(), n % 3 ? L"" : L"done") << "row " << n;
    }
    EXPECT_EQ(ListViewGetSelectionMark(list_), 39);
    EXPECT_EQ(SendMessageW(list_, LVM_GETITEMSTATE, 39, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
    const auto top = SendMessageW(list_, LVM_GETTOPINDEX, 0, 0);
    EXPECT_TRUE(top <= 39 && top + SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0) >= 39) << "the row is in view";
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
    EXPECT_EQ(WString(L"\u00E9\u0663").ToRtString().back(), '?') << "unmappable characters become the default";
    const Bstr bstr(kCaption936);
    EXPECT_EQ(std::wstring(bstr.Get(), SysStringLen(bstr.Get())), kCaptionWide);
    const Bstr empty(RtString{});
    EXPECT_TRUE(empty.Get() != nullptr && SysStringLen(empty.Get()) == 0) << "an empty, non-null BSTR";
    const UniqueWindow edit(
        CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(GetControlText(edit.Get()).Empty());
    EXPECT_TRUE(SetControlText(edit.Get(), WString(kCaption936)));
    EXPECT_EQ(GetControlText(edit.Get()).ToRtString(), kCaption936);
}
