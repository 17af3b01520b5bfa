#pragma once
#include <memory>
#include <string>

#include "download/DownloadLimits.h"

class HttpSession;

// Downloads the address (one GET through WinHTTP, in the session) into a partial file of its own beside the target,
// and puts the picture under the target's name once it is whole: the reply's status was 200 or 203; every announced
// byte arrived (or, with no length to compare with, the bytes of a known picture format reach that format's end); and
// it is no HTML or JSON page. A file already under that name with the same bytes is the picture itself; other bytes
// send it to the first free name "N (2).ext", "N (3).ext", ... Nothing there is ever written over, and nothing of a
// failed download stays.
// Gives up, without waiting for the platform, as soon as the transfer breaks the limits, the wait for the status line
// and headers included: the transfer is then left to end on its own thread, and its partial file goes when it does
// (or when the process ends). True only for a picture saved whole. Blocks the calling thread. Any thread.
bool DownloadPictureFile(const std::wstring& link, const std::wstring& target, const DownloadLimits& limits,
                         const std::shared_ptr<const HttpSession>& session) noexcept;
