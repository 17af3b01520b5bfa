#include "services/WString.h"

#include <vector>

#include "framework/Win32.h"

namespace {

DWORD ConversionFlags(unsigned codePage) { return codePage == CP_UTF8 ? 0 : MB_PRECOMPOSED; }

}  // namespace

std::wstring WideFromText(std::string_view text, unsigned codePage) {
    if (text.empty() || text.size() > INT32_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(codePage, ConversionFlags(codePage), text.data(), length, nullptr, 0);
    if (units <= 0) return {};
    std::wstring wide(static_cast<size_t>(units), L'\0');
    const int written = MultiByteToWideChar(codePage, ConversionFlags(codePage), text.data(), length, wide.data(), units);
    wide.resize(static_cast<size_t>(written > 0 ? written : 0));
    return wide;
}

RtString TextFromWide(std::wstring_view text) {
    if (text.empty() || text.size() > INT32_MAX / 2) return {};
    const int units = static_cast<int>(text.size());
    RtString bytes(text.size() * 2 + 2, '\0');  // a code page 936 character takes at most two bytes
    const int n = WideCharToMultiByte(kTextCodePage, 0, text.data(), units, bytes.data(),
                                      static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(static_cast<size_t>(n > 0 ? n : 0));
    return bytes;
}

WString::WString(const wchar_t* text) {
    if (text) text_ = text;
}

WString::WString(const RtString& text) : text_(WideFromText(text)) {}

WString::WString(int32_t value) : text_(std::to_wstring(value)) {}

void WString::Assign(const WString& other) {
    if (&other == this) return;
    text_.assign(other.text_.c_str());  // up to the first zero unit
}

void WString::Assign(const RtString& text) { text_ = WideFromText(text); }

bool WString::Append(const wchar_t* units, size_t count) {
    if (count && !units) return false;
    text_.append(units, count);
    return true;
}

WString WString::Concat(const WString& first, const WString& second) {
    WString joined(first.Str());
    joined.text_ += second.text_;
    return joined;
}

RtString WString::ToRtString() const { return TextFromWide(text_); }

BSTR WString::ToBstr() const { return SysAllocStringLen(text_.data(), static_cast<UINT>(text_.size())); }

BSTR RtStringToBstr(const RtString& text, unsigned codePage) {
    const std::wstring wide = WideFromText(text, codePage);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

void FreeBstr(BSTR text) noexcept {
    if (text) SysFreeString(text);
}

WString GetControlText(HWND window) {
    const LRESULT n = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    if (n <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(n) + 1, L'\0');
    SendMessageW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return WString(buffer.data());  // up to the first zero unit, at most n units
}

bool SetControlText(HWND window, const WString& text) {
    return SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.Data())) != 0;
}
