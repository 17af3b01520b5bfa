#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The addresses listed during one search: the duplicate test and the text copied to the clipboard. A flat hash
// table whose entries point into the links text, so listing an address costs no allocation of its own.
class PictureSet {
  public:
    // True when the address was not listed before; it is then kept and appended to the links text.
    bool Insert(std::string_view address);
    bool Contains(std::string_view address) const;
    size_t Count() const { return entries_.size(); }
    // Every listed address followed by CR LF, in the order of the rows.
    const std::string& AllLinksText() const { return allLinksText_; }
    void Clear();

  private:
    struct Entry {
        size_t offset;  // into allLinksText_
        size_t size;
        uint64_t hash;
    };
    struct Slot {
        uint32_t entry = 0;  // index into entries_ + 1; 0 for a free slot
        uint32_t tag = 0;    // the high half of the entry's hash (the low half chose the slot)
    };
    static uint32_t Tag(uint64_t hash) { return static_cast<uint32_t>(hash >> 32); }
    // The table slot that holds the address, or the free slot where it would go.
    size_t FindSlot(std::string_view address, uint64_t hash) const;
    std::string_view Text(const Entry& entry) const { return {allLinksText_.data() + entry.offset, entry.size}; }
    void Grow();

    std::vector<Entry> entries_;  // in listing order
    std::vector<Slot> table_;     // open addressing, linear probing; at most half full
    std::string allLinksText_;
};
