// The two platform services the tool fetches through, against the loopback site: a chunk request gives the bytes
// received, and a picture download reports done only for a whole picture in place.
#include "Form1Fixture.h"
#include "download/UrlDownload.h"
#include "web/WebRequest.h"

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

TEST(UrlDownload, DoneOnlyForAWholePictureInPlace) {
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
        const UrlDownloadOutcome outcome = DownloadUrlToFile(WideFromText(site.Url(c.path)), folder.Path() + c.target);
        EXPECT_EQ(outcome.done, c.done) << c.path << " into " << WString(c.target).ToRtString();
    }
    // A compressed reply, sent unasked: decoded where the platform decodes (Windows 8.1 and later), otherwise no
    // picture; never saved compressed.
    const bool decoded = DownloadUrlToFile(WideFromText(site.Url("packed.jpg")), folder.Path() + L"2.jpg").done;
    EXPECT_EQ(ReadFileBytes(folder.Path() + L"2.jpg"), decoded ? picture : "");
    EXPECT_EQ(ReadFileBytes(folder.Path() + L"1.jpg"), picture);
    EXPECT_EQ(ReadFileBytes(folder.Path() + L"earlier.jpg"), "an earlier picture") << "a failure keeps what was there";
    std::set<std::wstring> files = {L"1.jpg", L"earlier.jpg", L"folder.jpg\\", L"folder (2).jpg"};
    if (decoded) files.insert(L"2.jpg");
    EXPECT_EQ(ListTree(folder.Path()), files) << "no partial file, nothing made for a missing folder";
}
