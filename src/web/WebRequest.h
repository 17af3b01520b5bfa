#pragma once
#include <cstdint>

#include "framework/Win32.h"
#include "services/RtString.h"
#include "web/ComPtr.h"
#include "web/WinHttpRequest.h"

// True when the system's winhttp.dll exists and its WinHttpCheckPlatform reports support. The library is loaded for
// the question only and freed again.
bool CheckHttpPlatform() noexcept;

// One HTTP request through the platform's WinHTTP request object. It lives for exactly one request and is used on one
// thread: COM is initialised for that thread on creation and uninitialised on release. Every call stores the platform's
// result code in LastResult(); when the object could not be created, every call does nothing.
// Texts going in are 8-bit (code page 936); the body comes back as the bytes received.
class WebRequest {
  public:
    WebRequest() noexcept;
    ~WebRequest();
    WebRequest(const WebRequest&) = delete;
    WebRequest& operator=(const WebRequest&) = delete;

    HRESULT LastResult() const noexcept { return lastResult_; }
    bool Created() const noexcept { return static_cast<bool>(request_); }

    HRESULT Open(const RtString& method, const RtString& address, bool async) noexcept;
    // Milliseconds; only takes effect after Open.
    HRESULT SetTimeouts(int32_t resolve, int32_t connect, int32_t send, int32_t receive) noexcept;
    HRESULT SetRequestHeader(const RtString& name, const RtString& value) noexcept;
    HRESULT Send(const VARIANT& body) noexcept;
    // Waits for the whole reply; 0 seconds waits without limit. The platform's "succeeded" flag; false without object.
    bool WaitForResponse(int32_t seconds) noexcept;
    RtString ResponseBody() noexcept;

  private:
    HRESULT lastResult_ = S_OK;
    ComPtr<IWinHttpRequest> request_;
    bool ownsComInit_ = false;
};

inline constexpr int32_t kResponseWaitSeconds = 30;

// One GET of the address with the tool's two request headers, waiting at most kResponseWaitSeconds. The reply body as
// received (an error status gives its page); empty text when the platform has no WinHTTP, the request fails or the
// reply is not complete in time.
RtString HttpGet(const RtString& address) noexcept;
