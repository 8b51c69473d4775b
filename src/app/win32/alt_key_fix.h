// TAltKeyFix: the underlined access keys ("取得開始 (&R)") appear when Alt is
// pressed, also on themed windows.
//
// Windows hides the underlines until the keyboard is used (the UI state of
// the window, UISF_HIDEACCEL). Pressing Alt clears that state through
// WM_CHANGEUISTATE, which the top-level window turns into WM_UPDATEUISTATE for
// itself and all its controls; themed buttons, check boxes and radio
// buttons do not always repaint on it, so the window repaints them when the
// state of the underlines changes. Owned by the main window.
#pragma once

#include "app/win32/win_handles.h"

namespace tenrovel::app::win32 {

class TAltKeyFix {
 public:
  TAltKeyFix() = default;

  // Starts from the state the last input calls for (hidden after a mouse
  // start when the system hides underlines).
  void Attach(HWND window);

  // From the message loop, before the dialog keys are handled: Alt shows the
  // underlines, Tab and the arrow keys show the focus rectangle.
  void PreTranslate(const MSG& message) const;

  // From the window procedure for WM_UPDATEUISTATE, after the default
  // handling has passed it on to the controls.
  void OnUpdateUiState(WPARAM wparam) const;

 private:
  void Clear(WORD flags) const;

  HWND window_ = nullptr;
};

}  // namespace tenrovel::app::win32
