#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/Win32.h"
#include "services/RtString.h"

// UTF-16 text for window texts, list cells and file paths. Always terminated; a copy owns its own buffer.
// Every conversion from and to 8-bit text goes through code page 936.
class WString {
public:
    WString() = default;
    WString(const wchar_t* text);  // null gives empty text
    explicit WString(std::wstring_view text) : text_(text) {}
    explicit WString(const RtString& text);
    explicit WString(int32_t value);

    size_t Length() const noexcept { return text_.size(); }  // UTF-16 units
    const wchar_t* Data() const noexcept { return text_.c_str(); }
    const std::wstring& Str() const noexcept { return text_; }
    bool Empty() const noexcept { return text_.empty(); }

    void Clear() noexcept { text_.clear(); }
    void Assign(const WString& other);
    void Assign(const RtString& text);
    bool Append(const wchar_t* units, size_t count);
    static WString Concat(const WString& first, const WString& second);

    RtString ToRtString() const;
    BSTR ToBstr() const;  // an empty text gives an empty, non-null BSTR

    friend bool operator==(const WString& a, const WString& b) { return a.text_ == b.text_; }

private:
    std::wstring text_;
};

// The two conversions every text crossing to or from the platform goes through.
std::wstring WideFromText(std::string_view text, unsigned codePage = kTextCodePage);
RtString TextFromWide(std::wstring_view text);

BSTR RtStringToBstr(const RtString& text, unsigned codePage);
void FreeBstr(BSTR text) noexcept;

// Owns one BSTR for the span of one COM call.
class Bstr {
public:
    explicit Bstr(BSTR text) noexcept : text_(text) {}
    explicit Bstr(const RtString& text) : text_(RtStringToBstr(text, kTextCodePage)) {}
    explicit Bstr(const WString& text) : text_(text.ToBstr()) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { FreeBstr(text_); }
    BSTR Get() const noexcept { return text_; }

private:
    BSTR text_;
};

WString GetControlText(HWND window);
bool SetControlText(HWND window, const WString& text);
