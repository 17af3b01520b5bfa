// The whole tool driven through its own window: paste, search, copy all links, download the checked rows.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Form1Fixture.h"
#include "Form1Texts936.h"
#include "NoteSite.h"
#include "framework/ModulePath.h"
#include "framework/Win32.h"
#include "scrape/PictureSearch.h"
#include "services/Clipboard.h"
#include "services/ListView.h"

#include <commctrl.h>

using loopback::Response;

namespace {

const std::string kDone = "\xCF\xC2\xD4\xD8\xCD\xEA\xB3\xC9";     // 下载完成
const std::string kFailed = "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC";   // 下载失败
const std::string kAllDone = "\xC8\xAB\xB2\xBF\xCD\xEA\xB1\xCF";  // 全部完毕

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes a folder the test made under the program's pictures folder, with the files in it.
void RemoveNoteFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + entry.cFileName).c_str());
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// Each test has a note of its own, so that tests running side by side never share a folder.
class EndToEnd : public Form1Fixture {
  protected:
    void SetUp() override {
        Form1Fixture::SetUp();
        const std::string id = std::to_string(GetCurrentProcessId());
        site_ = std::make_unique<NoteSite>("77" + id);
        site_->UseForChunks();
        noteFolder_ = CurrentExecutablePath().folder + L"DadAzizEzaz\\" + WString(site_->NoteId()).Str() + L"\\";
        RemoveNoteFolder(noteFolder_);
    }
    void TearDown() override {
        Form1Fixture::TearDown();
        RemoveNoteFolder(noteFolder_);
    }

    HWND List() const { return Form().ListView1.window; }
    std::string Cell(int row, int column) const { return Gbk(ListViewGetItemText(List(), row, column)); }
    std::string Header(int column) const {
        wchar_t text[256]{};
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT;
        col.pszText = text;
        col.cchTextMax = 256;
        SendMessageW(List(), LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
        return Gbk(WString(text));
    }

    // A click on a column header, as the mouse makes it: pressed and released over the header item.
    void ClickHeader(int column) const {
        const HWND header = reinterpret_cast<HWND>(SendMessageW(List(), LVM_GETHEADER, 0, 0));
        RECT item{};
        SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&item));
        const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageW(header, WM_MOUSEMOVE, 0, at);
        SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(header, WM_LBUTTONUP, 0, at);
        PumpPending();
    }

    void DoubleClickAddressBox() const {
        const HWND box = Form().Text1.window;
        SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        SendMessageW(box, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }

    void Search(const std::string& address) {
        SetControlText(Form().Text1.window, WString(address));
        Press(Form().Command1);
    }

    // Presses "下载选中" and lets the window run until the run has ended.
    void DownloadAndWait() {
        Press(Form().Command2);
        EXPECT_FALSE(IsWindowEnabled(Form().Command1.window)) << "no search while a download runs";
        EXPECT_FALSE(IsWindowEnabled(Form().Command2.window)) << "one download run at a time";
        ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(Form().Command2.window); }, std::chrono::seconds(60)));
        EXPECT_TRUE(IsWindowEnabled(Form().Command1.window));
        EXPECT_EQ(Header(2), kAllDone);
    }

    size_t PictureRequests(const std::string& name) const {
        size_t n = 0;
        for (const loopback::Request& r : site_->server.Requests()) n += r.path == "/photos/" + name;
        return n;
    }

    std::unique_ptr<NoteSite> site_;
    std::wstring noteFolder_;
};

}  // namespace

TEST_F(EndToEnd, ClipboardPasteSearchCopyAllLinks) {
    site_->ServeChunks({{"a.jpg", "b.png"}, {"c.jpeg"}, {"d.gif", "a.jpg"}});
    ASSERT_TRUE(SetClipboardText(site_->NoteAddress()));
    DoubleClickAddressBox();
    EXPECT_EQ(Gbk(GetControlText(Form().Text1.window)), site_->NoteAddress()) << "the hint is replaced by the paste";

    Press(Form().Command1);
    ASSERT_EQ(ListViewGetItemCount(List()), 4);
    EXPECT_EQ(Header(1), gbk::Found(4));
    EXPECT_EQ(Cell(3, 0), "4");
    EXPECT_EQ(Cell(3, 1), site_->Picture("d.gif"));

    ASSERT_TRUE(SetClipboardText("untouched"));
    ClickHeader(0);
    ClickHeader(2);
    EXPECT_EQ(GetClipboardText(), "untouched") << "only the link column's header copies";
    EXPECT_EQ(Header(1), gbk::Found(4));

    ClickHeader(1);
    EXPECT_EQ(GetClipboardText(), site_->Picture("a.jpg") + "\r\n" + site_->Picture("b.png") + "\r\n" +
                                      site_->Picture("c.jpeg") + "\r\n" + site_->Picture("d.gif") + "\r\n");
    EXPECT_EQ(Header(1), gbk::Copied(4));
}

TEST_F(EndToEnd, ClipboardHeaderClickBeforeAnySearchDoesNothing) {
    ASSERT_TRUE(SetClipboardText("untouched"));
    ClickHeader(1);
    EXPECT_EQ(GetClipboardText(), "untouched");
    EXPECT_EQ(Header(1), gbk::kLinkHeader);
}

TEST_F(EndToEnd, ClipboardWithoutTextEmptiesTheAddressBox) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    DoubleClickAddressBox();
    EXPECT_EQ(Text(Form().Text1.window), L"");
    Press(Form().Command1);
    EXPECT_EQ(site_->server.RequestCount(), 0u) << "an empty box searches nothing";
    EXPECT_EQ(Header(1), gbk::kLinkHeader);
}

TEST_F(EndToEnd, DownloadsTheCheckedPicturesIntoTheNoteFolderAndOnlyThoseStillCheckedOnTheNextPress) {
    const std::vector<std::string> names = {"a.jpg", "b.png", "c.jpeg", "d.JPG", "e.gif", "f.webp", "g.jpg"};
    site_->ServeChunks({{names[0], names[1], names[2]}, {names[3], names[4]}, {names[5], names[6]}});
    std::vector<std::string> bytes;
    for (size_t i = 0; i < names.size(); ++i) {
        bytes.push_back(RandomBytes(20000 + 7919 * i, static_cast<unsigned>(i)));
        site_->ServePicture(names[i], bytes[i]);
    }
    site_->server.ServePath("/photos/e.gif", Response::Text("gone", 404));  // fails this time

    Search(site_->NoteAddress());
    ASSERT_EQ(ListViewGetItemCount(List()), 7);
    EXPECT_EQ(Text(Form().Text3.window), noteFolder_);
    ListViewSetCheckState(List(), 1, false);  // the user leaves b.png out

    DownloadAndWait();
    EXPECT_TRUE(Exists(noteFolder_)) << "the note's folder is made when the download starts";
    for (int row : {0, 2, 3, 5, 6}) {
        const std::wstring file = noteFolder_ + std::to_wstring(row + 1) + WString(names[row].substr(1)).Str();
        EXPECT_EQ(FileBytes(file), bytes[row]) << "row " << row + 1;
        EXPECT_EQ(Cell(row, 2), kDone) << "row " << row + 1;
        EXPECT_FALSE(ListViewGetCheckState(List(), row)) << "a downloaded row is unchecked";
    }
    EXPECT_FALSE(Exists(noteFolder_ + L"2.png")) << "an unchecked row is not downloaded";
    EXPECT_EQ(Cell(1, 2), "");
    EXPECT_FALSE(Exists(noteFolder_ + L"5.gif")) << "a failed download leaves no file";
    EXPECT_EQ(Cell(4, 2), kFailed);
    EXPECT_TRUE(ListViewGetCheckState(List(), 4)) << "a failed row stays checked";

    // The picture is back; the user also checks b.png again. Only those two are fetched, under the same names.
    site_->ServePicture("e.gif", bytes[4]);
    ListViewSetCheckState(List(), 1, true);
    DownloadAndWait();
    EXPECT_EQ(FileBytes(noteFolder_ + L"2.png"), bytes[1]);
    EXPECT_EQ(FileBytes(noteFolder_ + L"5.gif"), bytes[4]);
    EXPECT_EQ(Cell(1, 2), kDone);
    EXPECT_EQ(Cell(4, 2), kDone);
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(PictureRequests(names[i]), names[i] == "e.gif" ? 2u : 1u) << names[i];
    }
}

TEST_F(EndToEnd, NoSearchAndNoSecondRunWhileADownloadRuns) {
    site_->ServeChunks({{"slow.jpg", "quick.jpg"}});
    Response slow = Response::Text(RandomBytes(5000, 1), 200, "image/jpeg");
    slow.delay = std::chrono::milliseconds(1500);
    site_->server.ServePath("/photos/slow.jpg", slow);
    site_->ServePicture("quick.jpg", RandomBytes(5000, 2));
    Search(site_->NoteAddress());
    ASSERT_EQ(ListViewGetItemCount(List()), 2);
    const size_t requestsBefore = site_->server.RequestCount();

    Press(Form().Command2);
    Press(Form().Command1);  // a click that reaches the window anyway changes nothing while the run lasts
    Press(Form().Command2);
    EXPECT_EQ(ListViewGetItemCount(List()), 2);
    EXPECT_EQ(Cell(0, 1), site_->Picture("slow.jpg"));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(Form().Command2.window); }, std::chrono::seconds(60)));
    EXPECT_EQ(site_->server.RequestCount(), requestsBefore + 2) << "each picture fetched once, no chunk requested";
    EXPECT_EQ(Cell(0, 2), kDone);
    EXPECT_EQ(Cell(1, 2), kDone);
}
