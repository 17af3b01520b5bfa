#include "SearchBreakdown.h"

#include "Figures.h"
#include "framework/App.h"
#include "framework/Win32.h"
#include "scrape/NoteAddress.h"
#include "scrape/PictureSearch.h"
#include "scrape/ReplyParser.h"
#include "services/ListView.h"
#include "web/WebRequest.h"

SearchBreakdown RunSearchBreakdown(int port, const std::string& noteId, int chunks, int rows) {
    SearchBreakdown figures;
    const std::string base =
        "http://127.0.0.1:" + std::to_string(port) + std::string(kChunkEndpointPath) + "?id=" + noteId;
    auto start = BenchClock::now();
    for (int chunk = 0; chunk < chunks; ++chunk) {
        const std::string address = chunk == 0 ? base : base + ChunkQuerySuffix(static_cast<uint32_t>(chunk));
        figures.failedRequests += HttpGet(RtString(address)).empty();
    }
    figures.chunkRequests = SecondsSince(start);

    const HWND list = TheMainForm().ListView1.window;
    ListViewDeleteAllItems(list);
    ListViewPictureSink sink(list);
    start = BenchClock::now();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int row = 0; row < rows; ++row) {
        sink.AddPicture("http://127.0.0.1:" + std::to_string(port) + "/pic/" + std::to_string(row) + ".jpg");
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    figures.listRows = SecondsSince(start);
    start = BenchClock::now();
    ShowWindow(list, SW_HIDE);  // as the search checks them
    ListViewSetCheckState(list, -1, true);
    ShowWindow(list, SW_SHOW);
    figures.checkAll = SecondsSince(start);
    ListViewDeleteAllItems(list);
    return figures;
}
