#include "framework/Threads.h"

#include <memory>
#include <new>
#include <utility>

#include "framework/Win32.h"

namespace {

using ThreadBody = std::function<void()>;

DWORD WINAPI RunThreadBody(void* parameter) noexcept {
    const std::unique_ptr<ThreadBody> body(static_cast<ThreadBody*>(parameter));
    (*body)();
    return 0;
}

}  // namespace

bool StartDetachedThread(std::function<void()> body) noexcept {
    auto* owned = new (std::nothrow) ThreadBody(std::move(body));
    if (!owned) return false;
    const HANDLE thread = CreateThread(nullptr, 0, RunThreadBody, owned, 0, nullptr);
    if (!thread) {
        delete owned;
        return false;
    }
    CloseHandle(thread);
    return true;
}
