// Windowless labels as the user sees them: pixels read back from a painted form.
#include "framework/Labels.h"

#include <string>

#include <gtest/gtest.h>

#include "framework/AppGdiplus.h"
#include "framework/ControlObject.h"
#include "framework/LabelsStyle.h"
#include "framework/Win32.h"
#include "support/TestForm.h"

namespace {

constexpr COLORREF kFormBack = RGB(200, 230, 255);
constexpr uint32_t kFormPixel = PixelFromColorRef(kFormBack);
constexpr int32_t kId = 104;
constexpr uint32_t kShown = kLabelEnabled | kLabelVisible;

class LabelsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gdiplus_.Started());
        ASSERT_NE(form_.Window(), nullptr);
        form_.Record()->backColor = kFormBack;
    }
    HWND Form() const { return form_.Window(); }
    // A visible label in black text with the given font, no border, default back colour.
    void AddLabel(const wchar_t* caption, RECT r, const char* font, uint32_t flags = kShown) {
        ASSERT_NE(AddWindowlessLabel(Form(), "Label1", kId, caption, r.left, r.top, r.right - r.left, r.bottom - r.top),
                  nullptr);
        SetLabelFlags(kId, Form(), flags);
        SetLabelTextColorRgb(kId, Form(), RGB(0, 0, 0));
        SetLabelFont(kId, Form(), font);
    }

    GdiplusSession gdiplus_;
    TestForm form_{320, 160};
};

// Runs of columns holding ink within the rows top..bottom-1 of the area: the glyphs standing apart.
int InkColumnRuns(const ClientPixels& p, const RECT& area, int32_t top, int32_t bottom) {
    int runs = 0;
    bool inRun = false;
    for (int32_t x = area.left; x < area.right; ++x) {
        bool ink = false;
        for (int32_t y = top; y < bottom && !ink; ++y) ink = p.Differs(x, y, kFormPixel);
        runs += ink && !inRun;
        inRun = ink;
    }
    return runs;
}

}  // namespace

TEST_F(LabelsTest, DefaultBackColourDrawsOnlyTheTextOverTheForm) {
    const RECT r{20, 20, 220, 80};
    AddLabel(L"Hello", r, "DejaVu Sans,16,0");
    const ClientPixels p = CaptureClient(Form());
    ASSERT_EQ(p.width, 320);

    const RECT ink = p.InkBounds({0, 0, p.width, p.height}, kFormPixel);
    EXPECT_GT(p.CountDiffering(r, kFormPixel), 30) << "the caption is drawn";
    // Only text: it starts at the top left of the label, and nothing marks the label's edges.
    EXPECT_GE(ink.left, r.left);
    EXPECT_LE(ink.left, r.left + 4);
    EXPECT_GE(ink.top, r.top);
    EXPECT_LT(ink.right, r.left + 100);
    EXPECT_LT(ink.bottom, r.bottom - 20);
    EXPECT_EQ(p.CountDiffering({r.left, r.bottom - 1, r.right, r.bottom}, kFormPixel), 0);
    EXPECT_EQ(p.CountDiffering({r.right - 1, r.top, r.right, r.bottom}, kFormPixel), 0);
    EXPECT_EQ(p.At(ink.left + 200, 10), kFormPixel);
}

TEST_F(LabelsTest, APlainColourWithoutAlphaIsInvisibleWhileTheRgbSetterIsOpaque) {
    const RECT r{20, 20, 220, 80};
    AddLabel(L"", r, "DejaVu Sans,16,0");

    ASSERT_TRUE(SetLabelBackColorRgb(kId, Form(), RGB(255, 0, 0)));
    ClientPixels p = CaptureClient(Form());
    EXPECT_EQ(p.At(100, 50), 0xFF0000u) << "opaque red fill";
    EXPECT_EQ(p.At(10, 50), kFormPixel) << "nothing outside the label";
    EXPECT_EQ(GetLabelBackColorRgb(kId, Form()), RGB(255, 0, 0));
    EXPECT_EQ(GetLabelBackColorArgb(kId, Form()), 0xFFFF0000u);

    // The same red stored as a plain code, top byte 0: alpha 0 draws nothing.
    ASSERT_TRUE(SetLabelBackColor(kId, Form(), RGB(255, 0, 0)));
    p = CaptureClient(Form());
    EXPECT_EQ(p.CountDiffering(r, kFormPixel), 0);

    // Half-transparent blue over the form's colour: a mixture of the two.
    ASSERT_TRUE(SetLabelBackColorArgb(kId, Form(), 0x800000FFu));
    EXPECT_EQ(GetLabelBackColorArgb(kId, Form()), 0x800000FFu);
    p = CaptureClient(Form());
    const uint32_t mixed = p.At(100, 50);
    EXPECT_NE(mixed, kFormPixel);
    EXPECT_NE(mixed, 0x0000FFu);
    EXPECT_LT(mixed >> 16 & 0xFF, 200u) << std::hex << mixed;
    EXPECT_GT(mixed >> 16 & 0xFF, 60u) << std::hex << mixed;
}

TEST_F(LabelsTest, ThePrefixBitDecidesBetweenAnAmpersandAndAnUnderline) {
    const RECT r{10, 10, 310, 150};
    AddLabel(L"a&b", r, "DejaVu Sans,28,0", WithLabelAlignment(kShown, 4));

    const ClientPixels literal = CaptureClient(Form());
    const RECT plain = literal.InkBounds(r, kFormPixel);
    ASSERT_GT(plain.right, plain.left);
    // Centred in both directions, on one line.
    EXPECT_LE(std::abs((plain.left + plain.right) - (r.left + r.right)), 4);
    EXPECT_LE(std::abs((plain.top + plain.bottom) - (r.top + r.bottom)), 24);
    EXPECT_EQ(InkColumnRuns(literal, r, plain.top, plain.bottom), 3) << "a, & and b";

    ASSERT_TRUE(SetLabelPrefix(kId, Form(), true));
    const ClientPixels prefixed = CaptureClient(Form());
    const RECT marked = prefixed.InkBounds(r, kFormPixel);
    ASSERT_GT(marked.right, marked.left);
    EXPECT_LT(marked.right - marked.left, plain.right - plain.left - 10) << "no ampersand";
    // Above the baseline only the two letters stand; below it, an underline under the b alone.
    EXPECT_EQ(InkColumnRuns(prefixed, r, marked.top, plain.bottom), 2);
    EXPECT_GT(marked.bottom, plain.bottom) << "underline below the baseline";
    const RECT underline = prefixed.InkBounds({r.left, plain.bottom, r.right, marked.bottom}, kFormPixel);
    EXPECT_GT(underline.left, (marked.left + marked.right) / 2 - 4) << "under the b, not the a";
}

TEST_F(LabelsTest, AlignmentNineIsStoredAsEightBottomRight) {
    const RECT r{20, 20, 300, 140};
    AddLabel(L"Wy", r, "DejaVu Sans,20,0");
    const RECT topLeft = CaptureClient(Form()).InkBounds(r, kFormPixel);
    EXPECT_LE(topLeft.left, r.left + 4);
    EXPECT_LE(topLeft.top, r.top + 12);

    ASSERT_TRUE(SetLabelAlignment(kId, Form(), 9));
    EXPECT_EQ(GetLabelAlignment(kId, Form()), 8u);
    EXPECT_EQ(GetLabelFlags(kId, Form()), kShown | 0x00080000u);
    const RECT bottomRight = CaptureClient(Form()).InkBounds(r, kFormPixel);
    EXPECT_GE(bottomRight.right, r.right - 4);
    EXPECT_LE(bottomRight.right, r.right);
    EXPECT_GE(bottomRight.bottom, r.bottom - 10) << "the descender of y nearly touches the bottom";
    EXPECT_LE(bottomRight.bottom, r.bottom);
}

TEST_F(LabelsTest, AHiddenLabelLeavesTheBackgroundVisible) {
    const RECT r{20, 20, 220, 80};
    AddLabel(L"Hidden", r, "DejaVu Sans,16,0");
    SetLabelBackColorRgb(kId, Form(), RGB(0, 128, 0));
    EXPECT_EQ(CaptureClient(Form()).At(150, 70), 0x008000u);

    ASSERT_TRUE(SetLabelVisible(kId, Form(), false));
    EXPECT_FALSE(GetLabelVisible(kId, Form()));
    EXPECT_EQ(CaptureClient(Form()).CountDiffering(r, kFormPixel), 0);
}

TEST_F(LabelsTest, AThinBorderTakesTheTextColour) {
    const RECT r{20, 20, 220, 80};
    AddLabel(L"", r, "DejaVu Sans,16,0");
    SetLabelTextColorRgb(kId, Form(), RGB(255, 0, 0));
    ClientPixels p = CaptureClient(Form());
    EXPECT_EQ(p.CountDiffering({0, 0, p.width, p.height}, kFormPixel), 0) << "border style 0: no frame";

    ASSERT_TRUE(SetLabelBorderStyle(kId, Form(), 1));
    p = CaptureClient(Form());
    // A one-pixel pen on the label's edges (antialiased across the pixel boundary), red over the form's colour.
    for (POINT at : {POINT{r.left, 50}, POINT{r.right, 50}, POINT{100, r.top}, POINT{100, r.bottom}}) {
        const RECT edge{at.x - 1, at.y - 1, at.x + 1, at.y + 1};
        EXPECT_GT(p.CountDiffering(edge, kFormPixel), 0) << at.x << "," << at.y;
    }
    const uint32_t left = p.At(r.left, 50) != kFormPixel ? p.At(r.left, 50) : p.At(r.left - 1, 50);
    EXPECT_GT(left >> 16 & 0xFF, left >> 8 & 0xFF) << std::hex << left;
    EXPECT_EQ(p.CountDiffering({r.left + 3, r.top + 3, r.right - 3, r.bottom - 3}, kFormPixel), 0);
    EXPECT_EQ(SetLabelBorderStyle(kId, Form(), 300), true);
    EXPECT_EQ(GetLabelBorderStyle(kId, Form()), 255u);
}

TEST(LabelRecords, LabelsChainBehindTheFormInCreationOrderAndDieWithIt) {
    const int32_t before = LiveControlObjectCount();
    {
        TestForm form(200, 100);
        const HWND window = form.Window();
        ASSERT_NE(window, nullptr);
        ControlObject* first = AddWindowlessLabel(window, "Label1", 104, L"网页地址:", 15, 24, 73, 25);
        ControlObject* second = AddWindowlessLabel(window, "Label3", 107, L"下载目录:", 15, 71, 73, 25);
        ASSERT_TRUE(first && second);
        EXPECT_EQ(form.Record()->next, first);
        EXPECT_EQ(first->next, second);
        EXPECT_EQ(second->next, nullptr);
        EXPECT_EQ(first->parent, window);
        EXPECT_EQ(first->index, -1);
        EXPECT_EQ(first->name, "Label1");
        EXPECT_EQ(first->styleFlags, 0u);
        EXPECT_EQ(FindLabel(107, window), second);
        EXPECT_EQ(FindLabel(0, window), nullptr) << "the form's own record is not a label";
        EXPECT_EQ(FindLabel(105, window), nullptr);
        EXPECT_EQ(AddWindowlessLabel(GetDesktopWindow(), "X", 1, L"", 0, 0, 1, 1), nullptr) << "no form record";

        // An id the form does not have: nothing happens, and every answer is 0.
        EXPECT_FALSE(SetLabelCaption(105, window, L"x"));
        EXPECT_FALSE(SetLabelAlignment(105, window, 3));
        EXPECT_FALSE(SetLabelTextColorRgb(105, window, 0));
        EXPECT_EQ(GetLabelTextColorRgb(105, window), 0u);
        EXPECT_EQ(GetLabelBackColorArgb(105, window), 0u);
        EXPECT_EQ(GetLabelFont(105, window), "");
        EXPECT_FALSE(GetLabelVisible(105, window));

        // Default colours read as the button colours; colours set come back as set.
        EXPECT_EQ(GetLabelTextColorRgb(104, window), GetSysColor(COLOR_BTNTEXT));
        EXPECT_EQ(GetLabelBackColorRgb(104, window), GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(GetLabelBackColorArgb(104, window), 0xFF000000u | SwapRedBlue(GetSysColor(COLOR_BTNFACE)));
        ASSERT_TRUE(SetLabelTextColor(104, window, SystemColorValue(COLOR_WINDOWTEXT)));
        EXPECT_EQ(first->textColor, 0x087F7F7Fu);
        EXPECT_EQ(GetLabelTextColorRgb(104, window), GetSysColor(COLOR_WINDOWTEXT));
        ASSERT_TRUE(SetLabelTextColorArgb(104, window, 0x40123456u));
        EXPECT_EQ(first->textColor, 0x40563412u);
        EXPECT_EQ(GetLabelTextColorArgb(104, window), 0x40123456u);
        EXPECT_EQ(GetLabelTextColorRgb(104, window), 0x563412u);
        ASSERT_TRUE(SetLabelFont(107, window, "Microsoft YaHei,9,0"));
        EXPECT_EQ(GetLabelFont(107, window), "Microsoft YaHei,9,0");
        ASSERT_TRUE(SetLabelCaption(107, window, L"&Folder"));
        EXPECT_EQ(second->caption, WString(L"&Folder"));
        EXPECT_EQ(LiveControlObjectCount(), before + 3);
    }
    EXPECT_EQ(LiveControlObjectCount(), before) << "the form's destruction frees its labels";
}

TEST(LabelsDpi144, ALabelCoversItsScaledPixelRectangle) {
    GdiplusSession gdiplus;
    TestForm form(240, 140);
    ASSERT_NE(form.Window(), nullptr);
    const HDC dc = GetDC(form.Window());
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(form.Window(), dc);
    ASSERT_EQ(dpi, 144) << "this test runs in a Wine prefix set to 144 dpi";
    form.Record()->backColor = kFormBack;

    // Full blocks in a font far taller than the label: the text is clipped to exactly the label's pixel rectangle.
    ASSERT_NE(AddWindowlessLabel(form.Window(), "Label1", kId, L"████████████████", 15, 24, 73, 25), nullptr);
    SetLabelFlags(kId, form.Window(), WithLabelAlignment(kShown, 3));
    SetLabelTextColorRgb(kId, form.Window(), RGB(0, 0, 0));
    SetLabelFont(kId, form.Window(), "DejaVu Sans Mono,40,0");

    const ClientPixels p = CaptureClient(form.Window());
    const RECT ink = p.InkBounds({0, 0, p.width, p.height}, kFormPixel);
    EXPECT_EQ(ink.left, 22);
    EXPECT_EQ(ink.top, 36);
    EXPECT_EQ(ink.right, 132);
    EXPECT_EQ(ink.bottom, 74);
    EXPECT_EQ(p.At(22, 36), 0u);
    EXPECT_EQ(p.At(131, 73), 0u);
}
