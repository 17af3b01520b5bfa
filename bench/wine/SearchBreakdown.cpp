#include "SearchBreakdown.h"

#include "Figures.h"
#include "framework/App.h"
#include "framework/Win32.h"
#include "scrape/NoteAddress.h"
#include "scrape/PictureSearch.h"
#include "scrape/ReplyParser.h"
#include "services/ListView.h"
#include "web/WebRequest.h"

void RunSearchBreakdown(int port, const std::string& noteId, int chunks, int rows) {
    const std::string base =
        "http://127.0.0.1:" + std::to_string(port) + std::string(kChunkEndpointPath) + "?id=" + noteId;
    int failed = 0;
    auto start = BenchClock::now();
    for (int chunk = 0; chunk < chunks; ++chunk) {
        const std::string address = chunk == 0 ? base : base + ChunkQuerySuffix(static_cast<uint32_t>(chunk));
        failed += HttpGet(RtString(address)).empty();
    }
    PrintFigure("search_breakdown_chunk_requests", SecondsSince(start), "s");
    PrintFigure("search_breakdown_chunk_requests_failed", failed, "requests");

    const HWND list = TheMainForm().ListView1.window;
    ListViewDeleteAllItems(list);
    ListViewPictureSink sink(list);
    start = BenchClock::now();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int row = 0; row < rows; ++row) {
        sink.AddPicture("http://127.0.0.1:" + std::to_string(port) + "/pic/" + std::to_string(row) + ".jpg");
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    PrintFigure("search_breakdown_list_rows", SecondsSince(start), "s");
    ListViewDeleteAllItems(list);
}
