#include "download/UrlDownload.h"

#include <atomic>
#include <condition_variable>
#include <cwchar>
#include <mutex>
#include <new>

#include "framework/Win32.h"
#include "framework/Unique.h"

#include <urlmon.h>
#include <wininet.h>

namespace {

using Clock = std::chrono::steady_clock;

struct ThreadHandleTraits {
    using Type = HANDLE;
    static HANDLE Empty() noexcept { return nullptr; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
using UniqueThreadHandle = Unique<ThreadHandleTraits>;

// Value of a numeric header in a block of "Name: value\r\n" lines; 0 when absent. Names compare case-insensitively.
uint64_t HeaderNumber(const wchar_t* headers, const wchar_t* name) noexcept {
    if (!headers) return 0;
    const size_t nameLength = std::wcslen(name);
    for (const wchar_t* line = headers; *line;) {
        if (_wcsnicmp(line, name, nameLength) == 0 && line[nameLength] == L':') {
            return std::wcstoull(line + nameLength + 1, nullptr, 10);
        }
        const wchar_t* end = std::wcschr(line, L'\n');
        if (!end) break;
        line = end + 1;
    }
    return 0;
}

bool HasHeader(const wchar_t* headers, const wchar_t* name) noexcept {
    if (!headers) return false;
    const size_t nameLength = std::wcslen(name);
    for (const wchar_t* line = headers; *line;) {
        if (_wcsnicmp(line, name, nameLength) == 0 && line[nameLength] == L':') return true;
        const wchar_t* end = std::wcschr(line, L'\n');
        if (!end) break;
        line = end + 1;
    }
    return false;
}

// Hears the download's progress and its HTTP status, keeps the binding so that a stalled download can be aborted
// from the watchdog thread, and tells the watchdog when data last arrived.
class DownloadCallback final : public IBindStatusCallback, public IHttpNegotiate {
  public:
    explicit DownloadCallback(std::chrono::milliseconds stallLimit) noexcept : stallLimit_(stallLimit) {}
    DownloadCallback(const DownloadCallback&) = delete;
    DownloadCallback& operator=(const DownloadCallback&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
            *out = static_cast<IBindStatusCallback*>(this);
        } else if (IsEqualIID(iid, IID_IHttpNegotiate)) {
            *out = static_cast<IHttpNegotiate*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // IBindStatusCallback
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) noexcept override {
        std::unique_lock lock(mutex_);
        if (binding_) binding_->Release();
        binding_ = binding;
        if (binding_) binding_->AddRef();
        lastData_ = Clock::now();
        if (abortRequested_ && binding_) {
            IBinding* late = binding_;
            late->AddRef();
            lock.unlock();
            late->Abort();
            late->Release();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                         LPCWSTR) noexcept override {
        std::lock_guard lock(mutex_);
        if (statusCode == BINDSTATUS_BEGINDOWNLOADDATA || statusCode == BINDSTATUS_DOWNLOADINGDATA ||
            statusCode == BINDSTATUS_ENDDOWNLOADDATA) {
            if (progress != received_ || statusCode != BINDSTATUS_DOWNLOADINGDATA) lastData_ = Clock::now();
            received_ = progress;
            progressMax_ = progressMax;
            if (statusCode == BINDSTATUS_ENDDOWNLOADDATA) endSeen_ = true;
        }
        return abortRequested_ ? E_ABORT : S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) noexcept override {
        std::lock_guard lock(mutex_);
        if (binding_) binding_->Release();
        binding_ = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO*) noexcept override {
        if (flags) *flags |= BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) noexcept override { return S_OK; }

    // IHttpNegotiate
    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additional) noexcept override {
        if (additional) *additional = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD status, LPCWSTR headers, LPCWSTR, LPWSTR* additional) noexcept override {
        if (additional) *additional = nullptr;
        std::lock_guard lock(mutex_);
        status_ = static_cast<int>(status);
        contentLength_ = HeaderNumber(headers, L"Content-Length");
        encoded_ = HasHeader(headers, L"Content-Encoding");
        lastData_ = Clock::now();
        return S_OK;
    }

    // Watchdog thread: waits until the download ends, aborting it when no data came for the stall limit.
    void Watch() noexcept {
        std::unique_lock lock(mutex_);
        while (!finished_) {
            const Clock::time_point deadline = lastData_ + stallLimit_;
            if (changed_.wait_until(lock, deadline, [&] { return finished_; })) break;
            if (Clock::now() < lastData_ + stallLimit_) continue;  // data arrived meanwhile
            stalled_ = abortRequested_ = true;
            IBinding* binding = binding_;
            if (binding) binding->AddRef();
            lock.unlock();
            if (binding) {
                binding->Abort();  // the download's own thread returns from its call soon after
                binding->Release();
            }
            return;
        }
    }
    void Finish() noexcept {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        changed_.notify_all();
    }

    // Read after the download has ended.
    void Describe(UrlDownloadOutcome& outcome, bool& encoded, bool& endSeen) noexcept {
        std::lock_guard lock(mutex_);
        outcome.httpStatus = status_;
        outcome.received = received_;
        // The length the download itself counts against; the header's when it gave none. A decoded reply's header
        // counts encoded bytes, so it says nothing about the bytes received.
        outcome.announced = progressMax_ ? progressMax_ : encoded_ ? 0 : contentLength_;
        outcome.stalled = stalled_;
        encoded = encoded_;
        endSeen = endSeen_;
    }

  private:
    ~DownloadCallback() {
        if (binding_) binding_->Release();
    }

    std::atomic<ULONG> references_{1};
    const std::chrono::milliseconds stallLimit_;
    std::mutex mutex_;
    std::condition_variable changed_;
    IBinding* binding_ = nullptr;  // owned reference while the binding runs
    Clock::time_point lastData_ = Clock::now();
    bool abortRequested_ = false;
    bool stalled_ = false;
    bool finished_ = false;
    int status_ = 0;
    uint64_t contentLength_ = 0;
    bool encoded_ = false;
    ULONG received_ = 0;
    ULONG progressMax_ = 0;
    bool endSeen_ = false;
};

DWORD WINAPI WatchDownload(void* callback) noexcept {
    static_cast<DownloadCallback*>(callback)->Watch();
    return 0;
}

// COM for the calling thread while it downloads; a thread that already has its apartment keeps it.
class ComApartment {
  public:
    ComApartment() noexcept : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (initialized_) CoUninitialize();
    }

  private:
    bool initialized_;
};

// Size of the plain file at the path; -1 when there is none (missing, or a folder).
int64_t FileSize(const std::wstring& path) noexcept {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

// Puts the finished download in place of whatever the target held. Judged by the file the target then is, not by
// the call's answer alone.
bool MoveOver(const std::wstring& partial, const std::wstring& target, int64_t size) noexcept {
    if (!MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    return FileSize(target) == size && FileSize(partial) < 0;
}

}  // namespace

std::wstring PartialDownloadPath(const std::wstring& target) {
    const size_t nameStart = target.find_last_of(L"\\/") + 1;  // 0 when the target has no folder part
    std::wstring partial = target;
    partial.insert(nameStart, 1, L'~');
    return partial.append(L".part");
}

UrlDownloadOutcome DownloadUrlToFile(const std::wstring& link, const std::wstring& target,
                                     std::chrono::milliseconds stallLimit) noexcept {
    const ComApartment apartment;
    UrlDownloadOutcome outcome;
    DownloadCallback* callback = new (std::nothrow) DownloadCallback(stallLimit);
    if (!callback) return outcome;

    // The watchdog holds its own reference until it has returned.
    callback->AddRef();
    UniqueThreadHandle watchdog(CreateThread(nullptr, 0, WatchDownload, callback, 0, nullptr));
    if (!watchdog) callback->Release();

    // The picture arrives beside the target and replaces it only once it is whole: a failed download never
    // destroys a picture an earlier download saved there.
    const std::wstring partial = PartialDownloadPath(target);
    DeleteUrlCacheEntryW(link.c_str());  // a link without an entry is normal
    outcome.result = URLDownloadToFileW(nullptr, link.c_str(), partial.c_str(), 0, callback);
    DeleteUrlCacheEntryW(link.c_str());

    callback->Finish();
    if (watchdog) {
        WaitForSingleObject(watchdog.Get(), INFINITE);
        callback->Release();
    }
    bool encoded = false;
    bool endSeen = false;
    callback->Describe(outcome, encoded, endSeen);
    callback->Release();

    // A 404 page, a body cut short, a stall or a missing folder may all come back as S_OK: judge by what arrived.
    // An empty reply is no picture.
    const int64_t size = FileSize(partial);
    const bool whole = outcome.announced == 0 || outcome.received == outcome.announced;
    const bool sizeMatches = encoded || size == static_cast<int64_t>(outcome.received);
    outcome.done = outcome.result == S_OK && !outcome.stalled && outcome.httpStatus >= 200 &&
                   outcome.httpStatus < 300 && endSeen && outcome.received > 0 && whole && size > 0 && sizeMatches &&
                   MoveOver(partial, target, size);
    if (!outcome.done && FileSize(partial) >= 0) DeleteFileW(partial.c_str());
    return outcome;
}
