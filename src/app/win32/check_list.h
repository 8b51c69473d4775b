// lstArea: a list box whose items carry check marks, drawn by us.
//
// The list does not change a check mark by itself: a click on an item's box,
// or the space bar on the highlighted item, is reported through `on_toggle`,
// and the window logic answers with SetChecked. The check mark lives in the
// item's data, so that another process (the end-to-end tests) can read it.
// The list has no input context of its own, so the input method is off
// there and nowhere else. Assistive technology sees every item as a check
// box with its name and state (accessible.h), and hears each change.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/win32/win_handles.h"

namespace tenrovel::app::win32 {

class CheckList {
 public:
  CheckList() = default;
  ~CheckList();
  CheckList(const CheckList&) = delete;
  CheckList& operator=(const CheckList&) = delete;

  // Creates the list box as a child of `parent` (a fixed item height, owner
  // drawn). The parent passes WM_MEASUREITEM and WM_DRAWITEM on to it.
  void Create(HWND parent, int id, DWORD extra_style, const std::wstring& accessible_name);
  HWND handle() const { return window_; }

  // Called with the item and the check mark the user asks for.
  std::function<void(int index, bool checked)> on_toggle;

  void SetItems(const std::vector<std::wstring>& names);
  void SetChecked(int index, bool checked);
  bool Checked(int index) const;
  void SetItemIndex(int index);

  // Item height, check box theme and size at the window's DPI.
  void ApplyDpi(unsigned dpi);
  int BoxSize() const { return box_size_; }
  void Measure(MEASUREITEMSTRUCT& measure) const;
  void Draw(const DRAWITEMSTRUCT& draw) const;

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR self);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  // The item under a click in its check box, or -1.
  int CheckBoxAt(POINT point) const;
  void Toggle(int index);
  RECT CheckBoxRect(const RECT& item) const;
  void OpenTheme();

  HWND window_ = nullptr;
  ThemeHandle theme_;
  unsigned dpi_ = 96;
  int box_size_ = 13;
};

}  // namespace tenrovel::app::win32
