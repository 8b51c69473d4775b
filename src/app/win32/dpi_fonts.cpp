#include "app/win32/dpi_fonts.h"

namespace tenrovel::app::win32 {

namespace {

// Functions of newer systems, looked up at run time so that the program
// still starts on Windows 7.
template <typename Function>
Function SystemFunction(const wchar_t* module_name, const char* name) {
  const HMODULE module = GetModuleHandleW(module_name);
  if (module == nullptr)
    return nullptr;
  // Through void (*)(): the one function type GCC lets any other convert to.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

template <typename Function>
Function User32Function(const char* name) {
  return SystemFunction<Function>(L"user32.dll", name);
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using OpenThemeDataForDpiFunction = HTHEME(WINAPI*)(HWND, LPCWSTR, UINT);

unsigned SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr)
    ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<unsigned>(dpi) : kDesignDpi;
}

int CALLBACK NoteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

FontHandle CreatePixelFont(const std::wstring& face, int pixels, unsigned dpi) {
  LOGFONTW font{};
  if (face.empty()) {
    // No Japanese font at all: the system's message font, whose fallback
    // fonts may still have the characters.
    // The metrics at the window's DPI, not the system's, where the system
    // can tell them: the height is set below, the rest must match it.
    static const auto for_dpi =
        User32Function<SystemParametersInfoForDpiFunction>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    const bool found =
        for_dpi != nullptr
            ? for_dpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi) != FALSE
            : SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0) != FALSE;
    if (found)
      font = metrics.lfMessageFont;
    font.lfCharSet = DEFAULT_CHARSET;
  } else {
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    font.lfCharSet = SHIFTJIS_CHARSET;
  }
  font.lfHeight = -Scale(pixels, dpi);  // character height, without the leading
  font.lfWidth = 0;
  font.lfWeight = FW_NORMAL;
  font.lfQuality = DEFAULT_QUALITY;
  return FontHandle(CreateFontIndirectW(&font));
}

}  // namespace

int Scale(int length, unsigned dpi) {
  return MulDiv(length, static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}

unsigned WindowDpi(HWND window) {
  static const auto get_dpi = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (get_dpi != nullptr && window != nullptr) {
    const UINT dpi = get_dpi(window);
    if (dpi != 0)
      return dpi;
  }
  return SystemDpi();
}

SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD ex_style, unsigned dpi) {
  static const auto adjust =
      User32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, client.cx, client.cy};
  if (adjust == nullptr || !adjust(&rect, style, FALSE, ex_style, dpi))
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

ThemeHandle OpenThemeForDpi(HWND window, const wchar_t* class_list, unsigned dpi, bool& at_dpi) {
  static const auto for_dpi =
      SystemFunction<OpenThemeDataForDpiFunction>(L"uxtheme.dll", "OpenThemeDataForDpi");
  at_dpi = false;
  if (for_dpi != nullptr) {
    if (const HTHEME theme = for_dpi(window, class_list, dpi); theme != nullptr) {
      at_dpi = true;
      return ThemeHandle(theme);
    }
  }
  return ThemeHandle(OpenThemeData(window, class_list));
}

int MetricForDpi(int index, unsigned dpi) {
  static const auto for_dpi =
      User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
  if (for_dpi != nullptr)
    return for_dpi(index, dpi);
  // Older systems give the metric at the system's DPI.
  return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

bool JapaneseFontInstalled(const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = SHIFTJIS_CHARSET;
  const std::wstring name(face);
  if (name.empty() || name.size() >= LF_FACESIZE)
    return false;
  name.copy(wanted.lfFaceName, LF_FACESIZE - 1);
  bool found = false;
  const HDC screen = GetDC(nullptr);
  if (screen == nullptr)
    return false;
  EnumFontFamiliesExW(screen, &wanted, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

std::wstring FirstInstalledFont(std::initializer_list<const wchar_t*> candidates) {
  for (const wchar_t* face : candidates) {
    if (JapaneseFontInstalled(face))
      return face;
  }
  return {};
}

WindowFonts CreateWindowFonts(unsigned dpi) {
  // Proportional faces for the window, then fixed-pitch ones for the list:
  // the Japanese names first, as a Japanese system lists them, then the
  // English names and the fonts of other systems (IPA fonts under Wine).
  static const std::wstring ui_face = FirstInstalledFont(
      {L"ＭＳ Ｐゴシック", L"MS PGothic", L"MS UI Gothic", L"Meiryo UI", L"Yu Gothic UI",
       L"IPAPGothic", L"IPAＰゴシック", L"Noto Sans CJK JP", L"VL PGothic", L"TakaoPGothic",
       L"ＭＳ ゴシック", L"MS Gothic", L"IPAGothic", L"IPAゴシック"});
  static const std::wstring list_face = [] {
    std::wstring face =
        FirstInstalledFont({L"ＭＳ ゴシック", L"MS Gothic", L"IPAGothic", L"IPAゴシック",
                            L"Noto Sans Mono CJK JP", L"VL Gothic", L"TakaoGothic"});
    return face.empty() ? ui_face : face;
  }();
  return {CreatePixelFont(ui_face, 12, dpi), CreatePixelFont(list_face, 13, dpi)};
}

}  // namespace tenrovel::app::win32
