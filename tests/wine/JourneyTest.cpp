// The tool as a user meets it, through its own window and the loopback site: paste a note address, search, copy all
// links, download the checked pictures five at a time, press again for the ones that failed; and what the window does
// when the site or the addresses misbehave.
#include <algorithm>
#include <atomic>
#include <regex>
#include <set>
#include <thread>
#include <vector>

#include "Form1Fixture.h"
#include "services/Clipboard.h"

#include <psapi.h>

namespace {

class Journey : public SiteFixture {
  protected:
    int RequestsFor(const std::string& target) const { return std::ranges::count(site_.Targets(), target); }
    void ExpectSearchEnded(int rows, const std::wstring& folder) const {
        EXPECT_EQ(ListViewGetItemCount(List()), rows);
        EXPECT_EQ(Header(1), shown::Found(rows));
        EXPECT_EQ(Header(2), shown::kStatusHeader);
        EXPECT_EQ(Text(Form().Text3.window), folder);
        EXPECT_TRUE(IsWindowEnabled(Form().Command1.window));
        EXPECT_TRUE(IsWindowEnabled(Form().Command2.window));
    }
};

}  // namespace

TEST_F(Journey, ClipboardPasteSearchCopyDownloadAndPressAgain) {
    struct Picture { std::string name, reply; bool saved; };  // reply: its options; saved: after the first press
    const std::vector<Picture> pictures = {
        {"a.jpg", "", true}, {"b.png", "", false} /* the user unchecks it */, {"c.JPG", "chunked=1", true},
        {"d.gif", "status=404&type=text/html", false}, {"e.jpeg", "status=500", false},
        {"f.webp", "cut_after=5000", false}, {"g.jpg", "reset_after=3000", false}, {"h.jpg", "status=204", false},
        {"noext", "", true},
    };
    std::string every;  // every byte value, each picture from another offset
    for (int i = 0; i < 256 * 400; ++i) every += static_cast<char>(i * 7);
    std::vector<std::string> bytes;
    for (size_t i = 0; i < pictures.size(); ++i) {
        bytes.push_back(every.substr(i * 7919));
        site_.Serve("photos/" + pictures[i].name, bytes[i], pictures[i].reply);
    }
    // Three chunks; a picture named twice is listed once. The first is slow, so the search can be watched.
    site_.ServeNote({{"a.jpg", "b.png", "a.jpg"}, {"c.JPG", "d.gif", "e.jpeg"}, {"f.webp", "g.jpg", "h.jpg", "noext"}});
    site_.Serve(site_.ChunkTarget(0), site_.Chunk({"a.jpg", "b.png", "a.jpg"}, true, 10),
                "type=application/json&delay_ms=500");

    ASSERT_TRUE(SetClipboardText("untouched"));
    ClickHeader(1);  // nothing listed yet, nothing copied
    EXPECT_FALSE(SetClipboardText(""));
    EXPECT_EQ(std::pair(GetClipboardText(), Header(1)), std::pair(RtString("untouched"), std::wstring(L"图片连接")));
    ASSERT_TRUE(SetClipboardText(site_.NoteAddress()));
    DoubleClickAddressBox();
    EXPECT_EQ(GetControlText(Form().Text1.window).ToRtString(), site_.NoteAddress());
    std::atomic<int> findEnabledMidSearch{-1};
    std::thread watch([&] {  // the window thread is busy searching; the button's state is read from here
        for (int i = 0; i < 400 && site_.InFlight("note").first < 1; ++i) Sleep(5);
        findEnabledMidSearch = IsWindowEnabled(Form().Command1.window) ? 1 : 0;
    });
    Press(Form().Command1);
    watch.join();
    EXPECT_EQ(findEnabledMidSearch, 0) << "\"查找图片\" is disabled while it searches";

    const int rows = static_cast<int>(pictures.size());
    ExpectSearchEnded(rows, noteFolder_);
    for (int row = 0; row < rows; ++row) {
        EXPECT_EQ(Cell(row, 0), std::to_wstring(row + 1));
        EXPECT_EQ(Cell(row, 1), WString(site_.Picture(pictures[row].name)).Str());
        EXPECT_TRUE(Checked(row));
    }
    EXPECT_EQ(site_.Targets(),
              (std::vector<std::string>{site_.ChunkTarget(0), site_.ChunkTarget(10), site_.ChunkTarget(20)}));
    for (const std::string& r : site_.Requests())
        EXPECT_TRUE(r.starts_with("GET ") && r.find("\nAccept: text/html, */*; q=0.01\n") != r.npos &&
                    r.find("\nUser-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
                           "Chrome/78.0.3904.108 Safari/537.36\n") != r.npos) << r;
    EXPECT_EQ(GetFileAttributesW(noteFolder_.c_str()), INVALID_FILE_ATTRIBUTES) << "made when a download starts";

    // Copy all links: only the link column's header copies.
    ASSERT_TRUE(SetClipboardText("untouched"));
    ClickHeader(0);
    ClickHeader(2);
    EXPECT_EQ(GetClipboardText(), "untouched");
    ClickHeader(1);
    std::string links;
    for (const Picture& p : pictures) links += site_.Picture(p.name) + "\r\n";
    EXPECT_EQ(GetClipboardText(), links);
    EXPECT_EQ(Header(1), shown::Copied(rows));

    ListViewSetCheckState(List(), 1, false);
    DownloadAndWait();
    std::set<std::wstring> saved;
    for (int row = 0; row < rows; ++row) {
        const Picture& p = pictures[row];
        const size_t dot = p.name.find('.');
        const std::wstring file =
            std::to_wstring(row + 1) + (dot == std::string::npos ? L"" : WString(p.name.substr(dot)).Str());
        EXPECT_EQ(Cell(row, 2), p.saved ? shown::kDone : row == 1 ? L"" : shown::kFailed) << p.name;
        EXPECT_EQ(Checked(row), !p.saved && row != 1) << p.name;
        if (p.saved) saved.insert(file);
        EXPECT_TRUE(!p.saved || ReadFileBytes(noteFolder_ + file) == bytes[row]) << p.name;
    }
    EXPECT_EQ(ListTree(noteFolder_), saved) << "no file of a failed row, no partial file";

    // The 404 picture is back, and the user checks b.png again: only the rows still checked are fetched.
    site_.Serve("photos/d.gif", bytes[3]);
    ListViewSetCheckState(List(), 1, true);
    DownloadAndWait();
    EXPECT_EQ(ReadFileBytes(noteFolder_ + L"2.png"), bytes[1]);
    EXPECT_EQ(ReadFileBytes(noteFolder_ + L"4.gif"), bytes[3]);
    EXPECT_EQ(Cell(3, 2), shown::kDone);
    for (const Picture& p : pictures)
        EXPECT_EQ(RequestsFor("photos/" + p.name), p.saved || p.name == "b.png" ? 1 : 2) << p.name;

    EXPECT_EQ(RequestsFor(site_.ChunkTarget(0)), 1) << "no search during the downloads";
}

// A chunk request is given 30 s and 64 MiB at most; the case of a chunk never answered waits those 30 s.
TEST_F(Journey, SearchesThatFindLittleOrNothingStillEndSlow) {
    constexpr size_t kLimit = 64u << 20;
    const std::string two = site_.Chunk({"a.jpg", "b.jpg"}, false, 10);
    struct Case { const char* what; std::string firstReply, options; int rows; };
    const std::vector<Case> cases = {
        {"a note without pictures", site_.Chunk({}, false, 10), "", 0},
        {"a reply of zero bytes", std::string(1 << 20, '\0'), "", 0},
        {"one long address without a thumbnail marker", "http" + std::string(4 << 20, 'a'), "", 0},
        {"an address past 100 bytes", site_.Chunk({std::string(90, 'x') + ".jpg", "ok.jpg"}, false, 10), "", 1},
        {"an error status", "", "status=503", 0},
        {"the next chunk never answered", site_.Chunk({"a.jpg", "b.jpg"}, true, 10), "", 2},
        {"a reply announcing a byte over 64 MiB", two, "pad=" + std::to_string(kLimit - two.size() + 1), 0},
        {"a reply of 100 MiB without a length", two, "chunked=1&pad=" + std::to_string(100u << 20), 0},
        {"a reply of exactly 64 MiB", two, "pad=" + std::to_string(kLimit - two.size()), 2},
    };
    site_.Serve(site_.ChunkTarget(10), "", "stall=1");  // accepted and never answered
    const auto peakMiB = [] {
        PROCESS_MEMORY_COUNTERS counters{sizeof(PROCESS_MEMORY_COUNTERS), 0, 0, 0, 0, 0, 0, 0, 0, 0};
        GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
        return counters.PeakWorkingSetSize >> 20;  // Wine keeps the peak of the working set (not of the page file)
    };
    const size_t peakBefore = peakMiB();
    for (const Case& c : cases) {
        site_.Serve(site_.ChunkTarget(0), c.firstReply, c.options);
        Search(site_.NoteAddress());
        SCOPED_TRACE(c.what);
        ExpectSearchEnded(c.rows, noteFolder_);
        EXPECT_TRUE(PumpUntil([&] { return site_.InFlight("note").first == 0; }, std::chrono::seconds(10)))
            << "the request lets go of its connection when it ends";
        EXPECT_LT(c.rows == 2 ? 0 : peakMiB() - peakBefore, 2 * kLimit >> 20) << "a reply holds 64 MiB at most";
    }

    // A chain that keeps asking for chunk 7 stops at the first repeat.
    site_.Serve(site_.ChunkTarget(0), site_.Chunk({"start.jpg"}, true, 7));
    site_.Serve("note/ajax/detail/getNoteDetailContentChunk", site_.Chunk({"loop.jpg"}, true, 7));
    Search(site_.NoteAddress());
    ExpectSearchEnded(2, noteFolder_);
    EXPECT_EQ(RequestsFor(site_.ChunkTarget(7)), 1);

    // A site that refuses the connection: nothing listed, the window goes on.
    ComposeChunkEndpointBase("127.0.0.1:1");
    Search(site_.NoteAddress());
    ExpectSearchEnded(0, noteFolder_);

    // An empty address box searches nothing and changes nothing.
    const size_t requests = site_.Targets().size();
    SetControlText(Form().Text1.window, WString(""));
    Press(Form().Command1);
    EXPECT_EQ(site_.Targets().size(), requests);

    // With nothing to fetch the address box says so.
    NoteSource nothing{"", "", Form().Text1.window};
    FetchNoteContent(nothing, "", "");
    EXPECT_EQ(Text(Form().Text1.window), L"打开网页地址失败,请确认文章的地址.(双击此处,自动粘贴剪切板内容)");
}

// Each tail tries another way out of the download folder or another character Windows refuses in a name: every
// picture lands inside the folder under a valid name, or its row fails; nothing is written anywhere else.
TEST_F(Journey, HostileAddressesNeverLeaveTheDownloadFolder) {
    const std::string m = "esc" + std::to_string(GetCurrentProcessId());
    const std::vector<std::string> tails = {
        "x.jpg\\..\\..\\..\\..\\" + m, "x.\\..\\..\\" + m + "\\y", "a.jpg/../../../" + m, "x.jpg:" + m,
        "x.jpg::$DATA" + m,           "x.j*g<>|" + m,             "x.jpg\x95\x5C" + m,   "x.jpg%2F..%2F" + m,
        m + "..",                     m + ". .",                  "x.jpg\\C:\\" + m,     "plain.jpg",
        "x.\xCD\xBC",  // an extension in code page 936: 图
    };
    std::string page;  // the addresses with "/" escaped as "\/", as the site writes them
    for (const std::string& tail : tails) page += "<img src=\"" + site_.Url("p/" + tail) + "?imageView2\">";
    site_.Serve("page", std::regex_replace(page, std::regex("/"), "\\/"), "type=text/html");
    const std::string picture(9000, '\xD8');
    site_.Serve("p/*", picture);
    const auto marked = [&](const std::wstring& folder) {
        return std::ranges::count_if(ListTree(folder), [&](auto& e) { return e.find(WString(m).Str()) != e.npos; });
    };

    ScratchFolder sandbox;
    Search(site_.Url("page"));
    ASSERT_EQ(ListViewGetItemCount(List()), static_cast<int>(tails.size()));
    DownloadAndWait(sandbox.Path() + L"inner\\pictures");
    std::set<std::wstring> expected = {L"inner\\", L"inner\\pictures\\"};
    size_t done = 0;
    for (int row = 0; row < static_cast<int>(tails.size()); ++row) done += Cell(row, 2) == shown::kDone;
    for (const std::wstring& entry : ListTree(sandbox.Path() + L"inner\\pictures\\")) {  // a folder's ends in "\\"
        EXPECT_EQ(entry.find_first_of(L"\\/:*?\"<>|"), std::wstring::npos) << WString(entry).ToRtString();
        EXPECT_EQ(ReadFileBytes(sandbox.Path() + L"inner\\pictures\\" + entry), picture);
        expected.insert(L"inner\\pictures\\" + entry);
    }
    EXPECT_EQ(ListTree(sandbox.Path() + L"inner\\pictures\\").count(L"13.\u56FE"), 1u) << "the name as listed";
    EXPECT_EQ(expected.size(), done + 2) << "one file for each picture saved";
    EXPECT_EQ(ListTree(sandbox.Path()), expected) << "no folder made from a name, no file elsewhere, no partial file";
    EXPECT_EQ(marked(CurrentExecutablePath().folder), 0) << "nothing written beside the program";

    // A note id that is no folder name keeps the pictures folder itself.
    site_.Serve("note/ajax/detail/getNoteDetailContentChunk", site_.Chunk({"a.jpg"}, false, 1));
    for (const std::string& id : {"..\\..\\" + m, "a/../../" + m, std::string(".."), "C:\\" + m, m + ":x"}) {
        Search("http://www.voyanta.com/i/" + id + ".html");
        EXPECT_EQ(Text(Form().Text3.window), PicturesFolder()) << id;
    }
    EXPECT_EQ(marked(CurrentExecutablePath().folder), 0) << "a search makes no folder";
}

// Five pictures in flight together, rows marked in row order, the selection following the newest started row and
// keeping it in view, every outcome in its row.
TEST_F(Journey, DownloadFiveInFlightRowsInOrderAndTheSelectionFollowsTheNewest) {
    constexpr int kRows = 30, kLast = kRows - 1;  // more than the list shows at once, so that it must scroll
    const auto inView = [](int row) {
        const auto top = static_cast<int>(SendMessageW(List(), LVM_GETTOPINDEX, 0, 0));
        return row >= top && row < top + static_cast<int>(SendMessageW(List(), LVM_GETCOUNTPERPAGE, 0, 0));
    };
    ScratchFolder folder;
    std::vector<std::vector<std::string>> chunks(3);
    for (int n = 0; n < kRows; ++n) chunks[n / 10].push_back(std::to_string(n) + ".jpg");
    site_.ServeNote(chunks);
    site_.Serve("photos/*", "", "size=40000&delay_ms=600");  // long enough for five to be answered together
    Search(site_.NoteAddress());
    ASSERT_EQ(ListViewGetItemCount(List()), kRows);
    SetControlText(Form().Text3.window, WString(folder.Path()));
    Press(Form().Command2);

    // The first five in flight together, the sixth row marked and waiting for a slot.
    ASSERT_TRUE(PumpUntil([&] { return site_.InFlight("photos/").first == 5 && Cell(5, 2) == shown::kDownloading; }));
    for (int row = 0; row < kRows; ++row) EXPECT_EQ(Cell(row, 2), row < 6 ? shown::kDownloading : L"") << "row " << row;
    ListViewSetCheckState(List(), kLast, false);  // the user changes their mind before the walk gets there
    // A busy window holds no download back: while it handles nothing, the ones that end make room for the next.
    const auto photoRequests = [&] {
        return std::ranges::count_if(site_.Targets(), [](const std::string& t) { return t.starts_with("photos/"); });
    };
    for (int i = 0; i < 3000 && photoRequests() < 6; ++i) Sleep(10);
    EXPECT_GE(photoRequests(), 6) << "the sixth picture is asked for without the window's help";

    int fiveTogether = 0, followed = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            fiveTogether += site_.InFlight("photos/").first == 5;
            int newest = -1;  // the last row showing "正在下载" or an outcome; every row above it shows one too
            for (int row = 0; row < kRows; ++row) {
                if (Cell(row, 2).empty()) continue;
                EXPECT_EQ(row, newest + 1) << "rows are marked in row order";
                newest = row;
            }
            // Between two rounds of starts the selection catches up with the newest row and shows it.
            followed +=
                newest > 5 && newest < kLast - 1 && ListViewGetSelectionMark(List()) == newest && inView(newest);
            return IsWindowEnabled(Form().Command2.window) != FALSE;
        },
        std::chrono::seconds(90)));
    EXPECT_GT(fiveTogether, 0) << "five in flight again after the first round";
    EXPECT_GT(followed, 0);
    // At least five: a finished picture's reply may still be closing at the site while the next one begins, so the
    // upper bound is checked where downloads stall (CloseMidRun) and in the download run's own tests.
    EXPECT_GE(site_.InFlight("photos/").second, 5);

    EXPECT_EQ(Cell(kLast, 2), L"") << "a row unchecked during the run is not fetched";
    EXPECT_EQ(std::pair(ListViewGetSelectionMark(List()), ListView_GetItemState(List(), kLast - 1, LVIS_SELECTED)),
              std::pair(kLast - 1, UINT{LVIS_SELECTED})) << "the last row started is selected";
    EXPECT_TRUE(inView(kLast - 1));
}
