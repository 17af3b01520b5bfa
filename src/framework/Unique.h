#pragma once
#include <utility>

// Owner of one platform handle. A traits struct says what "empty" is and how to close it.
// Move-only: Get() borrows, Release() gives up ownership.
template <typename Traits>
class Unique {
public:
    using T = typename Traits::Type;
    explicit Unique(T h = Traits::Empty()) noexcept : h_(h) {}
    Unique(Unique&& o) noexcept : h_(o.Release()) {}
    Unique& operator=(Unique&& o) noexcept {
        Reset(o.Release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { Reset(); }

    T Get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::Empty(); }
    T Release() noexcept { return std::exchange(h_, Traits::Empty()); }
    void Reset(T h = Traits::Empty()) noexcept {
        if (h_ != Traits::Empty()) Traits::Close(h_);
        h_ = h;
    }

private:
    T h_;
};
