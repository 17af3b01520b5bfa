#pragma once
// The tool's main window built modeless for a test, exactly as the program builds it, and destroyed at the end.
#include <gtest/gtest.h>

#include <string>

#include "framework/App.h"
#include "framework/AppGdiplus.h"
#include "framework/ControlObject.h"
#include "framework/Win32.h"
#include "mainform/Form1.h"
#include "services/WString.h"
#include "support/Pump.h"

class Form1Fixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(TheMainForm().window, nullptr) << "an earlier test left its window behind";
        recordsBefore_ = LiveControlObjectCount();
        const INT_PTR shown = ShowMainForm(TheMainForm(), BuildAndShowForm1, nullptr, 0, 0);
        form_ = reinterpret_cast<HWND>(shown);
        ASSERT_NE(form_, nullptr);
        ASSERT_EQ(TheMainForm().window, form_);
        // The form-shown handler has run once the folder box holds the default folder.
        ASSERT_TRUE(PumpUntil([&] { return !Text(Form().Text3.window).empty(); }));
    }

    void TearDown() override {
        if (IsWindow(form_)) DestroyWindow(form_);
        PumpPending();
        EXPECT_EQ(TheMainForm().window, nullptr) << "the window forgets its controls when it goes";
        EXPECT_EQ(TheMainForm().ListView1.window, nullptr);
        EXPECT_EQ(LiveControlObjectCount(), recordsBefore_) << "every record of the window is freed with it";
    }

    static const MainFormObject& Form() { return TheMainForm(); }
    static std::wstring Text(HWND window) { return GetControlText(window).Str(); }

    // Presses a button the way a click does: its notification to the form.
    void Press(const FormControl& button) const {
        SendMessageW(form_, WM_COMMAND, MAKEWPARAM(button.id, BN_CLICKED), reinterpret_cast<LPARAM>(button.window));
    }

    GdiplusSession gdiplus_;
    HWND form_ = nullptr;
    int32_t recordsBefore_ = 0;
};
