#include "download/DownloadWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "framework/Win32.h"

#include <commctrl.h>

#include "services/ListView.h"
#include "services/WString.h"
#include "support/LoopbackServer.h"
#include "support/Pump.h"
#include "support/ScratchFolder.h"

using namespace loopback;
using namespace std::chrono_literals;

namespace {

const std::wstring kDownloading = L"正在下载";
const std::wstring kDone = L"下载完成";
const std::wstring kFailed = L"下载失败";

struct CountingObserver : DownloadRunObserver {
    std::atomic<int> started{0};
    std::atomic<int> finished{0};
    void OnRunStarted() noexcept override { ++started; }
    void OnRunFinished() noexcept override { ++finished; }
};

std::string PictureOf(int row) {
    std::string bytes = "\xFF\xD8\xFF\xE0 picture " + std::to_string(row);
    for (int i = 0; i < 20'000 + row * 1000; ++i) bytes.push_back(static_cast<char>((i * (row + 3)) & 0xFF));
    return bytes;
}

// A list of picture rows as the main window has it, a folder box naming a scratch folder, and the downloads.
class DownloadRunWineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{};
        icc.dwSize = sizeof(icc);
        icc.dwICC = ICC_LISTVIEW_CLASSES;
        ASSERT_TRUE(InitCommonControlsEx(&icc));
        host_ = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 400, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host_, nullptr);
        list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, 10, 40, 650,
                                150, host_, reinterpret_cast<HMENU>(105), GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(list_, nullptr);
        SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                     LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        ListViewInsertColumn(list_, 0, WString(L"序号"), kColumnCentre, 50);
        ListViewInsertColumn(list_, 1, WString(L"图片连接"), kColumnLeft, 400);
        ListViewInsertColumn(list_, 2, WString(L"下载状态"), kColumnCentre, 100);
        folderBox_ = CreateWindowExW(0, L"EDIT", folder_.Path().c_str(), WS_CHILD | WS_VISIBLE, 10, 10, 650, 24, host_,
                                     reinterpret_cast<HMENU>(108), GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(folderBox_, nullptr);
        downloads_ = std::make_unique<PictureDownloads>(list_, observer_, DownloadLimits{.paceWindow = 3s});
    }
    void TearDown() override {
        // A run still going would write into a list that is gone: let it end first.
        PumpUntil([&] { return !downloads_ || !downloads_->Running(); }, 30s);
        if (host_) DestroyWindow(host_);
    }

    void AddRow(const std::string& path) {
        const int32_t row = ListViewAddItem(list_, WString(ListViewGetItemCount(list_) + 1));
        ListViewSetItemText(list_, row, 1, WString(WideFromText(server_.BaseUrl() + path)));
        ListViewSetCheckState(list_, row, true);
    }
    std::wstring Cell(int32_t row, int32_t column) { return ListViewGetItemText(list_, row, column).Str(); }
    std::wstring StatusHeader() {
        wchar_t text[64]{};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = 64;
        SendMessageW(list_, LVM_GETCOLUMNW, 2, reinterpret_cast<LPARAM>(&column));
        return text;
    }
    // Presses "下载选中" and dispatches the list's requests until the run is over.
    bool DownloadAndWait() {
        const int before = observer_->finished;
        downloads_->StartDownloads(folderBox_);
        return PumpUntil([&] { return observer_->finished > before; }, 60s);
    }

    LoopbackServer server_;
    ScratchFolder folder_;
    std::shared_ptr<CountingObserver> observer_ = std::make_shared<CountingObserver>();
    HWND host_ = nullptr;
    HWND list_ = nullptr;
    HWND folderBox_ = nullptr;
    std::unique_ptr<PictureDownloads> downloads_;
};

}  // namespace

TEST_F(DownloadRunWineTest, DownloadsEveryCheckedRowFiveAtATimeIntoItsNumberedFile) {
    constexpr int kRows = 12;
    for (int row = 0; row < kRows; ++row) {
        Response picture = Response::Text(PictureOf(row), 200, "image/jpeg");
        picture.delay = 400ms;  // long enough for downloads to pile up against the limit
        server_.ServePath("/p/" + std::to_string(row) + ".jpg", picture);
        AddRow(row == 5 ? "/p/missing.jpg" : "/p/" + std::to_string(row) + ".jpg");
    }
    ListViewSetCheckState(list_, 3, false);
    ListViewSetItemText(list_, 3, 2, WString(L"old"));

    ASSERT_TRUE(DownloadAndWait());

    EXPECT_EQ(server_.MaxInFlight("/p/"), 5);
    EXPECT_EQ(server_.RequestCount(), static_cast<size_t>(kRows - 1));
    for (int row = 0; row < kRows; ++row) {
        const std::wstring file = std::to_wstring(row + 1) + L".jpg";
        if (row == 3) {
            EXPECT_EQ(Cell(row, 2), L"old");
            EXPECT_FALSE(ListViewGetCheckState(list_, row));
            EXPECT_FALSE(folder_.Exists(file));
        } else if (row == 5) {
            EXPECT_EQ(Cell(row, 2), kFailed);
            EXPECT_TRUE(ListViewGetCheckState(list_, row)) << "a failed row stays checked";
            EXPECT_FALSE(folder_.Exists(file));
        } else {
            EXPECT_EQ(Cell(row, 2), kDone) << "row " << row;
            EXPECT_FALSE(ListViewGetCheckState(list_, row)) << "row " << row;
            EXPECT_EQ(folder_.Read(file), PictureOf(row)) << "row " << row;
        }
    }
    EXPECT_EQ(folder_.CountEntries(), kRows - 2);
    EXPECT_EQ(StatusHeader(), L"全部完毕");
    EXPECT_EQ(ListViewGetSelectionMark(list_), kRows - 1) << "the selection follows the rows as they start";
    EXPECT_EQ(observer_->started, 1);
    EXPECT_EQ(observer_->finished, 1);
}

TEST_F(DownloadRunWineTest, ASecondPressFetchesOnlyTheRowsStillCheckedUnderTheSameNames) {
    server_.ServePath("/p/a.png", Response::Text(PictureOf(1), 200, "image/png"));
    Response flaky = Response::Text("<h1>busy</h1>", 503);
    server_.ServePath("/p/b.gif", flaky);
    AddRow("/p/a.png");
    AddRow("/p/b.gif");
    ASSERT_TRUE(DownloadAndWait());
    EXPECT_EQ(Cell(0, 2), kDone);
    EXPECT_EQ(Cell(1, 2), kFailed);
    EXPECT_FALSE(folder_.Exists(L"2.gif"));

    server_.ServePath("/p/b.gif", Response::Text(PictureOf(2), 200, "image/gif"));
    ASSERT_TRUE(DownloadAndWait());
    EXPECT_EQ(Cell(1, 2), kDone);
    EXPECT_EQ(folder_.Read(L"2.gif"), PictureOf(2));
    EXPECT_EQ(server_.RequestCount(), 3u) << "the picture already saved is not fetched again";
}

TEST_F(DownloadRunWineTest, StalledAndUnreachablePicturesFailTheirRowsAndTheRunEnds) {
    Response stalled = Response::Text(PictureOf(0), 200, "image/jpeg");
    stalled.mode = Mode::StallMidBody;
    stalled.partialBytes = 1000;
    server_.ServePath("/p/stall.jpg", stalled);
    server_.ServePath("/p/fine.jpg", Response::Text(PictureOf(1), 200, "image/jpeg"));
    AddRow("/p/stall.jpg");
    AddRow("/p/fine.jpg");
    ListViewAddItem(list_, WString(L"3"));
    ListViewSetItemText(list_, 2, 1, WString(L"http://127.0.0.1:1/nothing-listens-here.jpg"));
    ListViewSetCheckState(list_, 2, true);

    ASSERT_TRUE(DownloadAndWait());
    EXPECT_EQ(Cell(0, 2), kFailed);
    EXPECT_EQ(Cell(1, 2), kDone);
    EXPECT_EQ(Cell(2, 2), kFailed);
    EXPECT_EQ(folder_.CountEntries(), 1);
    EXPECT_EQ(StatusHeader(), L"全部完毕");
}

TEST_F(DownloadRunWineTest, AnEmptyListStartsNothingAndReadsNoFolder) {
    const std::wstring unread = folder_.Path() + L"never-made\\";
    SetWindowTextW(folderBox_, unread.c_str());
    downloads_->StartDownloads(folderBox_);
    PumpPending();
    EXPECT_EQ(observer_->started, 0);
    EXPECT_FALSE(downloads_->Running());
    EXPECT_FALSE(folder_.Exists(L"never-made"));
    EXPECT_EQ(StatusHeader(), L"下载状态");
}

TEST_F(DownloadRunWineTest, AFolderTypedIntoTheBoxIsCreatedAndUsed) {
    server_.ServePath("/p/a.jpg", Response::Text(PictureOf(7), 200, "image/jpeg"));
    AddRow("/p/a.jpg");
    const std::wstring typed = folder_.Path() + L"typed\\deeper";  // no trailing separator
    SetWindowTextW(folderBox_, typed.c_str());
    ASSERT_TRUE(DownloadAndWait());
    EXPECT_EQ(folder_.Read(L"typed\\deeper\\1.jpg"), PictureOf(7));
}
