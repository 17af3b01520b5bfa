#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "framework/Unique.h"
#include "framework/Win32.h"
#include "services/RtString.h"

// True when the system's winhttp.dll exists and its WinHttpCheckPlatform reports support. The library is loaded for
// the question only and freed again.
bool CheckHttpPlatform() noexcept;

// The user agent of every request the tool makes.
extern const wchar_t kToolUserAgent[];

// A WinHTTP handle; <winhttp.h> stays out of this header, as it clashes with <wininet.h>.
struct InternetHandleTraits {
    using Type = void*;
    static void* Empty() noexcept { return nullptr; }
    static void Close(void* h) noexcept;
};
using UniqueInternet = Unique<InternetHandleTraits>;

// A WinHTTP session that several requests share, on any threads. Windows keeps connections per session: requests in
// one session reuse them (and, on https, their TLS handshakes). A request holds its session until it is closed.
class HttpSession {
  public:
    HttpSession() noexcept;
    void* Handle() const noexcept { return handle_.Get(); }  // null when the platform has no WinHTTP session to give

  private:
    UniqueInternet handle_;
};

// One HTTP request through the WinHTTP API, synchronous, used on one thread. Before every call that can block, the
// platform's own time limits are set to the time left before the deadline, so that no call outlives it by more than
// the platform's lag. The body is read as it arrives, piece by piece. Closing the object closes the request and its
// connection at once. Every call stores its result in LastResult().
class WebRequest {
  public:
    using Clock = std::chrono::steady_clock;
    // In the session when one is given, else in a session of its own.
    explicit WebRequest(Clock::time_point deadline, std::shared_ptr<const HttpSession> session = nullptr) noexcept
        : deadline_(deadline), session_(std::move(session)) {}
    ~WebRequest();
    WebRequest(const WebRequest&) = delete;
    WebRequest& operator=(const WebRequest&) = delete;

    HRESULT LastResult() const noexcept { return lastResult_; }
    // The deadline of the calls that follow.
    void SetDeadline(Clock::time_point deadline) noexcept { deadline_ = deadline; }

    bool Open(const std::wstring& method, const std::wstring& address) noexcept;
    bool SetRequestHeader(const std::wstring& name, const std::wstring& value) noexcept;
    // Asks for compressed replies where the platform decodes them (not on Windows 7 nor under Wine). True when it does.
    bool AcceptCompressedReplies() noexcept;
    // Sends the request and receives the reply's status line and headers.
    bool Send() noexcept;
    int Status() noexcept;                               // 0 when unknown
    std::wstring Header(const wchar_t* name) noexcept;   // the first header of that name; empty when absent
    std::optional<uint64_t> AnnouncedLength() noexcept;  // Content-Length, when the reply has one
    // Appends the body bytes that have arrived to `into`, waiting for the first of them; `ended` is set, and nothing
    // appended, at the end of the body. False when the read fails or times out, or when `into` would grow past
    // maxSize (LastResult() is then kReplyTooLarge).
    bool ReadArrived(std::string& into, uint64_t maxSize, bool& ended) noexcept;

  private:
    bool Succeeded(BOOL ok) noexcept;
    bool SetLimitsToTimeLeft() noexcept;

    Clock::time_point deadline_;
    int limitSet_ = -1;  // the platform's limits as last set, in milliseconds; -1 before the first
    HRESULT lastResult_ = S_OK;
    // Closed in reverse order: the request, then its connection, then the session.
    std::shared_ptr<const HttpSession> session_;
    UniqueInternet connection_;
    UniqueInternet request_;
};

inline const HRESULT kReplyTooLarge = HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);

// The bounds of one chunk request: the whole reply within `wait` from the start, at most `maxBytes` of body.
struct ReplyLimits {
    std::chrono::milliseconds wait{30'000};
    uint64_t maxBytes = uint64_t{64} << 20;
};

// How the caller of HttpGet waits for the request, which runs on a thread of its own.
class ReplyWait {
  public:
    virtual ~ReplyWait() = default;
    // True once `finished` is signalled; false at the deadline, or earlier when the caller gives the request up.
    virtual bool Wait(HANDLE finished, WebRequest::Clock::time_point deadline) noexcept = 0;
};

// One GET of the address (8-bit text, code page 936) with the tool's two request headers, within the limits. The
// reply body as received (an error status gives its page); empty text when the platform has no WinHTTP, the request
// fails, the body is over the byte limit (announced or not) or the reply is not complete in time. The request runs on
// a thread of its own, so the caller is let go at the deadline (or when its wait gives up) whatever the platform does;
// the request then ends on its own. Without a wait, the caller's thread simply blocks.
RtString HttpGet(const RtString& address, const ReplyLimits& limits = {}, ReplyWait* wait = nullptr) noexcept;
