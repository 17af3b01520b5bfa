#pragma once
#include <cstddef>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>

// The addresses listed during one search: the duplicate test (exact match) and the text copied to the clipboard.
class PictureSet {
  public:
    // True when the address was not listed before; it is then kept and appended to the links text.
    bool Insert(std::string_view address);
    size_t Count() const { return table_->placesByHash.size(); }
    // Every listed address followed by CR LF, in the order of the rows.
    const std::string& AllLinksText() const { return allLinksText_; }
    void Clear();

  private:
    struct Place {  // of an address in allLinksText_
        size_t offset;
        size_t size;
    };
    // Each address is kept once, in the links text, and found there through the hash of its text: one small node per
    // address keeps the set of a long search in the cache, which a copy of each text in its own node would not.
    struct Table {
        std::pmr::monotonic_buffer_resource nodes;  // one after another, so a long search's set stays compact
        std::pmr::unordered_multimap<size_t, Place> placesByHash{&nodes};
    };
    std::unique_ptr<Table> table_ = std::make_unique<Table>();
    std::string allLinksText_;
};
