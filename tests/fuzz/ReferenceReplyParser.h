#pragma once
// The reply parse written the slow, obvious way with the tool's text operations (every piece found again from the
// start, every "\/" replaced in the whole tail): the parser must list exactly the same addresses.
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "services/RtString.h"

inline std::vector<std::string> ReferencePictureAddresses(std::string_view reply, std::set<std::string>& seen) {
    std::vector<std::string> listed;
    const int64_t pieces = CountPieces(reply, "?imageView");
    for (int64_t k = 1; k < pieces; ++k) {
        const RtString piece = GetPiece(reply, "?imageView", k);
        const int64_t at = InStrRev(piece, "http", -1);
        if (at == 0) continue;
        const RtString address = "http" + ReplaceAll(Mid(piece, at + 4), "\\/", "/");
        if (address.size() > 100) continue;
        if (seen.insert(address).second) listed.push_back(address);
    }
    return listed;
}
