#include "scrape/NoteFetch.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/Win32Handles.h"
#include "services/WString.h"
#include "support/LoopbackServer.h"

using namespace loopback;

namespace {

constexpr char kChunk[] = "/note/ajax/detail/getNoteDetailContentChunk";

// Gives the process's note source back as it was, whatever the test did to it.
class SavedNoteSource {
  public:
    SavedNoteSource() : saved_(TheNoteSource()) {}
    ~SavedNoteSource() { TheNoteSource() = saved_; }

  private:
    NoteSource saved_;
};

}  // namespace

TEST(NoteFetch, RequestsFirstChunkFollowUpAndOtherAddresses) {
    SavedNoteSource restore;
    LoopbackServer server;
    server.ServeTarget(std::string(kChunk) + "?id=123", Response::Text("first chunk"));
    server.ServeTarget(std::string(kChunk) + "?id=123&seq=12&back=0", Response::Text("chunk 12"));
    server.ServePath("/page.html", Response::Text("a page"));

    ComposeChunkEndpointBase("127.0.0.1:" + std::to_string(server.Port()));
    TheNoteSource().noteId = "old";
    // The note page itself is never fetched: only its id goes to the chunk endpoint.
    EXPECT_EQ(FetchNoteContent("http://www.voyanta.com/i/123.html", ""), "first chunk");
    EXPECT_EQ(TheNoteSource().noteId, "123");
    EXPECT_EQ(FetchNoteContent("", "&seq=12&back=0"), "chunk 12");
    EXPECT_EQ(FetchNoteContent(server.BaseUrl() + "/page.html", ""), "a page");
    EXPECT_EQ(TheNoteSource().noteId, "123") << "an address that is no note keeps the last id";
    EXPECT_EQ(FetchNoteContent("", "&seq=12&back=0"), "chunk 12");
    EXPECT_EQ(FetchNoteContent(server.BaseUrl() + "/i/none.php", ""), "not found");

    std::vector<std::string> targets;
    for (const Request& r : server.Requests()) targets.push_back(r.target);
    const std::string chunk(kChunk);
    EXPECT_EQ(targets, (std::vector<std::string>{chunk + "?id=123", chunk + "?id=123&seq=12&back=0", "/page.html",
                                                 chunk + "?id=123&seq=12&back=0", "/i/none.php"}));
}

TEST(NoteFetch, TheBuiltInEndpointNamesTheSiteHost) {
    SavedNoteSource restore;
    ComposeChunkEndpointBase();
    EXPECT_EQ(TheNoteSource().chunkEndpointBase,
              "http://" VOYANTA_WEB_HOST "/note/ajax/detail/getNoteDetailContentChunk?id");
}

TEST(NoteFetch, NothingToFetchIsReportedInTheAddressBox) {
    LoopbackServer server;
    const UniqueWindow box(CreateWindowExW(0, L"EDIT", L"typed", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr,
                                           GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(box);
    NoteSource source{"http://127.0.0.1:" + std::to_string(server.Port()) + kChunk + "?id", "55", box.Get()};

    const RtString reply = FetchNoteContent(source, "", "");
    EXPECT_EQ(reply, "\xB4\xF2\xBF\xAA\xCD\xF8\xD2\xB3\xB5\xD8\xD6\xB7\xCA\xA7\xB0\xDC")
        << "打开网页地址失败 in code page 936";
    EXPECT_EQ(GetControlText(box.Get()).Str(), L"打开网页地址失败,请确认文章的地址.(双击此处,自动粘贴剪切板内容)");
    EXPECT_EQ(source.noteId, "55");
    EXPECT_EQ(server.RequestCount(), 0u);
}
