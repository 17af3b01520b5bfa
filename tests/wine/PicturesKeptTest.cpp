// No picture lost or misplaced, through the tool's own window and the loopback site: folders of any name, nothing
// saved ever overwritten, error pages never taken for pictures, every download ends; and the services underneath.
#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "../native/PictureSamples.h"
#include "Form1Fixture.h"
#include "download/PictureDownload.h"
#include "web/WebRequest.h"

namespace {

using namespace std::chrono_literals;

class PicturesKept : public SiteFixture {
  protected:
    struct Row { std::string name, body, options; bool saved; };
    // Serves the rows as one note's pictures and downloads them all into a fresh folder: each row ends saved or
    // failed, the saved ones as they came, nothing else, and soon no partial file.
    void DownloadRows(const std::vector<Row>& rows) const {
        std::vector<std::string> names;
        for (const Row& row : rows) site_.Serve("photos/" + row.name, row.body, row.options), names.push_back(row.name);
        site_.ServeNote({names});
        ScratchFolder folder;
        Search(site_.NoteAddress());
        DownloadAndWait(folder.Path());
        std::set<std::wstring> saved;
        for (size_t i = 0; i < rows.size(); ++i) {
            const auto file = std::to_wstring(i + 1) + WString(rows[i].name.substr(rows[i].name.find('.'))).Str();
            EXPECT_EQ(Cell(static_cast<int>(i), 2), rows[i].saved ? shown::kDone : shown::kFailed) << rows[i].name;
            if (rows[i].saved) saved.insert(file);
            EXPECT_TRUE(!rows[i].saved || ReadFileBytes(folder.Path() + file) == rows[i].body) << rows[i].name;
        }
        // A transfer given up on removes its partial file once the platform lets it go.
        EXPECT_TRUE(PumpUntil([&] { return ListTree(folder.Path()) == saved; }, 40s)) << "files left behind";
    }
};

// The same with small download limits, so that a download that must end does so in seconds.
class PicturesKeptSmallLimits : public PicturesKept {
  protected:
    void SetUp() override {
        SetForm1DownloadLimits({.paceWindow = 3s, .minBytesPerWindow = 1024, .maxBytes = 4u << 20});
        PicturesKept::SetUp();
    }
    void TearDown() override {
        PicturesKept::TearDown();
        SetForm1DownloadLimits({});
    }
};

}  // namespace

TEST_F(PicturesKept, FoldersOfAnyNameReceiveThePictures) {
    ScratchFolder sandbox;
    std::wstring slashed = sandbox.Path();
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    const std::string a(5000, '\xA1'), b(6000, '\0');
    site_.Serve("photos/a.jpg", a);
    site_.Serve("photos/b.png", b);
    site_.ServeNote({{"a.jpg", "b.png"}});
    // The folder box's text, and where the pictures land below the sandbox.
    const std::pair<std::wstring, std::wstring> cases[] = {
        {sandbox.Path() + L"pics\\\u904B", L"pics\\\u904B\\"},  // 運: its second byte in code page 936 is "\"
        {sandbox.Path() + L"Users\\J\u00F6rg\\\uC0AC\uC9C4", L"Users\\J\u00F6rg\\\uC0AC\uC9C4\\"},  // ö, 사진
        {L" " + slashed + L"pasted/a/b \t", L"pasted\\a\\b\\"},  // pasted with blanks, forward slashes
    };
    std::set<std::wstring> tree;
    for (const auto& [typed, into] : cases) {
        Search(site_.NoteAddress());
        DownloadAndWait(typed);
        for (int row = 0; row < ListViewGetItemCount(List()); ++row) EXPECT_EQ(Cell(row, 2), shown::kDone) << row;
        EXPECT_EQ(Text(Form().Text3.window), typed) << "the box keeps what the user typed";
        EXPECT_EQ(ReadFileBytes(sandbox.Path() + into + L"1.jpg"), a);
        EXPECT_EQ(ReadFileBytes(sandbox.Path() + into + L"2.png"), b);
        for (size_t end = into.find(L'\\'); end != std::wstring::npos; end = into.find(L'\\', end + 1))
            tree.insert(into.substr(0, end + 1));
        tree.insert({into + L"1.jpg", into + L"2.png"});
    }
    EXPECT_EQ(ListTree(sandbox.Path()), tree) << "no stray folder, no picture beside its folder";
}

TEST_F(PicturesKept, NothingSavedIsOverwrittenByAnotherPicture) {
    const std::string a(5000, 'a'), b(6000, 'b'), c(7000, 'c'), e(8000, 'e'), f(6000, 'f');  // f: b's size
    for (const auto& [name, bytes] : {std::pair{"a", a}, {"b", b}, {"c", c}, {"d", b}, {"e", e}, {"f", f}})
        site_.Serve("photos/" + std::string(name) + ".jpg", bytes);
    site_.ServeNote({{"a.jpg", "b.jpg"}});
    site_.Serve("page2", site_.Chunk({"c.jpg", "d.jpg"}, false, 10), "type=text/html");
    site_.Serve("page3", site_.Chunk({"e.jpg", "f.jpg"}, false, 10), "type=text/html");
    using Files = std::map<std::wstring, std::string>;
    const Files note = {{L"1.jpg", a}, {L"2.jpg", b}};
    Files page2 = note;
    page2[L"1 (2).jpg"] = c;  // d.jpg has the bytes of 2.jpg: that picture is there already
    Files page3 = page2;
    page3[L"1 (3).jpg"] = e;
    page3[L"2 (2).jpg"] = f;  // the same size as 2.jpg, other bytes
    const std::tuple<const char*, std::string, Files> steps[] = {
        // the note's folder afterwards
        {"the note", site_.NoteAddress(), note},
        {"the same note again", site_.NoteAddress(), note},
        {"a page without a note id, into the last note's folder", site_.Url("page2"), page2},
        {"another such page", site_.Url("page3"), page3},
        {"the second page again", site_.Url("page2"), page3},
    };
    for (const auto& [what, address, files] : steps) {
        SCOPED_TRACE(what);
        Search(address);
        EXPECT_EQ(Text(Form().Text3.window), noteFolder_);
        EXPECT_EQ(Header(2), shown::kStatusHeader) << "a new search clears the last run's outcome";
        DownloadAndWait();
        for (int row = 0; row < ListViewGetItemCount(List()); ++row) EXPECT_EQ(Cell(row, 2), shown::kDone) << row;
        std::set<std::wstring> names;
        for (const auto& [name, bytes] : files) {
            names.insert(name);
            EXPECT_EQ(ReadFileBytes(noteFolder_ + name), bytes) << WString(name).ToRtString();
        }
        EXPECT_EQ(ListTree(noteFolder_), names);
    }
}

// Only a whole reply is a picture: no error page, whatever its status, and no picture cut short, even where the
// transport cannot tell (a chunked reply or one ended by the connection: the picture's own structure tells).
TEST_F(PicturesKept, OnlyAWholePictureIsSaved) {
    const std::string jpeg = samples::Jpeg(2000, std::string(30000, 'j')), png = samples::Png(100, 130);
    DownloadRows({
        {"partial.jpg", jpeg, "status=206", false},
        {"missing.jpg", jpeg, "status=404", false},
        {"chunked-cut.jpg", jpeg, "chunked=1&cut_after=10000", false},
        {"closed-cut.jpg", jpeg, "unframed=1&cut_after=10000", false},
        {"closed.jpg", jpeg, "unframed=1", true},
        {"chunked.png", png, "chunked=1", true},
        {"closed.gif", samples::Gif(std::string(20000, 'g')), "unframed=1", true},
        {"copy.jpg", jpeg, "status=203", true},
        {"utf8.jpg", "\xEF\xBB\xBF<!DOCTYPE html><title>404", "type=image/jpeg", false},
        {"utf16.jpg", std::string("\xFF\xFE<\0h\0t\0m\0l\0>\0", 14), "type=image/jpeg", false},
        {"html.jpg", "<p>Please log in</p>", "type=text/html;charset=utf-8", false},
        {"json.jpg", "[\"quota exceeded\"]", "type=application/json", false},
        {"photo.jpg", "\xFF\xD8\xFF\xE0<html>{" + std::string(3000, '\x9F'), "type=image/jpeg", true},
        {"drawing.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>", "type=image/svg+xml", true},
        {"note.txt", "  plain <html> text", "type=text/plain", true},
    });
}

TEST_F(PicturesKeptSmallLimits, EveryDownloadEnds) {
    DownloadRows({
        {"endless.jpg", "", "endless=1", false},                     // never stops sending
        {"announced.jpg", "", "size=4194305", false},                // announces a byte over the limit
        {"trickle.jpg", "", "size=100000&trickle=300,1000", false},  // 900 bytes in every window
        {"silent.jpg", "", "size=50000&stall_after=0", false},       // headers, then nothing
        {"unanswered.jpg", "", "stall=1", false},                    // no status line at all
        {"headers.jpg", "", "size=5000&head_trickle=100", false},    // the headers one byte every 0.1 s: 15 s
        {"limit.jpg", std::string(4u << 20, 'L'), "", true},         // exactly the limit
        {"steady.jpg", std::string(60000, 'S'), "rate=20000", true},  // slow, but more than the minimum in every window
        {"quick.jpg", std::string(30000, 'Q'), "", true},
    });
}

// The two platform services underneath: a chunk request gives the bytes received, and a picture download reports
// done only for a whole picture in place.
TEST(WebRequest, RepliesComeBackAsTheBytesReceived) {
    Site site("web");
    ASSERT_TRUE(site.Running());
    std::string every;
    for (int i = 0; i < 100 * 1024; ++i) every += static_cast<char>(i & 0xFF);
    struct Case { const char* path; std::string body; const char* options; };
    for (const Case& c :
         {Case{"bin", every, "type=application/octet-stream"}, Case{"zeros", std::string("\0\0a\0", 4), ""},
          Case{"chunked", every, "chunked=1"}, Case{"missing", "<h1>404 page</h1>", "status=404&type=text/html"},
          Case{"broken", std::string("server\0error", 12), "status=500"}}) {
        site.Serve(c.path, c.body, c.options);
        EXPECT_EQ(HttpGet(site.Url(c.path)), c.body) << c.path;
    }
    site.Serve("reset", std::string(5000, 'r'), "reset_after=1000");
    EXPECT_LE(HttpGet(site.Url("reset")).size(), 1000u) << "no more than arrived";
    EXPECT_EQ(HttpGet("http://127.0.0.1:1/refused"), "");
}

TEST(PictureDownload, DoneOnlyForAWholePictureInPlace) {
    const auto session = std::make_shared<HttpSession>();
    const auto Download = [&](const std::string& link, const std::wstring& target) {
        return DownloadPictureFile(WideFromText(link), target, {}, session);
    };
    Site site("download");
    ASSERT_TRUE(site.Running());
    ScratchFolder folder;
    std::string picture;
    for (int i = 0; i < 40000; ++i) picture += static_cast<char>((i * 31) & 0xFF);
    site.Serve("a.jpg", picture);
    site.Serve("packed.jpg", picture, "gzip=1");
    site.Serve("missing.jpg", "<h1>not here</h1>", "status=404&type=text/html");
    ASSERT_TRUE(CreateDirectoryW((folder.Path() + L"folder.jpg").c_str(), nullptr));
    ASSERT_TRUE(std::ofstream(std::filesystem::path(folder.Path() + L"earlier.jpg")) << "an earlier picture");

    struct Case { const char* path; std::wstring target; bool done; };
    for (const Case& c : {Case{"a.jpg", L"1.jpg", true},
                          Case{"a.jpg", L"folder.jpg", true},  // the folder stays; the picture takes the next name
                          Case{"a.jpg", L"not-there\\3.jpg", false}, Case{"missing.jpg", L"earlier.jpg", false}}) {
        EXPECT_EQ(Download(site.Url(c.path), folder.Path() + c.target), c.done) << c.path << " into " << WString(c.target).ToRtString();
    }
    // A compressed reply, sent unasked: decoded where the platform decodes (Windows 8.1 and later), otherwise no
    // picture; never saved compressed.
    const bool decoded = Download(site.Url("packed.jpg"), folder.Path() + L"2.jpg");
    EXPECT_EQ(ReadFileBytes(folder.Path() + L"2.jpg"), decoded ? picture : "");
    EXPECT_EQ(ReadFileBytes(folder.Path() + L"1.jpg"), picture);
    EXPECT_EQ(ReadFileBytes(folder.Path() + L"earlier.jpg"), "an earlier picture") << "a failure keeps what was there";
    std::set<std::wstring> files = {L"1.jpg", L"earlier.jpg", L"folder.jpg\\", L"folder (2).jpg"};
    if (decoded) files.insert(L"2.jpg");
    EXPECT_EQ(ListTree(folder.Path()), files) << "no partial file, nothing made for a missing folder";
}
