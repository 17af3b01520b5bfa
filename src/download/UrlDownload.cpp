#include "download/UrlDownload.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <new>
#include <vector>

#include "download/ErrorPage.h"
#include "download/FileNames.h"
#include "framework/Unique.h"
#include "framework/Win32.h"

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

struct FileHandleTraits {
    using Type = HANDLE;
    static HANDLE Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
using UniqueFile = Unique<FileHandleTraits>;

// The value of a header in a block of "Name: value\r\n" lines, up to the line's end; null when absent. Names compare
// case-insensitively.
const wchar_t* HeaderValue(const wchar_t* headers, const wchar_t* name, size_t& length) noexcept {
    if (!headers) return nullptr;
    const size_t nameLength = std::wcslen(name);
    for (const wchar_t* line = headers; *line;) {
        if (_wcsnicmp(line, name, nameLength) == 0 && line[nameLength] == L':') {
            const wchar_t* value = line + nameLength + 1;
            length = std::wcscspn(value, L"\r\n");
            return value;
        }
        const wchar_t* end = std::wcschr(line, L'\n');
        if (!end) break;
        line = end + 1;
    }
    return nullptr;
}

// Hears the download's progress and its reply, keeps the binding so that the watchdog thread can abort a download
// that breaks its limits, and keeps the byte count for that watchdog.
class DownloadCallback final : public IBindStatusCallback, public IHttpNegotiate {
  public:
    explicit DownloadCallback(const DownloadLimits& limits) noexcept : budget_(limits, Clock::now()) {}
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
        bool overLimit = false;
        {
            std::lock_guard lock(mutex_);
            if (statusCode == BINDSTATUS_BEGINDOWNLOADDATA || statusCode == BINDSTATUS_DOWNLOADINGDATA ||
                statusCode == BINDSTATUS_ENDDOWNLOADDATA) {
                received_ = progress;
                progressMax_ = progressMax;
                if (statusCode == BINDSTATUS_ENDDOWNLOADDATA) endSeen_ = true;
                budget_.Received(progress, Clock::now());
                overLimit = budget_.TooLarge();
            }
            if (abortRequested_) return E_ABORT;
        }
        if (overLimit) changed_.notify_all();  // the watchdog aborts the binding; this call stops it too
        return overLimit ? E_ABORT : S_OK;
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
        bool overLimit = false;
        {
            std::lock_guard lock(mutex_);
            status_ = static_cast<int>(status);
            size_t length = 0;
            const wchar_t* value = HeaderValue(headers, L"Content-Length", length);
            contentLength_ = value ? std::wcstoull(value, nullptr, 10) : 0;
            encoded_ = HeaderValue(headers, L"Content-Encoding", length) != nullptr;
            value = HeaderValue(headers, L"Content-Type", length);
            contentType_ = value ? std::wstring(value, length) : std::wstring();
            // A decoded reply's length counts encoded bytes, so it says nothing about the bytes that will arrive.
            if (!encoded_) budget_.Announced(contentLength_);
            overLimit = budget_.TooLarge();
        }
        if (overLimit) changed_.notify_all();  // returning E_ABORT here is ignored: the watchdog aborts the binding
        return S_OK;
    }

    // Watchdog thread: waits until the download ends, aborting it once it breaks its limits.
    void Watch() noexcept {
        std::unique_lock lock(mutex_);
        while (!finished_) {
            if (budget_.TooLarge()) {
                tooLarge_ = true;
                break;
            }
            const Clock::time_point slowFrom = budget_.SlowFrom();
            if (Clock::now() >= slowFrom) {
                tooSlow_ = true;
                break;
            }
            if (slowFrom == Clock::time_point::max()) {
                changed_.wait(lock);
            } else {
                changed_.wait_until(lock, slowFrom);  // woken early when the download ends or grows too large
            }
        }
        if (finished_) return;
        abortRequested_ = true;
        IBinding* binding = binding_;
        if (binding) binding->AddRef();
        lock.unlock();
        if (binding) {
            binding->Abort();  // the download's own thread returns from its call soon after
            binding->Release();
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
    void Describe(UrlDownloadOutcome& outcome, bool& encoded, bool& endSeen, std::wstring& contentType) noexcept {
        std::lock_guard lock(mutex_);
        outcome.httpStatus = status_;
        outcome.received = received_;
        // The length the download itself counts against; the header's when it gave none.
        outcome.announced = progressMax_ ? progressMax_ : encoded_ ? 0 : contentLength_;
        outcome.tooSlow = tooSlow_;
        outcome.tooLarge = tooLarge_ || budget_.TooLarge();
        encoded = encoded_;
        endSeen = endSeen_;
        contentType = contentType_;
    }

  private:
    ~DownloadCallback() {
        if (binding_) binding_->Release();
    }

    std::atomic<ULONG> references_{1};
    std::mutex mutex_;
    std::condition_variable changed_;
    IBinding* binding_ = nullptr;  // owned reference while the binding runs
    TransferBudget budget_;
    bool abortRequested_ = false;
    bool tooSlow_ = false;
    bool tooLarge_ = false;
    bool finished_ = false;
    int status_ = 0;
    uint64_t contentLength_ = 0;
    bool encoded_ = false;
    std::wstring contentType_;
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

UniqueFile OpenForReading(const std::wstring& path) noexcept {
    return UniqueFile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

constexpr DWORD kBlockSize = 64 * 1024;

// The file's first bytes after its leading blanks, as many as telling a page from a picture takes (fewer when the
// file ends first).
std::string StartAfterBlanks(const std::wstring& path) noexcept {
    std::string start;
    const UniqueFile file = OpenForReading(path);
    if (!file) return start;
    std::vector<char> block(kBlockSize);
    DWORD n = 0;
    while (start.size() < kPageMarkLength && ReadFile(file.Get(), block.data(), kBlockSize, &n, nullptr) && n > 0) {
        std::string_view bytes(block.data(), n);
        if (start.empty()) bytes.remove_prefix(LeadingBlanks(bytes));
        start.append(bytes.substr(0, kPageMarkLength - start.size()));
    }
    return start;
}

// True when both files can be read and hold the same bytes.
bool SameBytes(const std::wstring& a, const std::wstring& b) noexcept {
    const UniqueFile fileA = OpenForReading(a);
    const UniqueFile fileB = OpenForReading(b);
    LARGE_INTEGER sizeA{};
    LARGE_INTEGER sizeB{};
    if (!fileA || !fileB || !GetFileSizeEx(fileA.Get(), &sizeA) || !GetFileSizeEx(fileB.Get(), &sizeB) ||
        sizeA.QuadPart != sizeB.QuadPart)
        return false;
    std::vector<char> blockA(kBlockSize);
    std::vector<char> blockB(kBlockSize);
    for (int64_t left = sizeA.QuadPart; left > 0;) {
        const DWORD want = static_cast<DWORD>(std::min<int64_t>(left, kBlockSize));
        DWORD gotA = 0;
        DWORD gotB = 0;
        if (!ReadFile(fileA.Get(), blockA.data(), want, &gotA, nullptr) ||
            !ReadFile(fileB.Get(), blockB.data(), want, &gotB, nullptr) || gotA != want || gotB != want ||
            std::memcmp(blockA.data(), blockB.data(), want) != 0)
            return false;
        left -= want;
    }
    return true;
}

// Far more copies of one name than a folder ever holds; the search for a free name ends there.
constexpr unsigned kMostCopies = 10000;

// Puts the finished download under the target's name, or under the first free numbered name beside it; a file that
// already holds the same bytes is the picture itself. Judged by the files there afterwards, not by the calls' answers
// alone. False when the picture could not be put anywhere.
bool PlaceDownload(const std::wstring& partial, const std::wstring& target, int64_t size,
                   std::wstring& savedAs) noexcept {
    for (unsigned copy = 1; copy <= kMostCopies; ++copy) {
        const std::wstring name = NumberedTarget(target, copy);
        // Without MOVEFILE_REPLACE_EXISTING: a name that is taken, even a moment ago, is never written over.
        if (MoveFileExW(partial.c_str(), name.c_str(), 0)) {
            if (FileSize(name) != size || FileSize(partial) >= 0) return false;
            savedAs = name;
            return true;
        }
        if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) return false;  // free, yet not movable
        if (FileSize(name) >= 0 && SameBytes(partial, name)) {
            DeleteFileW(partial.c_str());
            savedAs = name;
            return true;
        }
    }
    return false;
}

}  // namespace

std::wstring PartialDownloadPath(const std::wstring& target) {
    const size_t nameStart = target.find_last_of(L"\\/") + 1;  // 0 when the target has no folder part
    std::wstring partial = target;
    partial.insert(nameStart, 1, L'~');
    return partial.append(L".part");
}

UrlDownloadOutcome DownloadUrlToFile(const std::wstring& link, const std::wstring& target,
                                     const DownloadLimits& limits) noexcept {
    const ComApartment apartment;
    UrlDownloadOutcome outcome;
    DownloadCallback* callback = new (std::nothrow) DownloadCallback(limits);
    if (!callback) return outcome;

    // The watchdog holds its own reference until it has returned.
    callback->AddRef();
    UniqueThreadHandle watchdog(CreateThread(nullptr, 0, WatchDownload, callback, 0, nullptr));
    if (!watchdog) callback->Release();

    // The picture arrives beside the target and takes a name only once it is whole: a failed download never
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
    std::wstring contentType;
    callback->Describe(outcome, encoded, endSeen, contentType);
    callback->Release();

    // A 404 page, a body cut short, an abort or a missing folder may all come back as S_OK: judge by what arrived.
    // An empty reply is no picture.
    const int64_t size = FileSize(partial);
    outcome.tooLarge = outcome.tooLarge || size > static_cast<int64_t>(limits.maxBytes);
    const bool whole = outcome.announced == 0 || outcome.received == outcome.announced;
    const bool sizeMatches = encoded || size == static_cast<int64_t>(outcome.received);
    const bool arrived = outcome.result == S_OK && !outcome.tooSlow && !outcome.tooLarge && outcome.httpStatus >= 200 &&
                         outcome.httpStatus < 300 && endSeen && outcome.received > 0 && whole && size > 0 &&
                         sizeMatches;
    outcome.errorPage = arrived && (IsPageContentType(contentType) || StartsLikePage(StartAfterBlanks(partial)));
    outcome.done = arrived && !outcome.errorPage && PlaceDownload(partial, target, size, outcome.savedAs);
    if (!outcome.done && FileSize(partial) >= 0) DeleteFileW(partial.c_str());
    return outcome;
}
