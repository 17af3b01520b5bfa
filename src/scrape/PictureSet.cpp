#include "scrape/PictureSet.h"

#include <algorithm>
#include <functional>

bool PictureSet::Insert(std::string_view address) {
    const size_t hash = std::hash<std::string_view>{}(address);
    const auto [first, last] = table_->placesByHash.equal_range(hash);
    const auto holdsAddress = [&](const auto& entry) {
        return std::string_view(allLinksText_).substr(entry.second.offset, entry.second.size) == address;
    };
    if (std::any_of(first, last, holdsAddress)) return false;  // an equal hash alone makes no duplicate
    table_->placesByHash.emplace_hint(first, hash, Place{allLinksText_.size(), address.size()});
    allLinksText_.append(address).append("\r\n");
    return true;
}

void PictureSet::Clear() {
    table_ = std::make_unique<Table>();
    allLinksText_.clear();
}
