#include "download/UrlDownload.h"

#include <optional>

#include "download/ErrorPage.h"
#include "download/PictureFiles.h"
#include "framework/Win32.h"
#include "web/WebRequest.h"

namespace {

bool WriteAll(HANDLE file, const std::string& bytes) noexcept {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// One GET of the link, its body written into the file as it arrives. Every wait of the transfer ends when the pace
// limit would be broken, so a silent or trickling server is given up on time without a watchdog. True when the whole
// body of a 2xx reply arrived (every announced byte, and nothing in a coding the platform could not decode).
bool Fetch(const std::wstring& link, HANDLE file, const DownloadLimits& limits, UrlDownloadOutcome& outcome,
           std::wstring& contentType) noexcept {
    TransferBudget budget(limits, WebRequest::Clock::now());
    WebRequest request(budget.SlowFrom());
    const auto gaveUp = [&] {
        outcome.result = request.LastResult();
        outcome.tooSlow = budget.TooSlow(WebRequest::Clock::now());
        outcome.tooLarge = budget.TooLarge() || outcome.result == kReplyTooLarge;
        return false;
    };
    if (!request.Open(L"GET", link) || !request.SetRequestHeader(L"User-Agent", kToolUserAgent)) return gaveUp();
    const bool decoded = request.AcceptCompressedReplies();
    if (!request.Send()) return gaveUp();
    outcome.httpStatus = request.Status();
    contentType = request.Header(L"Content-Type");
    const std::wstring coding = request.Header(L"Content-Encoding");
    const bool encoded = !coding.empty() && _wcsicmp(coding.c_str(), L"identity") != 0;
    if (encoded && !decoded) return false;  // bytes in a coding nobody here decodes are no picture
    // A decoded reply's length counts encoded bytes, so it says nothing about the bytes that will arrive.
    outcome.announced = encoded ? 0 : request.AnnouncedLength().value_or(0);
    budget.Announced(outcome.announced);
    if (budget.TooLarge()) return gaveUp();

    std::string piece;
    for (bool ended = false; !ended;) {
        piece.clear();
        request.SetDeadline(budget.SlowFrom());
        if (!request.ReadArrived(piece, limits.maxBytes - outcome.received, ended) || !WriteAll(file, piece))
            return gaveUp();
        outcome.received += piece.size();
        budget.Received(outcome.received, WebRequest::Clock::now());
    }
    const bool whole = outcome.announced == 0 || outcome.received == outcome.announced;
    return outcome.httpStatus >= 200 && outcome.httpStatus < 300 && whole;
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
    UrlDownloadOutcome outcome;
    // The picture arrives beside the target and takes a name only once it is whole: a failed download never
    // destroys a picture an earlier download saved there.
    const std::wstring partial = PartialDownloadPath(target);
    std::wstring contentType;
    bool arrived = false;
    {
        const UniqueFile file(CreateFileW(partial.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        arrived = file && Fetch(link, file.Get(), limits, outcome, contentType);
    }
    const int64_t size = FileSize(partial);
    arrived = arrived && size > 0 && static_cast<uint64_t>(size) == outcome.received;
    outcome.errorPage = arrived && (IsPageContentType(contentType) || StartsLikePage(StartAfterBlanks(partial)));
    outcome.done = arrived && !outcome.errorPage && PlaceDownload(partial, target, size, outcome.savedAs);
    if (!outcome.done && FileSize(partial) >= 0) DeleteFileW(partial.c_str());
    return outcome;
}
