// A picture of the window after a search, for a person to look at: run by hand with VOYANTA_SCREENSHOT=<png path>.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "Form1Fixture.h"
#include "NoteSite.h"
#include "framework/Win32.h"
#include "services/ListView.h"

namespace {

// {557CF406-1A04-11D3-9A73-0000F81EF32E}
constexpr CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// What the screen shows inside the window's outer rectangle, saved as a PNG.
bool SaveWindowAsShown(HWND window, const std::wstring& path) {
    RECT r{};
    GetWindowRect(window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    bool saved = false;
    {
        Gdiplus::Bitmap image(bitmap, nullptr);
        saved = image.Save(path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

}  // namespace

class EndToEndScreenshot : public Form1Fixture {};

TEST_F(EndToEndScreenshot, WindowAfterASearch) {
    const char* target = std::getenv("VOYANTA_SCREENSHOT");
    if (target == nullptr || *target == '\0') GTEST_SKIP() << "set VOYANTA_SCREENSHOT to a PNG path to take it";

    NoteSite site;
    site.UseForChunks();
    site.ServeChunks({{"2019/08/12/a.jpg", "2019/08/12/b.png"}, {"2019/08/13/c.jpeg"}});
    SetControlText(Form().Text1.window, WString(site.NoteAddress()));
    Press(Form().Command1);
    ASSERT_EQ(ListViewGetItemCount(Form().ListView1.window), 3);
    ListViewSetItemText(Form().ListView1.window, 0, 2, WString(L"\u4E0B\u8F7D\u5B8C\u6210"));
    SetForegroundWindow(form_);
    RedrawWindow(form_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    PumpUntil([&] { return std::chrono::steady_clock::now() >= settle; }, std::chrono::milliseconds(3000));
    EXPECT_TRUE(SaveWindowAsShown(form_, WString(RtString(target)).Str()));
}
