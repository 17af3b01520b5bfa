#pragma once
#include <cstdint>
#include <string_view>

#include "framework/Win32.h"

// Screen DPI, the process's DPI awareness and the Windows version, and the fonts that follow from them.
// Window thread only: the caches below are not synchronised.

// Whether the process is DPI-aware: user32's IsProcessDPIAware looked up at run time; false when it is missing.
bool QueryProcessDpiAware() noexcept;
// major * 100 + minor from ntdll's RtlGetVersion, looked up at run time; 0 when that fails.
int32_t WindowsVersion() noexcept;

// The screen's LOGPIXELSX / LOGPIXELSY, read from a fresh screen device context on each call.
int32_t ScreenDpiX() noexcept;
int32_t ScreenDpiY() noexcept;

// Design units to pixels and back with the screen's ratios (screen DPI / 96). Each ratio is read from the screen on
// first use and kept for the life of the process. Callers round the result (RoundHalfEven).
float ScaleX(float value) noexcept;
float ScaleY(float value) noexcept;
float UnscaleX(float value) noexcept;
float UnscaleY(float value) noexcept;

// A font whose point size means the same physical size at any DPI. dpi -1 is the screen's horizontal DPI; a
// positive dpi scales the point size by dpi / screen LOGPIXELSY. Antialiased from 16 points (after scaling).
// Null on failure. The caller owns the font.
HFONT CreateScaledFont(std::wstring_view face, int32_t points, int32_t dpi, int32_t weight, uint8_t italic,
                       uint8_t underline, uint8_t strikeout, uint8_t charset) noexcept;
// A font of the given cell height in pixels (negative: character height), TrueType preferred; antialiased or default
// quality. Shared by the scaled fonts and the form default font.
HFONT CreateFontOfHeight(std::wstring_view face, int32_t height, int32_t weight, uint8_t italic, uint8_t underline,
                         uint8_t strikeout, uint8_t charset, bool antialiased) noexcept;

// The font named by a descriptor such as "Microsoft YaHei,9,0", at the screen's DPI. Created once per distinct
// descriptor text (compared byte for byte) and kept for the life of the process: callers never delete it.
// Null when the font cannot be created (nothing is cached then).
HFONT FontFromDescriptor(std::string_view descriptor) noexcept;
// Number of descriptors in the font cache.
size_t FontCacheSize() noexcept;
