#include "web/WebRequest.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <new>
#include <utility>

#include "framework/SystemLibraries.h"
#include "framework/Threads.h"
#include "framework/Win32.h"
#include "framework/Win32Handles.h"
#include "services/WString.h"
#include "web/WinHttpFunctions.h"

const wchar_t kToolUserAgent[] =
    L"Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/78.0.3904.108 "
    L"Safari/537.36";

namespace {

HRESULT LastErrorResult() noexcept {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

}  // namespace

bool CheckHttpPlatform() noexcept {
    const UniqueLibrary library(LoadSystemLibrary(L"winhttp.dll"));
    if (!library) return false;
    const FARPROC proc = GetProcAddress(library.Get(), "WinHttpCheckPlatform");
    if (!proc) return false;
    using CheckPlatform = BOOL(WINAPI*)();
    return reinterpret_cast<CheckPlatform>(reinterpret_cast<void*>(proc))() != FALSE;
}

void InternetHandleTraits::Close(void* h) noexcept {
    WinHttp().WinHttpCloseHandle(h);
}

HttpSession::HttpSession() noexcept
    : handle_(WinHttp().WinHttpOpen(kToolUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, 0)) {}

WebRequest::~WebRequest() = default;

bool WebRequest::Succeeded(BOOL ok) noexcept {
    lastResult_ = ok ? S_OK : LastErrorResult();
    return ok != FALSE;
}

// The platform's limits for the next call, set to the time left: resolving, connecting, sending, each receive, and
// the wait for the reply's headers (which Wine's synchronous send already does, and which no other limit bounds).
bool WebRequest::SetLimitsToTimeLeft() noexcept {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
    if (left <= 0) {
        lastResult_ = HRESULT_FROM_WIN32(ERROR_WINHTTP_TIMEOUT);
        return false;
    }
    const int limit = static_cast<int>(std::min<int64_t>(left, INT_MAX));
    // Setting them costs more than a read of what has arrived: within a quarter second of the time left they stay.
    if (limitSet_ >= 0 && std::abs(limit - limitSet_) < 250) return true;
    DWORD headersLimit = static_cast<DWORD>(limit);
    limitSet_ = limit;
    return Succeeded(WinHttp().WinHttpSetTimeouts(request_.Get(), limit, limit, limit, limit)) &&
           Succeeded(WinHttp().WinHttpSetOption(request_.Get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersLimit,
                                                sizeof(headersLimit)));
}

bool WebRequest::Open(const std::wstring& method, const std::wstring& address) noexcept {
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!Succeeded(WinHttp().WinHttpCrackUrl(address.c_str(), 0, 0, &parts))) return false;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                              std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    if (!session_) session_.reset(new (std::nothrow) HttpSession());
    if (!Succeeded(session_ && session_->Handle() ? TRUE : FALSE)) return false;
    connection_.Reset(WinHttp().WinHttpConnect(session_->Handle(), host.c_str(), parts.nPort, 0));
    if (!Succeeded(connection_ ? TRUE : FALSE)) return false;
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    request_.Reset(WinHttp().WinHttpOpenRequest(connection_.Get(), method.c_str(), path.empty() ? L"/" : path.c_str(),
                                                nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, secure));
    return Succeeded(request_ ? TRUE : FALSE);
}

bool WebRequest::SetRequestHeader(const std::wstring& name, const std::wstring& value) noexcept {
    if (!request_) return false;
    const std::wstring line = name + L": " + value;
    return Succeeded(WinHttp().WinHttpAddRequestHeaders(request_.Get(), line.c_str(), static_cast<DWORD>(line.size()),
                                                        WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE));
}

bool WebRequest::AcceptCompressedReplies() noexcept {
    DWORD all = WINHTTP_DECOMPRESSION_FLAG_ALL;  // an option of Windows 8.1 and later
    return request_ && WinHttp().WinHttpSetOption(request_.Get(), WINHTTP_OPTION_DECOMPRESSION, &all, sizeof(all));
}

bool WebRequest::Send() noexcept {
    if (!request_ || !SetLimitsToTimeLeft()) return false;
    if (!Succeeded(WinHttp().WinHttpSendRequest(request_.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                                WINHTTP_NO_REQUEST_DATA, 0, 0, 0)))
        return false;
    return SetLimitsToTimeLeft() && Succeeded(WinHttp().WinHttpReceiveResponse(request_.Get(), nullptr));
}

int WebRequest::Status() noexcept {
    DWORD status = 0;
    DWORD size = sizeof(status);
    const BOOL ok = request_ && WinHttp().WinHttpQueryHeaders(
                                    request_.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                    WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
    return ok ? static_cast<int>(status) : 0;
}

std::wstring WebRequest::Header(const wchar_t* name) noexcept {
    if (!request_) return {};
    wchar_t value[512]{};
    DWORD size = sizeof(value);
    if (!WinHttp().WinHttpQueryHeaders(request_.Get(), WINHTTP_QUERY_CUSTOM, name, value, &size,
                                       WINHTTP_NO_HEADER_INDEX))
        return {};
    return std::wstring(value, size / sizeof(wchar_t));
}

std::optional<uint64_t> WebRequest::AnnouncedLength() noexcept {
    const std::wstring length = Header(L"Content-Length");
    if (length.empty()) return std::nullopt;
    return std::wcstoull(length.c_str(), nullptr, 10);
}

// Only the bytes that are there are read: Wine's synchronous read waits until the whole buffer is full, which a
// trickling server stretches without end.
bool WebRequest::ReadArrived(std::string& into, uint64_t maxSize, bool& ended) noexcept {
    ended = false;
    DWORD available = 0;
    if (!request_ || !SetLimitsToTimeLeft() ||
        !Succeeded(WinHttp().WinHttpQueryDataAvailable(request_.Get(), &available)))
        return false;
    if (available == 0) {
        ended = true;
        return true;
    }
    const size_t at = into.size();
    if (at > maxSize || available > maxSize - at) {
        lastResult_ = kReplyTooLarge;
        return false;
    }
    if (into.capacity() < at + available) {  // grow by doubling, but never past the limit
        into.reserve(static_cast<size_t>(std::min<uint64_t>(std::max<uint64_t>(2 * at, at + available), maxSize)));
    }
    into.resize(at + available);
    DWORD read = 0;
    const bool ok = SetLimitsToTimeLeft() &&
                    Succeeded(WinHttp().WinHttpReadData(request_.Get(), into.data() + at, available, &read));
    into.resize(at + (ok ? read : 0));
    ended = ok && read == 0;
    return ok;
}

namespace {

// One chunk request carried out on a thread of its own; shared by that thread and the caller, who may leave first.
struct Transfer {
    Transfer(const RtString& a, WebRequest::Clock::time_point d, uint64_t m) : address(a), deadline(d), maxBytes(m) {}
    const RtString address;
    const WebRequest::Clock::time_point deadline;  // the caller's: the request ends by it too
    const uint64_t maxBytes;
    const UniqueKernelHandle finished{CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // set once body is written
    RtString body;  // read by the caller only after `finished` is set
};

void RunTransfer(Transfer& transfer) noexcept {
    WebRequest request(transfer.deadline);
    RtString body;
    bool ok = request.Open(L"GET", WideFromText(transfer.address)) &&
              request.SetRequestHeader(L"User-Agent", kToolUserAgent) &&
              request.SetRequestHeader(L"Accept", L"text/html, */*; q=0.01") && request.Send();
    const std::optional<uint64_t> announced = ok ? request.AnnouncedLength() : std::nullopt;
    ok = ok && announced.value_or(0) <= transfer.maxBytes;  // a reply announcing too much is not read at all
    if (ok && announced) body.reserve(static_cast<size_t>(*announced));
    for (bool ended = false; ok && !ended;) ok = request.ReadArrived(body, transfer.maxBytes, ended);
    if (ok) transfer.body = std::move(body);
    SetEvent(transfer.finished.Get());
}

class BlockingWait final : public ReplyWait {
  public:
    bool Wait(HANDLE finished, WebRequest::Clock::time_point deadline) noexcept override {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - WebRequest::Clock::now());
        const auto timeout = static_cast<DWORD>(std::clamp<int64_t>(left.count(), 0, INFINITE - 1));
        return WaitForSingleObject(finished, timeout) == WAIT_OBJECT_0;
    }
};

}  // namespace

RtString HttpGet(const RtString& address, const ReplyLimits& limits, ReplyWait* wait) noexcept {
    if (!CheckHttpPlatform()) return {};
    const WebRequest::Clock::time_point deadline = WebRequest::Clock::now() + limits.wait;
    const auto transfer = std::make_shared<Transfer>(address, deadline, limits.maxBytes);
    if (!transfer->finished || !StartDetachedThread([transfer] { RunTransfer(*transfer); })) {
        RunTransfer(*transfer);  // on this thread then, bounded by the deadline but for the platform's lag
        return std::move(transfer->body);
    }
    // The thread ends on its own, at the deadline at the latest but for the platform's lag.
    BlockingWait blocking;
    if (!(wait ? *wait : blocking).Wait(transfer->finished.Get(), deadline)) return {};  // let go
    return std::move(transfer->body);
}
