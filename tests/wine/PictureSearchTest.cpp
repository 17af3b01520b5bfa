// "查找图片" in the real window against a note served over loopback: rows, check boxes, headers, buttons, folder.
#include "scrape/PictureSearch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "Form1Fixture.h"
#include "Form1Texts936.h"
#include "NoteSite.h"
#include "framework/ModulePath.h"
#include "framework/Win32.h"
#include "services/ListView.h"

#include <commctrl.h>

using loopback::Request;
using loopback::Response;

namespace {

struct Row {
    std::string number;
    std::string link;
    std::string status;
    bool checked;
    friend bool operator==(const Row&, const Row&) = default;
};
std::ostream& operator<<(std::ostream& out, const Row& r) {
    return out << "{" << r.number << ", " << r.link << ", '" << r.status << "', "
               << (r.checked ? "checked" : "unchecked") << "}";
}

class PictureSearchTest : public Form1Fixture {
  protected:
    void SetUp() override {
        Form1Fixture::SetUp();
        TheNoteSource().noteId.clear();  // no note searched yet in this window's life
        site_.UseForChunks();
    }

    void Search(const std::string& address) {
        SetControlText(Form().Text1.window, WString(address));
        Press(Form().Command1);
    }

    HWND List() const { return Form().ListView1.window; }

    std::vector<Row> Rows() const {
        std::vector<Row> rows;
        for (int32_t r = 0; r < ListViewGetItemCount(List()); ++r) {
            rows.push_back({Gbk(ListViewGetItemText(List(), r, 0)), Gbk(ListViewGetItemText(List(), r, 1)),
                            Gbk(ListViewGetItemText(List(), r, 2)), ListViewGetCheckState(List(), r)});
        }
        return rows;
    }
    Row Listed(int number, const std::string& picture) const { return {std::to_string(number), picture, "", true}; }

    std::string Header(int column) const {
        wchar_t text[256]{};
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT;
        col.pszText = text;
        col.cchTextMax = 256;
        SendMessageW(List(), LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
        return Gbk(WString(text));
    }

    std::wstring PicturesFolder() const { return CurrentExecutablePath().folder + L"DadAzizEzaz\\"; }

    // After any search, whatever it found: both buttons usable, every row checked, the count in the header.
    void ExpectSearchEnded(int count, const std::wstring& folder) {
        EXPECT_TRUE(IsWindowEnabled(Form().Command1.window));
        EXPECT_TRUE(IsWindowEnabled(Form().Command2.window));
        EXPECT_TRUE(IsWindowVisible(List()));
        EXPECT_EQ(ListViewGetItemCount(List()), count);
        EXPECT_EQ(Header(1), gbk::Found(count));
        EXPECT_EQ(Header(2), gbk::kStatusHeader);
        EXPECT_EQ(Text(Form().Text3.window), folder);
    }

    NoteSite site_;
};

}  // namespace

TEST_F(PictureSearchTest, ThreeChunksFillTheListInOrderAllChecked) {
    site_.ServeChunks({{"a.jpg", "b.png", "a.jpg"}, {"c.jpeg", "b.png"}, {"d.JPG"}});
    Search(site_.NoteAddress());

    EXPECT_EQ(Rows(), (std::vector<Row>{Listed(1, site_.Picture("a.jpg")), Listed(2, site_.Picture("b.png")),
                                        Listed(3, site_.Picture("c.jpeg")), Listed(4, site_.Picture("d.JPG"))}));
    const std::string chunk = NoteSite::kChunkPath;
    EXPECT_EQ(site_.Targets(), (std::vector<std::string>{chunk + "?id=123", chunk + "?id=123&seq=10&back=0",
                                                         chunk + "?id=123&seq=20&back=0"}));
    EXPECT_EQ(AllLinksText(), site_.Picture("a.jpg") + "\r\n" + site_.Picture("b.png") + "\r\n" +
                                  site_.Picture("c.jpeg") + "\r\n" + site_.Picture("d.JPG") + "\r\n");
    ExpectSearchEnded(4, PicturesFolder() + L"123\\");
}

TEST_F(PictureSearchTest, FindButtonIsDisabledWhileTheSearchRuns) {
    std::atomic<int> findEnabledDuringFetch{-1};
    site_.server.SetFallback([&](const Request&) {
        findEnabledDuringFetch = IsWindowEnabled(Form().Command1.window) ? 1 : 0;  // reads the style, sends nothing
        return Response::Text(site_.Chunk({"x.jpg"}, false, 1));
    });
    Search(site_.NoteAddress());
    EXPECT_EQ(findEnabledDuringFetch.load(), 0);
    ExpectSearchEnded(1, PicturesFolder() + L"123\\");
}

TEST_F(PictureSearchTest, EmptyAddressChangesNothing) {
    site_.ServeChunks({{"a.jpg"}});
    Search("");
    EXPECT_EQ(site_.server.RequestCount(), 0u);
    EXPECT_EQ(Header(1), gbk::kLinkHeader);
    EXPECT_FALSE(IsWindowEnabled(Form().Command2.window));
    EXPECT_EQ(Text(Form().Text3.window), PicturesFolder());
    EXPECT_EQ(Text(Form().Text1.window), L"");
}

TEST_F(PictureSearchTest, SecondSearchReplacesTheRowsAndNumbersFromOne) {
    site_.ServeChunks({{"a.jpg", "b.jpg", "c.jpg"}});
    Search(site_.NoteAddress());
    ASSERT_EQ(ListViewGetItemCount(List()), 3);
    // What a finished download leaves behind.
    ListViewSetItemText(List(), 0, 2, WString(L"\u4E0B\u8F7D\u5B8C\u6210"));
    ListViewSetCheckState(List(), 0, false);
    ListViewSetColumnText(List(), 2, WString(L"\u5168\u90E8\u5B8C\u6BD5"));

    NoteSite other;
    other.ServeChunks({{"z.png"}, {"y.png"}});
    other.UseForChunks();
    Search(site_.NoteAddress());
    EXPECT_EQ(Rows(), (std::vector<Row>{Listed(1, other.Picture("z.png")), Listed(2, other.Picture("y.png"))}));
    EXPECT_EQ(AllLinksText(), other.Picture("z.png") + "\r\n" + other.Picture("y.png") + "\r\n");
    ExpectSearchEnded(2, PicturesFolder() + L"123\\");
}

TEST_F(PictureSearchTest, SearchThatFindsNothingShowsACountOfZero) {
    site_.ServeChunks({{}});
    Search(site_.NoteAddress());
    ExpectSearchEnded(0, PicturesFolder() + L"123\\");
    EXPECT_EQ(AllLinksText(), "");

    // An address that is no note keeps the last note's folder; a refused request finds nothing either.
    Search(site_.server.BaseUrl() + "/nothing-here");
    ExpectSearchEnded(0, PicturesFolder() + L"123\\");
}

TEST_F(PictureSearchTest, AddressWithoutNoteBeforeAnyNoteShowsTheDefaultFolder) {
    site_.server.ServePath("/page.html", Response::Text(site_.Chunk({"p.jpg"}, false, 1)));
    Search(site_.server.BaseUrl() + "/page.html");
    EXPECT_EQ(Rows(), (std::vector<Row>{Listed(1, site_.Picture("p.jpg"))})) << "any page's pictures are listed";
    ExpectSearchEnded(1, PicturesFolder());
}

// Replies no note ever sends: the search ends, lists what it can and leaves the window usable.
class PictureSearchRobustness : public PictureSearchTest {
  protected:
    void SearchWithFirstReply(std::string body) {
        site_.server.ServeTarget(std::string(NoteSite::kChunkPath) + "?id=123",
                                 Response::Text(std::move(body), 200, "application/json"));
        Search(site_.NoteAddress());
    }
    void ExpectWindowStillWorks() {
        NoteSite fresh;
        fresh.ServeChunks({{"after.jpg"}});
        fresh.UseForChunks();
        Search(site_.NoteAddress());
        EXPECT_EQ(Rows(), (std::vector<Row>{Listed(1, fresh.Picture("after.jpg"))}));
        ExpectSearchEnded(1, PicturesFolder() + L"123\\");
    }
};

TEST_F(PictureSearchRobustness, Reply64MiB) {
    std::string body = site_.Chunk({"first.jpg"}, false, 1);
    body.reserve(64u << 20);
    while (body.size() + (1 << 20) + 4 < (64u << 20) - 4096) {  // the whole reply within the 64 MiB a reply may have
        body += std::string(1 << 20, 'x');
        body += "http";  // an address start with a megabyte of text and no thumbnail marker after it
    }
    body += site_.Chunk({"last.jpg"}, false, 1);
    SearchWithFirstReply(std::move(body));
    EXPECT_EQ(Rows(), (std::vector<Row>{Listed(1, site_.Picture("first.jpg")), Listed(2, site_.Picture("last.jpg"))}));
    ExpectSearchEnded(2, PicturesFolder() + L"123\\");
    ExpectWindowStillWorks();
}

TEST_F(PictureSearchRobustness, ReplyOfZeroBytesOnly) {
    SearchWithFirstReply(std::string(1 << 20, '\0'));
    ExpectSearchEnded(0, PicturesFolder() + L"123\\");
    ExpectWindowStillWorks();
}

TEST_F(PictureSearchRobustness, ReplyThatIsOneLongHttpWithoutMarker) {
    SearchWithFirstReply("http" + std::string(8u << 20, 'a'));
    ExpectSearchEnded(0, PicturesFolder() + L"123\\");
    // The same with the marker at its very end: far too long for an address.
    SearchWithFirstReply("http" + std::string(8u << 20, 'a') + "?imageView2");
    ExpectSearchEnded(0, PicturesFolder() + L"123\\");
    // Many address starts in a row, one marker: only the last start counts.
    std::string starts;
    for (int i = 0; i < 200000; ++i) starts += "http";
    SearchWithFirstReply(starts + "s:\\/\\/127.0.0.1\\/last.jpg?imageView2");
    EXPECT_EQ(Rows(), (std::vector<Row>{Listed(1, "https://127.0.0.1/last.jpg")}));
    ExpectWindowStillWorks();
}

TEST_F(PictureSearchRobustness, ChainThatNeverStopsAnnouncingMore) {
    // Every reply asks for chunk 7 again.
    site_.server.SetFallback([&](const Request&) { return Response::Text(site_.Chunk({"loop.jpg"}, true, 7)); });
    SearchWithFirstReply(site_.Chunk({"start.jpg"}, true, 7));
    EXPECT_EQ(Rows(), (std::vector<Row>{Listed(1, site_.Picture("start.jpg")), Listed(2, site_.Picture("loop.jpg"))}));
    EXPECT_EQ(site_.server.RequestCount(), 2u) << "a chunk number asked for twice ends the chain";
    ExpectSearchEnded(2, PicturesFolder() + L"123\\");

    // Replies that announce more but name no chunk at all.
    NoteSite bare;
    bare.UseForChunks();
    bare.server.SetFallback([](const Request&) { return Response::Text("{\"has_more\":true}"); });
    Search(site_.NoteAddress());
    EXPECT_EQ(bare.server.RequestCount(), 2u);
    ExpectSearchEnded(0, PicturesFolder() + L"123\\");
    ExpectWindowStillWorks();
}

// A chain whose every reply names a new chunk: the search reads at most 10,000 replies and then stops.
TEST_F(PictureSearchRobustness, ChainOfEverNewChunksEndsAtItsLimitSlow) {
    std::atomic<int> served{0};
    site_.server.SetFallback([&](const Request&) {
        const int n = ++served;
        if (n % 1000 == 0) return Response::Text(site_.Chunk({std::to_string(n).append(".jpg")}, true, n + 1));
        std::string reply = "{\"html\":\"<p data-seq=\\\"";
        reply.append(std::to_string(n + 1)).append("\\\">\",\"has_more\":true}");
        return Response::Text(reply);
    });
    SearchWithFirstReply(site_.Chunk({"start.jpg"}, true, 0));
    EXPECT_EQ(site_.server.RequestCount(), 10000u) << "the first reply and 9,999 more";
    EXPECT_EQ(ListViewGetItemCount(List()), 1 + 9);
    ExpectSearchEnded(10, PicturesFolder() + L"123\\");
    ExpectWindowStillWorks();
}
