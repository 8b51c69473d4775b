#include "app/win32/alt_key_fix.h"

namespace tenrovel::app::win32 {

void TAltKeyFix::Attach(HWND window) {
  window_ = window;
  SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
}

void TAltKeyFix::Clear(WORD flags) const {
  const auto state = static_cast<WORD>(SendMessageW(window_, WM_QUERYUISTATE, 0, 0));
  if ((state & flags) != 0)
    SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, state & flags), 0);
}

void TAltKeyFix::PreTranslate(const MSG& message) const {
  if (window_ == nullptr || (message.hwnd != window_ && !IsChild(window_, message.hwnd)))
    return;
  if (message.message == WM_SYSKEYDOWN && message.wParam == VK_MENU) {
    Clear(UISF_HIDEACCEL);
  } else if (message.message == WM_KEYDOWN) {
    switch (message.wParam) {
      case VK_TAB:
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        Clear(UISF_HIDEFOCUS);
        break;
      default:
        break;
    }
  }
}

void TAltKeyFix::OnUpdateUiState(WPARAM wparam) const {
  if ((HIWORD(wparam) & (UISF_HIDEACCEL | UISF_HIDEFOCUS)) == 0)
    return;
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

}  // namespace tenrovel::app::win32
