#include "scrape/PictureSet.h"

#include <algorithm>
#include <cstring>

namespace {

// A fast 64-bit hash of a short text, eight bytes per step.
uint64_t HashBytes(std::string_view text) {
    constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    uint64_t hash = text.size() * kMultiplier;
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 29;
    }
    uint64_t rest = 0;
    if (i < text.size()) std::memcpy(&rest, text.data() + i, text.size() - i);
    hash = (hash ^ rest) * kMultiplier;
    return hash ^ (hash >> 32);
}

}  // namespace

// The table's slot count is a power of two, so a hash picks its first slot by masking.
size_t PictureSet::FindSlot(std::string_view address, uint64_t hash) const {
    const size_t mask = table_.size() - 1;
    for (size_t slot = static_cast<size_t>(hash) & mask;; slot = (slot + 1) & mask) {
        const Slot& probe = table_[slot];
        if (probe.entry == 0) return slot;
        // The tag keeps the probes inside the table: an entry is only read when its hash very likely matches.
        if (probe.tag == Tag(hash) && Text(entries_[probe.entry - 1]) == address) return slot;
    }
}

void PictureSet::Grow() {
    table_.assign(std::max<size_t>(64, table_.size() * 2), Slot{});
    const size_t mask = table_.size() - 1;
    for (size_t i = 0; i < entries_.size(); ++i) {
        size_t slot = static_cast<size_t>(entries_[i].hash) & mask;
        while (table_[slot].entry != 0) slot = (slot + 1) & mask;
        table_[slot] = {static_cast<uint32_t>(i + 1), Tag(entries_[i].hash)};
    }
}

bool PictureSet::Contains(std::string_view address) const {
    return !table_.empty() && table_[FindSlot(address, HashBytes(address))].entry != 0;
}

bool PictureSet::Insert(std::string_view address) {
    if (2 * (entries_.size() + 1) > table_.size()) Grow();
    const uint64_t hash = HashBytes(address);
    const size_t slot = FindSlot(address, hash);
    if (table_[slot].entry != 0) return false;
    entries_.push_back({allLinksText_.size(), address.size(), hash});
    table_[slot] = {static_cast<uint32_t>(entries_.size()), Tag(hash)};
    allLinksText_.append(address).append("\r\n");
    return true;
}

void PictureSet::Clear() {
    entries_.clear();
    table_.clear();
    allLinksText_.clear();
}
