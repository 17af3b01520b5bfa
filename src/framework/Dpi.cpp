#include "framework/Dpi.h"

#include <string>
#include <vector>

#include "framework/DpiMath.h"
#include "framework/FontDescriptor.h"
#include "framework/Win32.h"
#include "framework/Win32Handles.h"
#include "services/WString.h"

namespace {

// One cached ratio per conversion, 0 until first used.
float gScaleX = 0.0f;
float gScaleY = 0.0f;
float gUnscaleX = 0.0f;
float gUnscaleY = 0.0f;

// The screen DPI pair for fonts, read once when the first font is made.
int32_t gFontDpiX = 0;
int32_t gFontDpiY = 0;

// Fonts named by descriptors live until the process ends: the cache owns them and never deletes them.
struct FontCache {
    std::vector<RtString> descriptors;
    std::vector<HFONT> fonts;
};
FontCache& TheFontCache() {
    static FontCache* cache = new FontCache;  // never destroyed: its fonts outlive every window
    return *cache;
}

float ScreenRatio(int index) noexcept {
    const ScreenDc screen;
    return static_cast<float>(GetDeviceCaps(screen.Get(), index) / 96.0);
}

float CachedRatio(float& cache, int index) noexcept {
    if (cache == 0.0f) cache = ScreenRatio(index);
    return cache;
}

void ReadFontDpiOnce() noexcept {
    if (gFontDpiX != 0 && gFontDpiY != 0) return;
    const ScreenDc screen;
    gFontDpiX = GetDeviceCaps(screen.Get(), LOGPIXELSX);
    gFontDpiY = GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

}  // namespace

bool QueryProcessDpiAware() noexcept {
    const UniqueLibrary user32(LoadLibraryW(L"user32.dll"));
    if (!user32) return false;
    using IsAwareFn = BOOL(WINAPI*)();
    const auto isAware =
        reinterpret_cast<IsAwareFn>(reinterpret_cast<void*>(GetProcAddress(user32.Get(), "IsProcessDPIAware")));
    return isAware != nullptr && isAware() != FALSE;
}

int32_t WindowsVersion() noexcept {
    const UniqueLibrary ntdll(LoadLibraryW(L"NtDll.dll"));
    if (!ntdll) return 0;
    using GetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion =
        reinterpret_cast<GetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll.Get(), "RtlGetVersion")));
    if (getVersion == nullptr) return 0;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (getVersion(&info) != 0) return 0;  // an NTSTATUS other than STATUS_SUCCESS
    return VersionNumber(info.dwMajorVersion, info.dwMinorVersion);
}

int32_t ScreenDpiX() noexcept {
    const ScreenDc screen;
    return GetDeviceCaps(screen.Get(), LOGPIXELSX);
}

int32_t ScreenDpiY() noexcept {
    const ScreenDc screen;
    return GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

float ScaleX(float value) noexcept {
    return value * CachedRatio(gScaleX, LOGPIXELSX);
}
float ScaleY(float value) noexcept {
    return value * CachedRatio(gScaleY, LOGPIXELSY);
}
float UnscaleX(float value) noexcept {
    return value / CachedRatio(gUnscaleX, LOGPIXELSX);
}
float UnscaleY(float value) noexcept {
    return value / CachedRatio(gUnscaleY, LOGPIXELSY);
}

HFONT CreateScaledFont(std::wstring_view face, int32_t points, int32_t dpi, int32_t weight, uint8_t italic,
                       uint8_t underline, uint8_t strikeout, uint8_t charset) noexcept {
    ReadFontDpiOnce();
    if (dpi == -1) dpi = gFontDpiX;
    if (dpi > 0) points = PointsAtDpi(points, dpi, gFontDpiY);
    return CreateFontOfHeight(face, FontHeightFromPoints(points, gFontDpiY), weight, italic, underline, strikeout,
                              charset, FontWantsAntialiasing(points));
}

HFONT CreateFontOfHeight(std::wstring_view face, int32_t height, int32_t weight, uint8_t italic, uint8_t underline,
                         uint8_t strikeout, uint8_t charset, bool antialiased) noexcept {
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfItalic = italic;
    font.lfUnderline = underline;
    font.lfStrikeOut = strikeout;
    font.lfCharSet = charset;
    font.lfOutPrecision = OUT_TT_PRECIS;
    font.lfQuality = antialiased ? ANTIALIASED_QUALITY : DEFAULT_QUALITY;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

HFONT FontFromDescriptor(std::string_view descriptor) noexcept {
    FontCache& cache = TheFontCache();
    for (size_t i = 0; i < cache.descriptors.size(); ++i) {
        if (cache.descriptors[i] == descriptor) return cache.fonts[i];
    }
    const FontSpec fields = ParseFontDescriptor(descriptor);
    const HFONT font = CreateScaledFont(WideFromText(fields.face), fields.points, -1, fields.weight, fields.italic,
                                        fields.underline, fields.strikeout, DEFAULT_CHARSET);
    // A failed creation is not remembered, so the next request tries again.
    if (font == nullptr) return nullptr;
    cache.descriptors.emplace_back(descriptor);
    cache.fonts.push_back(font);
    return font;
}

size_t FontCacheSize() noexcept {
    return TheFontCache().descriptors.size();
}
