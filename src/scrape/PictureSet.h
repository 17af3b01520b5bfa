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
    // The table slot that holds the address, or the free slot where it would go.
    size_t FindSlot(std::string_view address, uint64_t hash) const;
    std::string_view Text(const Entry& entry) const { return {allLinksText_.data() + entry.offset, entry.size}; }
    void Grow();

    std::vector<Entry> entries_;   // in listing order
    std::vector<uint32_t> table_;  // open addressing: entry index + 1, 0 for a free slot; at most half full
    std::string allLinksText_;
};
