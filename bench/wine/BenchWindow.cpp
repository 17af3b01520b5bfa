#include "BenchWindow.h"

#include "Figures.h"
#include "framework/App.h"
#include "framework/Win32.h"
#include "mainform/Form1.h"
#include "scrape/NoteFetch.h"
#include "services/ListView.h"
#include "services/WString.h"

namespace {

void Press(HWND form, const FormControl& button) {
    SendMessageW(form, WM_COMMAND, MAKEWPARAM(button.id, BN_CLICKED), reinterpret_cast<LPARAM>(button.window));
}

}  // namespace

void PumpPending() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

BenchWindow::BenchWindow(int port) {
    FillAppInfo(Process().appInfo, GetModuleHandleW(nullptr));
    form_ = reinterpret_cast<HWND>(ShowMainForm(TheMainForm(), BuildAndShowForm1, nullptr, 0, 0));
    if (!form_) return;
    // The shown handler composes the site's own endpoint and fills the folder box; the loopback site replaces it after.
    if (!PumpUntil([&] { return !Folder().empty(); }, std::chrono::seconds(10))) return;
    ComposeChunkEndpointBase("127.0.0.1:" + std::to_string(port));
    ready_ = true;
}

BenchWindow::~BenchWindow() {
    if (form_ && IsWindow(form_)) DestroyWindow(form_);
    PumpPending();
}

double BenchWindow::Search(const std::string& address) {
    const MainFormObject& main = TheMainForm();
    SetControlText(main.Text1.window, WString(address));
    PumpPending();
    const auto start = BenchClock::now();
    Press(form_, main.Command1);
    PumpPending();
    return SecondsSince(start);
}

double BenchWindow::Download(std::chrono::seconds limit) {
    const MainFormObject& main = TheMainForm();
    const auto start = BenchClock::now();
    Press(form_, main.Command2);
    if (IsWindowEnabled(main.Command2.window)) return -1;  // no run started
    if (!PumpUntil([&] { return IsWindowEnabled(main.Command2.window) != FALSE; }, limit)) return -1;
    return SecondsSince(start);
}

int32_t BenchWindow::Rows() const {
    return ListViewGetItemCount(TheMainForm().ListView1.window);
}

std::wstring BenchWindow::Cell(int32_t row, int32_t column) const {
    return ListViewGetItemText(TheMainForm().ListView1.window, row, column).Str();
}

std::wstring BenchWindow::Folder() const {
    return GetControlText(TheMainForm().Text3.window).Str();
}
