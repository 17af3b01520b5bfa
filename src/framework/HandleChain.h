#pragma once
#include <array>
#include <cstddef>
#include <memory>
#include <vector>

// The storage rule of the window-to-record table: blocks of 100 (handle, record) pairs, created on first insertion.
// A handle already present keeps its pair and gets the new record; a new handle takes the first empty pair from the
// first block on; when every pair is taken a new block is appended. Removing clears the pair, which the next
// insertion reuses; blocks are never freed. The null handle marks an empty pair and is never stored or found.
// Not synchronised: one thread only.
template <typename Handle, typename Record>
class HandleChain {
  public:
    static constexpr size_t kBlockSize = 100;

    void Insert(Handle handle, Record* record) {
        if (handle == Handle{}) return;
        Entry* firstEmpty = nullptr;
        for (auto& block : blocks_) {
            for (Entry& e : *block) {
                if (e.handle == handle) {
                    e.record = record;
                    return;
                }
                if (e.handle == Handle{} && firstEmpty == nullptr) firstEmpty = &e;
            }
        }
        if (firstEmpty == nullptr) {
            blocks_.push_back(std::make_unique<Block>());
            firstEmpty = &blocks_.back()->front();
        }
        firstEmpty->handle = handle;
        firstEmpty->record = record;
    }

    Record* Find(Handle handle) const {
        if (handle == Handle{}) return nullptr;
        for (const auto& block : blocks_) {
            for (const Entry& e : *block) {
                if (e.handle == handle) return e.record;
            }
        }
        return nullptr;
    }

    // Clears the handle's pair; false when it was not there.
    bool Remove(Handle handle) {
        if (handle == Handle{}) return false;
        for (auto& block : blocks_) {
            for (Entry& e : *block) {
                if (e.handle == handle) {
                    e = Entry{};
                    return true;
                }
            }
        }
        return false;
    }

    size_t BlockCount() const { return blocks_.size(); }
    size_t Count() const {
        size_t n = 0;
        for (const auto& block : blocks_) {
            for (const Entry& e : *block) n += e.handle != Handle{};
        }
        return n;
    }
    // 0-based index of the handle's pair across the blocks (block * 100 + slot), or -1.
    long SlotOf(Handle handle) const {
        if (handle == Handle{}) return -1;
        long slot = 0;
        for (const auto& block : blocks_) {
            for (const Entry& e : *block) {
                if (e.handle == handle) return slot;
                ++slot;
            }
        }
        return -1;
    }

  private:
    struct Entry {
        Handle handle{};
        Record* record = nullptr;
    };
    using Block = std::array<Entry, kBlockSize>;
    std::vector<std::unique_ptr<Block>> blocks_;
};
