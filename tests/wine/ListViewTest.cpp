#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "framework/Win32.h"

#include <commctrl.h>

#include "services/ListView.h"

namespace {

// A top-level window holding a report list view with check boxes, as the main window's list is made.
class ListViewTest : public testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{};
        icc.dwSize = sizeof(icc);
        icc.dwICC = ICC_LISTVIEW_CLASSES;
        ASSERT_TRUE(InitCommonControlsEx(&icc));
        host_ = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 400, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host_, nullptr);
        list_ = CreateWindowExW(
            WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
            WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS, 10, 10, 500,
            200, host_, reinterpret_cast<HMENU>(105), GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(list_, nullptr);
        SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
        SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    }
    void TearDown() override {
        if (host_) DestroyWindow(host_);
    }

    void AddColumns() {
        ASSERT_EQ(ListViewInsertColumn(list_, 0, WString(L"\u5E8F\u53F7"), kColumnCentre, 50), 0);
        ASSERT_EQ(ListViewInsertColumn(list_, 1, WString(L"link"), kColumnLeft, 300), 1);
        ASSERT_EQ(ListViewInsertColumn(list_, 2, WString(L"status"), kColumnCentre, 80), 2);
    }

    LVCOLUMNW Column(int index, wchar_t* text, int capacity) {
        LVCOLUMNW col{};
        col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        col.pszText = text;
        col.cchTextMax = capacity;
        SendMessageW(list_, LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&col));
        return col;
    }

    int Width() const {
        RECT r{};
        GetWindowRect(list_, &r);
        return r.right - r.left;
    }

    // A window handle that named a list view and no longer names any window.
    HWND StaleHandle() {
        HWND gone = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 10, 10, host_, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        DestroyWindow(gone);
        return gone;
    }

    HWND host_ = nullptr;
    HWND list_ = nullptr;
};

}  // namespace

TEST_F(ListViewTest, ColumnsKeepTheirFormatAndWidthAndTheListItsWidth) {
    const int before = Width();
    AddColumns();
    EXPECT_EQ(Width(), before) << "inserting a column nudges the width and puts it back";

    wchar_t text[64]{};
    LVCOLUMNW col = Column(0, text, 64);
    EXPECT_EQ(std::wstring(text), L"\u5E8F\u53F7");
    EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);
    EXPECT_EQ(col.cx, 50);

    ASSERT_NE(ListViewSetColumnText(list_, 1, WString(L"\u56FE\u7247\u8FDE\u63A5: (  3\u4E2A  )")), 0);
    col = Column(1, text, 64);
    EXPECT_EQ(std::wstring(text), L"\u56FE\u7247\u8FDE\u63A5: (  3\u4E2A  )");
    EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    EXPECT_EQ(col.cx, 300) << "setting a header text leaves the width alone";
    col = Column(2, text, 64);
    EXPECT_EQ(std::wstring(text), L"status");
    EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);
}

TEST_F(ListViewTest, RowsAreAppendedAndTheirCellsReadBack) {
    AddColumns();
    EXPECT_EQ(ListViewGetItemCount(list_), 0);
    for (int n = 0; n < 3; ++n) {
        ASSERT_EQ(ListViewAddItem(list_, WString(int32_t{n + 1})), n) << "a new row goes to the end";
        ASSERT_NE(ListViewSetItemText(list_, n, 1, WString(L"http://127.0.0.1/" + std::to_wstring(n) + L".jpg")), 0);
    }
    EXPECT_EQ(ListViewGetItemCount(list_), 3);
    EXPECT_EQ(ListViewGetItemText(list_, 1, 0).Str(), L"2");
    EXPECT_EQ(ListViewGetItemText(list_, 2, 1).Str(), L"http://127.0.0.1/2.jpg");
    EXPECT_EQ(ListViewGetItemText(list_, 2, 2).Str(), L"") << "an unset status cell";
    EXPECT_EQ(ListViewGetItemText(list_, 7, 1).Str(), L"") << "a row that does not exist";

    ASSERT_NE(ListViewSetItemText(list_, 0, 2, WString(L"\u4E0B\u8F7D\u5B8C\u6210")), 0);
    EXPECT_EQ(ListViewGetItemText(list_, 0, 2).Str(), L"\u4E0B\u8F7D\u5B8C\u6210");
    ASSERT_NE(ListViewSetItemText(list_, 0, 2, WString(L"")), 0);
    EXPECT_EQ(ListViewGetItemText(list_, 0, 2).Str(), L"") << "a cell can be emptied again";

    ListViewDeleteAllItems(list_);
    EXPECT_EQ(ListViewGetItemCount(list_), 0);
    EXPECT_EQ(ListViewAddItem(list_, WString(L"1")), 0) << "numbering starts again in an emptied list";
}

TEST_F(ListViewTest, LongCellTextIsCutTo1023Units) {
    AddColumns();
    ASSERT_EQ(ListViewAddItem(list_, WString(L"1")), 0);
    const std::wstring longText = L"http://" + std::wstring(2000, L'a');
    ListViewSetItemText(list_, 0, 1, WString(longText));
    EXPECT_EQ(ListViewGetItemText(list_, 0, 1).Str(), longText.substr(0, kCellTextCapacity - 1));
}

TEST_F(ListViewTest, CheckBoxesReadAsSet) {
    AddColumns();
    for (int n = 0; n < 3; ++n) ListViewAddItem(list_, WString(int32_t{n + 1}));
    EXPECT_FALSE(ListViewGetCheckState(list_, 0)) << "rows start unchecked in a check box list";
    for (int n = 0; n < 3; ++n) ListViewSetCheckState(list_, n, true);
    for (int n = 0; n < 3; ++n) EXPECT_TRUE(ListViewGetCheckState(list_, n)) << "row " << n;
    ListViewSetCheckState(list_, 1, false);
    EXPECT_TRUE(ListViewGetCheckState(list_, 0));
    EXPECT_FALSE(ListViewGetCheckState(list_, 1));
    EXPECT_TRUE(ListViewGetCheckState(list_, 2));
    EXPECT_EQ(ListView_GetCheckState(list_, 1), FALSE) << "the platform agrees";
    EXPECT_EQ(ListView_GetCheckState(list_, 2), TRUE);
}

TEST_F(ListViewTest, SelectionMarkFollowsTheSelectedRow) {
    AddColumns();
    for (int n = 0; n < 40; ++n) ListViewAddItem(list_, WString(int32_t{n + 1}));
    EXPECT_EQ(ListViewGetSelectionMark(list_), -1);

    ListViewSelectItem(list_, 35);
    EXPECT_EQ(ListViewGetSelectionMark(list_), 35);
    EXPECT_EQ(SendMessageW(list_, LVM_GETITEMSTATE, 35, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
    ListViewEnsureSelectionVisible(list_);
    const auto top = static_cast<int>(SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
    const auto perPage = static_cast<int>(SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0));
    EXPECT_LE(top, 35);
    EXPECT_GE(top + perPage, 35) << "the selected row is scrolled into view";

    ListViewSelectItem(list_, -1);
    EXPECT_EQ(ListViewGetSelectionMark(list_), -1);
    EXPECT_GE(SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0), 1) << "row -1 asks every row to be selected";
    ListViewEnsureSelectionVisible(list_);  // no row at the mark: nothing to scroll to, nothing breaks
    EXPECT_EQ(ListViewGetItemCount(list_), 40);
}

TEST_F(ListViewTest, StaleHandleGetsTheQuietAnswers) {
    HWND gone = StaleHandle();
    ASSERT_FALSE(IsWindow(gone));
    EXPECT_EQ(ListViewInsertColumn(gone, 0, WString(L"x"), kColumnLeft, 10), 0);
    EXPECT_EQ(ListViewSetColumnText(gone, 0, WString(L"x")), 0);
    EXPECT_EQ(ListViewAddItem(gone, WString(L"1")), -1);
    EXPECT_EQ(ListViewInsertItem(gone, 0, WString(L"1")), -1);
    EXPECT_EQ(ListViewSetItemText(gone, 0, 1, WString(L"x")), 0);
    EXPECT_TRUE(ListViewGetItemText(gone, 0, 1).Empty());
    EXPECT_EQ(ListViewSelectItem(gone, 0), 0);
    EXPECT_EQ(ListViewGetItemCount(gone), 0);
    EXPECT_EQ(ListViewGetSelectionMark(gone), 0);
}

// Download workers use the list from their own threads while the window thread pumps messages.
TEST_F(ListViewTest, WorksFromAnotherThreadWhileTheWindowThreadPumps) {
    AddColumns();
    for (int n = 0; n < 20; ++n) ListViewAddItem(list_, WString(int32_t{n + 1}));
    for (int n = 0; n < 20; ++n) ListViewSetCheckState(list_, n, true);

    std::atomic<bool> done{false};
    std::atomic<int> checkedSeen{0};
    std::thread worker([&] {
        for (int n = 0; n < 20; ++n) {
            if (ListViewGetCheckState(list_, n)) checkedSeen.fetch_add(1);
            ListViewSelectItem(list_, n);
            ListViewEnsureSelectionVisible(list_);
            ListViewSetItemText(list_, n, 2, WString(L"done " + std::to_wstring(n)));
            ListViewSetCheckState(list_, n, false);
        }
        done = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done && std::chrono::steady_clock::now() < deadline) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    worker.join();  // sends from the worker are served by the pump above, so it ends before the deadline
    ASSERT_TRUE(done);
    EXPECT_EQ(checkedSeen.load(), 20);
    for (int n = 0; n < 20; ++n) {
        EXPECT_EQ(ListViewGetItemText(list_, n, 2).Str(), L"done " + std::to_wstring(n));
        EXPECT_FALSE(ListViewGetCheckState(list_, n));
    }
    EXPECT_EQ(ListViewGetSelectionMark(list_), 19);
}
