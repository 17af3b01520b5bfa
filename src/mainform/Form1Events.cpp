#include "framework/Win32.h"

#include <commctrl.h>

#include "download/DownloadFolder.h"
#include "framework/App.h"
#include "framework/ControlObject.h"
#include "framework/FormProcedure.h"
#include "mainform/Form1.h"
#include "services/WString.h"

namespace {

void Form1Shown() noexcept {
    ShowDefaultFolder(TheMainForm().Text3.window);
}

void OnCommand(HWND, WPARAM, LPARAM) noexcept {}

void OnNotify(HWND, const NMHDR&) noexcept {}

void OnShown(HWND, LPARAM) noexcept {
    Form1Shown();
}

void OnDestroy(HWND) noexcept {
    ReleaseForm1Controls(TheMainForm());
}

constexpr FormEvents kForm1Events{OnCommand, OnNotify, OnShown, OnDestroy};

void OnControlMessage(HWND, ControlObject*, UINT, WPARAM, LPARAM) noexcept {}

}  // namespace

LRESULT CALLBACK Form1Procedure(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return FormProcedure(form, message, wParam, lParam, kForm1Events);
}

LRESULT CALLBACK Form1ControlProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return ControlSubclassProcedure(control, message, wParam, lParam, OnControlMessage);
}
