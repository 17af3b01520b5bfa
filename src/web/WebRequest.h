#pragma once
#include <chrono>
#include <cstdint>
#include <utility>

#include "framework/Unique.h"
#include "framework/Win32.h"
#include "services/RtString.h"

// True when the system's winhttp.dll exists and its WinHttpCheckPlatform reports support. The library is loaded for
// the question only and freed again.
bool CheckHttpPlatform() noexcept;

// The bounds of one request: the whole reply within `wait` from the start, at most `maxBytes` of body.
struct ReplyLimits {
    std::chrono::milliseconds wait{30'000};
    uint64_t maxBytes = uint64_t{64} << 20;
};

// One HTTP request through the WinHTTP API, synchronous, used on one thread. Its deadline is set when it is made:
// before every call that can block, the platform's own time limits are set to the time left, so no call outlives the
// deadline by more than the platform's lag. The body is read piece by piece and never grows beyond the byte limit.
// Closing the object closes the request and its connection at once. Texts going in are 8-bit (code page 936); the
// body comes back as the bytes received. Every call stores its result in LastResult().
class WebRequest {
  public:
    explicit WebRequest(const ReplyLimits& limits = {}) noexcept;  // the wait counts from now
    WebRequest(std::chrono::steady_clock::time_point deadline, uint64_t maxBytes) noexcept;
    ~WebRequest();
    WebRequest(const WebRequest&) = delete;
    WebRequest& operator=(const WebRequest&) = delete;

    HRESULT LastResult() const noexcept { return lastResult_; }

    bool Open(const RtString& method, const RtString& address) noexcept;
    bool SetRequestHeader(const RtString& name, const RtString& value) noexcept;
    bool Send() noexcept;
    // Receives the reply and its whole body. False when the deadline passes first, when the body is larger than the
    // byte limit (announced or not) or when the transfer fails; the body then is not to be used.
    bool WaitForResponse() noexcept;
    RtString TakeResponseBody() noexcept { return std::move(body_); }

  private:
    struct InternetTraits {  // a WinHTTP handle; <winhttp.h> stays out of this header, as it clashes with <wininet.h>
        using Type = void*;
        static void* Empty() noexcept { return nullptr; }
        static void Close(void* h) noexcept;
    };
    using UniqueInternet = Unique<InternetTraits>;

    bool Succeeded(BOOL ok) noexcept;
    bool SetLimitsToTimeLeft() noexcept;
    bool ReadBody() noexcept;

    std::chrono::steady_clock::time_point deadline_;
    uint64_t maxBytes_;
    HRESULT lastResult_ = S_OK;
    // Closed in reverse order: the request, then its connection, then the session.
    UniqueInternet session_;
    UniqueInternet connection_;
    UniqueInternet request_;
    RtString body_;
};

// One GET of the address with the tool's two request headers, within the limits. The reply body as received (an error
// status gives its page); empty text when the platform has no WinHTTP, the request fails, the body is over the byte
// limit or the reply is not complete in time. The request runs on a thread of its own, so the caller is let go at the
// deadline whatever the platform does; the request then ends on its own.
RtString HttpGet(const RtString& address, const ReplyLimits& limits = {}) noexcept;
