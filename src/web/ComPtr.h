#pragma once
#include <utility>

// Owns one reference to a COM interface: Release() on destruction. Move-only; Get() borrows, Put() hands the empty
// slot to a function that returns a new reference (CoCreateInstance, QueryInterface).
template <typename T>
class ComPtr {
  public:
    ComPtr() noexcept = default;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        Reset(std::exchange(o.p_, nullptr));
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    T* Get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void Reset(T* p = nullptr) noexcept {
        if (p_) p_->Release();
        p_ = p;
    }
    void** Put() noexcept {
        Reset();
        return reinterpret_cast<void**>(&p_);
    }

  private:
    T* p_ = nullptr;
};
