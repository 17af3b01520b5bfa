#pragma once
#include "framework/Win32.h"

// Owns one VARIANT: starts empty, and is cleared (freeing a BSTR or an array it holds) before each new value and on
// destruction.
class Variant {
  public:
    Variant() noexcept { VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }

    const VARIANT& Get() const noexcept { return v_; }
    VARIANT* Out() noexcept {  // for a getter that fills it
        VariantClear(&v_);
        return &v_;
    }

    void SetBool(bool value) noexcept {
        V_VT(Out()) = VT_BOOL;
        V_BOOL(&v_) = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    void SetInt(int value) noexcept {
        V_VT(Out()) = VT_INT;
        V_INT(&v_) = value;
    }
    // The value COM uses for an optional argument that was left out.
    void SetMissing() noexcept {
        V_VT(Out()) = VT_ERROR;
        V_ERROR(&v_) = DISP_E_PARAMNOTFOUND;
    }
    void SetBstr(BSTR owned) noexcept {  // takes ownership
        V_VT(Out()) = VT_BSTR;
        V_BSTR(&v_) = owned;
    }

  private:
    VARIANT v_;
};
