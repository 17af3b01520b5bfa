#include "services/Clipboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "framework/Win32.h"

namespace {

// Puts one block of the given format on the clipboard, or empties it when format is 0.
void PlaceOnClipboard(UINT format, const void* bytes, size_t size) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    if (format != 0) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(block), bytes, size);
        GlobalUnlock(block);
        if (!SetClipboardData(format, block)) GlobalFree(block);
    }
    CloseClipboard();
}

// The raw CF_TEXT block: its bytes as the clipboard holds them, terminator included.
std::string RawTextBlock() {
    std::string raw;
    if (!OpenClipboard(nullptr)) return raw;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        const char* bytes = static_cast<const char*>(GlobalLock(data));
        const size_t size = GlobalSize(data);
        const void* zero = std::memchr(bytes, '\0', size);
        if (zero) raw.assign(bytes, static_cast<const char*>(zero) - bytes + 1);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return raw;
}

}  // namespace

TEST(Clipboard, TextSetIsReadBackByteForByte) {
    // Two links, each followed by CR LF, and a caption in code page 936.
    const RtString links = "http://a.example/1.jpg\r\nhttp://b.example/2.png\r\n\xCD\xBC\xC6\xAC\r\n";
    ASSERT_TRUE(SetClipboardText(links));
    EXPECT_EQ(GetClipboardText(), links);
    EXPECT_EQ(RawTextBlock(), links + '\0') << "n bytes are stored as n + 1, the last one zero";

    ASSERT_TRUE(SetClipboardText("x"));
    EXPECT_EQ(GetClipboardText(), "x");
}

TEST(Clipboard, AnEmptyTextIsNotWritten) {
    ASSERT_TRUE(SetClipboardText("kept"));
    EXPECT_FALSE(SetClipboardText(""));
    EXPECT_EQ(GetClipboardText(), "kept");
}

TEST(Clipboard, NoTextReadsAsEmpty) {
    PlaceOnClipboard(0, nullptr, 0);
    EXPECT_EQ(GetClipboardText(), "");

    // A picture only.
    const BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 1, 1, 1, 24, BI_RGB, 4, 0, 0, 0, 0};
    char dib[sizeof(header) + 4]{};
    std::memcpy(dib, &header, sizeof(header));
    PlaceOnClipboard(CF_DIB, dib, sizeof(dib));
    EXPECT_EQ(GetClipboardText(), "");
}

TEST(Clipboard, UnicodeTextIsReadInIts8BitForm) {
    const wchar_t text[] = L"http://www.example.com/i/123.html";
    PlaceOnClipboard(CF_UNICODETEXT, text, sizeof(text));
    EXPECT_EQ(GetClipboardText(), "http://www.example.com/i/123.html");
}

TEST(Clipboard, ReadsNothingWhileAnotherHolderHasItOpen) {
    ASSERT_TRUE(SetClipboardText("underneath"));
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        // A window of another thread holds the clipboard open, as another program would.
        HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        const BOOL ok = OpenClipboard(owner);
        SetEvent(opened);
        WaitForSingleObject(release, 10'000);
        if (ok) CloseClipboard();
        DestroyWindow(owner);
    });
    WaitForSingleObject(opened, 10'000);
    EXPECT_EQ(GetClipboardText(), "");
    EXPECT_FALSE(SetClipboardText("refused"));
    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);
    EXPECT_EQ(GetClipboardText(), "underneath");
}
