#include "services/Clipboard.h"

#include <cstring>

#include "framework/Unique.h"
#include "framework/Win32.h"

namespace {

// Short pauses around the clipboard calls: some clipboard viewers of other programs react slowly to each change.
constexpr DWORD kClipboardPauseMs = 15;

struct GlobalTraits {
    using Type = HGLOBAL;
    static HGLOBAL Empty() noexcept { return nullptr; }
    static void Close(HGLOBAL h) noexcept { GlobalFree(h); }
};
using UniqueGlobal = Unique<GlobalTraits>;  // a block that the clipboard does not own yet

// A movable block holding the text and a terminating zero byte; empty when it could not be made.
UniqueGlobal TextBlock(const RtString& text) noexcept {
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1));
    Sleep(kClipboardPauseMs);
    if (!block) return block;
    auto* bytes = static_cast<char*>(GlobalLock(block.Get()));
    if (!bytes) return UniqueGlobal();
    std::memcpy(bytes, text.data(), text.size());
    bytes[text.size()] = '\0';
    if (GlobalUnlock(block.Get())) return UniqueGlobal();  // still locked: not fit for the clipboard
    return block;
}

}  // namespace

RtString GetClipboardText() {
    RtString text;
    if (!IsClipboardFormatAvailable(CF_TEXT)) return text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const auto* bytes = static_cast<const char*>(GlobalLock(data))) {
            // Up to the first zero byte, and never past the block even when another program left none.
            const size_t size = GlobalSize(data);
            const void* zero = std::memchr(bytes, '\0', size);
            text.assign(bytes, zero ? static_cast<const char*>(zero) - bytes : size);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool SetClipboardText(const RtString& text) {
    if (text.empty()) return false;
    UniqueGlobal block = TextBlock(text);
    if (!block) return false;
    if (!OpenClipboard(nullptr)) return false;

    bool ok = false;
    Sleep(kClipboardPauseMs);
    if (EmptyClipboard()) {
        Sleep(kClipboardPauseMs);
        if (SetClipboardData(CF_TEXT, block.Get())) {
            block.Release();  // the clipboard owns it now
            Sleep(kClipboardPauseMs);
            ok = true;
        }
    }
    CloseClipboard();
    return ok;
}
