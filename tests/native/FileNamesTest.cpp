#include "download/FileNames.h"

#include <gtest/gtest.h>

#include <string>

#include "download/DownloadLimits.h"
#include "download/ErrorPage.h"
#include "services/PathText.h"

TEST(FileNames, WherePicturesGoAndUnderWhichName) {
    // Each byte one unit, so that 8-bit names compare in the same table as the folders.
    const auto Wide = [](std::string_view bytes) { return std::wstring(bytes.begin(), bytes.end()); };
    const auto Joined = [](const std::vector<std::wstring>& levels) {
        std::wstring all;
        for (const std::wstring& level : levels) all += (all.empty() ? L"" : L"|") + level;
        return all;
    };
    const std::wstring exe = L"C:\\Users\\J\u00F6rg\\\u904B\\";  // ö and 運, whose code page 936 form ends in 0x5C
    const std::wstring root = exe + L"DadAzizEzaz";
    const struct {
        std::wstring got, expected;
    } cases[] = {
        {Wide(MakeFileName(0, "http://p.voyanta.com/n/a1.jpeg")), L"1.jpeg"},
        {Wide(MakeFileName(11, "https://p.voyanta.com/n/b.PNG")), L"12.PNG"},
        {Wide(MakeFileName(0, "http://h/a.jpg?v=1.2")), L"1.2"},  // the last "." counts, also in a query
        {Wide(MakeFileName(0, "http://h/\xCD\xBC.\xCD\xBC")), Wide("1.\xCD\xBC")},
        // The "." of the host or a folder, or a tail Windows would refuse or read as a stream: the number alone.
        {Wide(MakeFileName(0, "http://p.voyanta.com/a.b/c")), L"1"}, {Wide(MakeFileName(0, "http://h/a.jpg:x")), L"1"},
        {Wide(MakeFileName(0, std::string("http://h/a.j\0pg", 15))), L"1"},
        {Wide(MakeFileName(0, "http://h/a.\xB1\x5C")), L"1"},
        // Folders stay UTF-16: no character is lost and none is taken for a separator.
        {DefaultFolder(exe), root + L"\\"}, {NoteFolder(exe, L"123"), root + L"\\123\\"},
        {NoteFolder(exe, L"..\\..\\Windows"), root + L"\\"}, {NoteFolder(exe, L" . "), root + L"\\"},
        {FolderFromBoxText(L"D:\\pics\\\u904B"), L"D:\\pics\\\u904B\\"},
        {FolderFromBoxText(L" D:/pics/J\u00F6rg \r\n"), L"D:\\pics\\J\u00F6rg\\"},
        {FolderFromBoxText(L" \t "), L""},
        {Joined(FolderLevels(L"D:\\pics/\u904B\\x/")), L"D:|D:\\pics|D:\\pics/\u904B|D:\\pics/\u904B\\x"},
        {Joined(FolderLevels(L"D:\\a\\\\b")), L"D:|D:\\a|D:\\a\\\\b"},
        {Joined(FolderLevels(L"\\\\server\\share\\x")), L""},
        // A name taken by other bytes: the first free copy number before the extension.
        {NumberedTarget(L"D:\\p\\12.jpg", 2), L"D:\\p\\12 (2).jpg"},
        {NumberedTarget(L"D:\\a.b\\7", 3), L"D:\\a.b\\7 (3)"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].got, cases[i].expected) << "case " << i;
}

// What a finished reply must not be, and how long and how large a download may grow.
TEST(FileNames, RepliesThatAreNoPictureAndDownloadsThatMustEnd) {
    const auto kind = [](std::wstring_view type) { return IsPageContentType(type) ? "page" : "picture"; };
    using namespace std::chrono_literals;
    const TransferBudget::Clock::time_point t0{};
    // Byte counts as reported at the given seconds, then the verdict at `at` seconds.
    const auto budget = [&](std::vector<std::pair<int, uint64_t>> counts, double at, DownloadLimits limits = {},
                            uint64_t announced = 0) {
        TransferBudget b(limits, t0);
        b.Announced(announced);
        for (const auto& [second, total] : counts) b.Received(total, t0 + std::chrono::seconds(second));
        const auto now = t0 + std::chrono::duration_cast<TransferBudget::Clock::duration>(at * 1s);
        return b.TooLarge() ? "too large" : b.TooSlow(now) ? "too slow" : "going";
    };
    const DownloadLimits small{.maxBytes = 1000};
    const struct Case {
        std::string got, expected;
    } cases[] = {
        {kind(L"text/html; charset=UTF-8"), "page"}, {kind(L" Application/JSON "), "page"},
        {kind(L"application/problem+json"), "page"}, {kind(L"image/jpeg"), "picture"},
        {kind(L"text/plain"), "picture"}, {kind(L"text/htmlx"), "picture"},
        {budget({}, 60), "too slow"},  // nothing at all in the first minute
        {budget({{20, 300}, {40, 600}, {60, 900}}, 60), "too slow"},
        {budget({{1, 1024}}, 60.9), "going"}, {budget({{1, 1024}}, 61), "too slow"},
        {budget({{30, 2048}, {60, 4096}, {90, 6144}}, 149.9), "going"},
        {budget({{30, 2048}, {60, 4096}, {90, 6144}}, 150), "too slow"},
        {budget({{1, 1000}}, 1, small), "going"}, {budget({{1, 1001}}, 1, small), "too large"},
        {budget({{1, (uint64_t{256} << 20) + 1}}, 1), "too large"},
        {budget({}, 0, small, 1001), "too large"},  // announced: it fails before the bytes come
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].got, cases[i].expected) << "case " << i;
}
