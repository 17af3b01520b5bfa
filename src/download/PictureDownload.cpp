#include "download/PictureDownload.h"

#include <condition_variable>
#include <mutex>
#include <new>
#include <optional>
#include <utility>

#include "download/ErrorPage.h"
#include "download/PictureFiles.h"
#include "download/PictureStructure.h"
#include "framework/Threads.h"
#include "framework/Win32.h"
#include "web/WebRequest.h"

namespace {

using Clock = WebRequest::Clock;

// One attempt at one picture, shared by the download that waits for it and the thread that transfers it. The thread
// may outlive the wait: once the download has given up, the attempt belongs to the thread alone.
struct Attempt {
    Attempt(const std::wstring& l, const DownloadLimits& lim, std::shared_ptr<const HttpSession> s, PartialFile f)
        : link(l), limits(lim), session(std::move(s)), budget(lim, Clock::now()), file(std::move(f)) {}
    const std::wstring link;
    const DownloadLimits limits;
    const std::shared_ptr<const HttpSession> session;

    std::mutex mutex;
    std::condition_variable changed;
    TransferBudget budget;   // guarded by mutex
    bool finished = false;   // guarded: the transfer has ended; what follows is the download's to read
    bool abandoned = false;  // guarded: the download gave up; the transfer's thread cleans up after itself

    PartialFile file;
    bool arrived = false;  // every byte of a reply with status 200 or 203, written to the file
    bool vouched = false;  // its length was announced, so the byte count could be compared with it
    uint64_t received = 0;
    std::wstring contentType;
    PageStart start;
    PictureStructure structure;
};

Clock::time_point SlowFrom(Attempt& attempt) {
    std::lock_guard hold(attempt.mutex);
    return attempt.budget.SlowFrom();
}

// The transfer itself: each call to the platform ends by the pace limit on Windows, where its time-outs hold; under
// Wine a call can outlast them, which the waiting download does not wait for.
bool Transfer(Attempt& attempt) noexcept {
    WebRequest request(SlowFrom(attempt), attempt.session);
    if (!request.Open(L"GET", attempt.link) || !request.SetRequestHeader(L"User-Agent", kToolUserAgent)) return false;
    const bool decoded = request.AcceptCompressedReplies();
    if (!request.Send()) return false;
    // Only a whole reply is a picture: 206 (partial content) or any other status is not, whatever its body.
    const int status = request.Status();
    if (status != 200 && status != 203) return false;
    attempt.contentType = request.Header(L"Content-Type");
    const std::wstring coding = request.Header(L"Content-Encoding");
    const bool encoded = !coding.empty() && _wcsicmp(coding.c_str(), L"identity") != 0;
    if (encoded && !decoded) return false;  // bytes in a coding nobody here decodes are no picture
    // A decoded reply's length counts encoded bytes, so it says nothing about the bytes that will arrive.
    const std::optional<uint64_t> length = encoded ? std::nullopt : request.AnnouncedLength();
    attempt.vouched = length.has_value();
    const uint64_t announced = length.value_or(0);
    {
        std::lock_guard hold(attempt.mutex);
        attempt.budget.Announced(announced);
        if (attempt.budget.TooLarge()) return false;
    }
    std::string piece;
    for (bool ended = false; !ended;) {
        piece.clear();
        request.SetDeadline(SlowFrom(attempt));
        if (!request.ReadArrived(piece, attempt.limits.maxBytes - attempt.received, ended) ||
            !attempt.file.Write(piece))
            return false;
        attempt.received += piece.size();
        attempt.start.Feed(piece);
        if (!attempt.vouched) attempt.structure.Feed(piece);  // needed only where no length vouches
        std::lock_guard hold(attempt.mutex);
        attempt.budget.Received(attempt.received, Clock::now());
        attempt.changed.notify_all();
    }
    return !attempt.vouched || attempt.received == announced;
}

void TransferAndReport(const std::shared_ptr<Attempt>& attempt) noexcept {
    const bool arrived = Transfer(*attempt);  // the request and its connection are closed by now
    std::unique_lock hold(attempt->mutex);
    if (attempt->abandoned) {
        hold.unlock();
        attempt->file.Discard();
        return;
    }
    attempt->arrived = arrived;
    attempt->finished = true;
    attempt->changed.notify_all();
}

// Waits until the transfer has ended or has become too slow; false when the download gives up on it.
bool WaitForTransfer(Attempt& attempt) noexcept {
    std::unique_lock hold(attempt.mutex);
    while (!attempt.finished) {
        const Clock::time_point slowFrom = attempt.budget.SlowFrom();
        if (Clock::now() >= slowFrom) {
            attempt.abandoned = true;
            return false;
        }
        attempt.changed.wait_until(hold, slowFrom);
    }
    return true;
}

bool IsWholePicture(const Attempt& attempt) noexcept {
    if (!attempt.arrived || attempt.received == 0 || attempt.file.Size() != static_cast<int64_t>(attempt.received))
        return false;
    if (IsPageContentType(attempt.contentType) || attempt.start.LooksLikePage()) return false;
    // With no length to compare with, the picture's own structure vouches for it, where its format is known.
    return attempt.vouched || attempt.structure.Shape() != PictureShape::Cut;
}

}  // namespace

bool DownloadPictureFile(const std::wstring& link, const std::wstring& target, const DownloadLimits& limits,
                         const std::shared_ptr<const HttpSession>& session) noexcept {
    PartialFile file = PartialFile::CreateBeside(target);
    if (!file) return false;
    std::shared_ptr<Attempt> attempt(new (std::nothrow) Attempt(link, limits, session, std::move(file)));
    if (!attempt) return false;
    if (!StartDetachedThread([attempt] { TransferAndReport(attempt); })) TransferAndReport(attempt);
    if (!WaitForTransfer(*attempt)) return false;
    return IsWholePicture(*attempt) && attempt->file.PutInPlace(target);
}
