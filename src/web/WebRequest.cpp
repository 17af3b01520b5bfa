#include "web/WebRequest.h"

#include <string>
#include <utility>

#include "framework/Win32.h"
#include "framework/Win32Handles.h"
#include "services/WString.h"
#include "web/Variant.h"

namespace {

constexpr char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/78.0.3904.108 "
    "Safari/537.36";
constexpr char kAccept[] = "text/html, */*; q=0.01";

// Connect, send and receive limits of the platform, in milliseconds. Wine ends a body read on its own after 30 s, and
// reading the body after that has crashed the process; limits above the wait make our wait always end first.
constexpr int32_t kResolveLimit = 0;  // the platform's default: no limit of its own
constexpr int32_t kTransferLimit = (kResponseWaitSeconds + 30) * 1000;

}  // namespace

bool CheckHttpPlatform() noexcept {
    // By full path, so that a winhttp.dll placed beside the executable is never the one loaded.
    wchar_t system[MAX_PATH]{};
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    const std::wstring path = std::wstring(system, n) + L"\\winhttp.dll";
    const UniqueLibrary library(LoadLibraryW(path.c_str()));
    if (!library) return false;
    const FARPROC proc = GetProcAddress(library.Get(), "WinHttpCheckPlatform");
    if (!proc) return false;
    using CheckPlatform = BOOL(WINAPI*)();
    return reinterpret_cast<CheckPlatform>(reinterpret_cast<void*>(proc))() != FALSE;
}

WebRequest::WebRequest() noexcept {
    const HRESULT init = CoInitialize(nullptr);
    ownsComInit_ = init == S_OK || init == S_FALSE;
    lastResult_ =
        CoCreateInstance(kClsidWinHttpRequest, nullptr, CLSCTX_INPROC_SERVER, kIidIWinHttpRequest, request_.Put());
}

namespace {

// Wine's request object reports the reply complete from its worker thread a moment before that thread writes the
// last read count into the object; released at once, the object's memory can be written after it was freed (seen as
// a heap fault after thousands of chunk requests). So a thread's finished request object is kept, with the COM
// initialisation it needs, until the thread's next request ends or the thread itself ends.
struct FinishedRequest {
    ComPtr<IWinHttpRequest> request;
    bool ownsComInit = false;

    FinishedRequest() = default;
    FinishedRequest(const FinishedRequest&) = delete;
    FinishedRequest& operator=(const FinishedRequest&) = delete;
    ~FinishedRequest() { Release(); }
    void Release() noexcept {
        request.Reset();  // before COM goes away on this thread
        if (std::exchange(ownsComInit, false)) CoUninitialize();
    }
};
thread_local FinishedRequest finishedRequest;

}  // namespace

WebRequest::~WebRequest() {
    finishedRequest.Release();
    finishedRequest.request = std::move(request_);
    finishedRequest.ownsComInit = ownsComInit_;
}

HRESULT WebRequest::Open(const RtString& method, const RtString& address, bool async) noexcept {
    if (!request_) return lastResult_;
    const Bstr methodText(method);
    const Bstr addressText(address);
    Variant asyncFlag;
    asyncFlag.SetBool(async);
    return lastResult_ = request_->Open(methodText.Get(), addressText.Get(), asyncFlag.Get());
}

HRESULT WebRequest::SetTimeouts(int32_t resolve, int32_t connect, int32_t send, int32_t receive) noexcept {
    if (!request_) return lastResult_;
    return lastResult_ = request_->SetTimeouts(resolve, connect, send, receive);
}

HRESULT WebRequest::SetRequestHeader(const RtString& name, const RtString& value) noexcept {
    if (!request_) return lastResult_;
    const Bstr nameText(name);
    const Bstr valueText(value);
    return lastResult_ = request_->SetRequestHeader(nameText.Get(), valueText.Get());
}

HRESULT WebRequest::Send(const VARIANT& body) noexcept {
    if (!request_) return lastResult_;
    return lastResult_ = request_->Send(body);
}

bool WebRequest::WaitForResponse(int32_t seconds) noexcept {
    if (!request_) return false;
    Variant timeout;
    if (seconds == 0) {
        timeout.SetMissing();
    } else {
        timeout.SetInt(seconds);
    }
    // Wine answers S_OK without writing the flag when the whole reply was in before the wait began (on the window
    // thread about one fast chunk request in ten): a flag left as it was means a complete reply.
    constexpr VARIANT_BOOL kUnwritten = 0x5A5A;
    VARIANT_BOOL succeeded = kUnwritten;
    lastResult_ = request_->WaitForResponse(timeout.Get(), &succeeded);
    if (succeeded == kUnwritten) return lastResult_ == S_OK;
    return succeeded != VARIANT_FALSE;
}

RtString WebRequest::ResponseBody() noexcept {
    if (!request_) return {};
    Variant body;  // cleared on return, which frees the array
    lastResult_ = request_->get_ResponseBody(body.Out());
    if (lastResult_ != S_OK || V_VT(&body.Get()) != (VT_ARRAY | VT_UI1)) return {};
    SAFEARRAY* array = V_ARRAY(&body.Get());
    if (!array || SafeArrayGetDim(array) != 1) return {};
    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(lastResult_ = SafeArrayGetLBound(array, 1, &lower))) return {};
    if (FAILED(lastResult_ = SafeArrayGetUBound(array, 1, &upper))) return {};
    const int64_t length = int64_t{upper} - lower + 1;
    if (length <= 0) return {};
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data)) || !data) return {};
    RtString bytes(static_cast<const char*>(data), static_cast<size_t>(length));  // zero bytes stay in place
    SafeArrayUnaccessData(array);
    return bytes;
}

RtString HttpGet(const RtString& address) noexcept {
    if (!CheckHttpPlatform()) return {};
    WebRequest request;
    request.Open("GET", address, true);
    request.SetTimeouts(kResolveLimit, kTransferLimit, kTransferLimit, kTransferLimit);
    request.SetRequestHeader("User-Agent", kUserAgent);
    request.SetRequestHeader("Accept", kAccept);
    {
        Variant noBody;
        noBody.SetBstr(SysAllocString(L""));
        request.Send(noBody.Get());
    }
    // A reply that did not complete is dropped whole: reading a body after a failed wait can crash under Wine.
    const bool complete = request.WaitForResponse(kResponseWaitSeconds);
    if (!complete || FAILED(request.LastResult())) return {};
    return request.ResponseBody();
}
