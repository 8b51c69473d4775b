// Sizes at the monitor's DPI and the window's fonts.
//
// The window is laid out in pixels at 96 DPI and scaled for the DPI of the
// monitor it is on (the manifest declares per-monitor awareness). Its fonts
// are "ＭＳ Ｐゴシック" at 12 pixels and, for the prefecture list,
// "ＭＳ ゴシック" at 13 pixels, both with the Shift_JIS character set; where
// those are not installed another Japanese font takes their place, so that
// the captions never show as empty boxes.
#pragma once

#include <initializer_list>
#include <string>

#include "app/win32/win_handles.h"

namespace tenrovel::app::win32 {

inline constexpr unsigned kDesignDpi = 96;

// A length at 96 DPI scaled to `dpi`, rounded like MulDiv.
int Scale(int length, unsigned dpi);

// The window's DPI: its monitor's where the system tells it, else the system's.
unsigned WindowDpi(HWND window);

// The outer size of a window whose client area is `client` at `dpi`.
SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD ex_style, unsigned dpi);

// Whether a font family of that name is installed with the Shift_JIS
// character set.
bool JapaneseFontInstalled(const wchar_t* face);

// The first of `candidates` that is installed with the Shift_JIS character
// set; empty when none is.
std::wstring FirstInstalledFont(std::initializer_list<const wchar_t*> candidates);

// The theme data of `class_list` for `dpi` where the system has them
// (Windows 10 1703 on; `at_dpi` true), else OpenThemeData's for the window.
ThemeHandle OpenThemeForDpi(HWND window, const wchar_t* class_list, unsigned dpi, bool& at_dpi);

// A system metric (SM_CXICON, ...) at `dpi`.
int MetricForDpi(int index, unsigned dpi);

struct WindowFonts {
  FontHandle ui;    // the window's and its controls' font
  FontHandle list;  // lstArea's font
};

// The fonts at `dpi`. The faces are chosen once per run.
WindowFonts CreateWindowFonts(unsigned dpi);

}  // namespace tenrovel::app::win32
