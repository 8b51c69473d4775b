#include "app/win32/check_list.h"

#include <algorithm>

// windows.h first: the other Windows headers need its definitions.
#include <windows.h>
//
#include <commctrl.h>
#include <imm.h>
#include <vssym32.h>
#include <windowsx.h>

#include "app/win32/accessible.h"
#include "app/win32/callback_guard.h"
#include "app/win32/control_ids.h"
#include "app/win32/dpi_fonts.h"

namespace tenrovel::app::win32 {

namespace {
constexpr int kItemHeight = 16;
constexpr int kBoxSize = 13;
constexpr int kBoxMargin = 2;
constexpr int kTextGap = 4;
constexpr UINT_PTR kSubclassId = 1;
}  // namespace

CheckList::~CheckList() {
  if (window_ != nullptr)
    RemoveWindowSubclass(window_, SubclassProc, kSubclassId);
}

void CheckList::Create(HWND parent, int id, DWORD extra_style,
                       const std::wstring& accessible_name) {
  dpi_ = WindowDpi(parent);
  window_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTBOXW, L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWFIXED |
                                LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | extra_style,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                            nullptr);
  if (window_ == nullptr)
    return;
  SetWindowSubclass(window_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  AccessibleControl::Attach(window_, CheckListAccessible::Create(window_, accessible_name));
  // No input context here: closing the thread's shared one would turn the
  // input method off in every other edit field too.
  ImmAssociateContextEx(window_, nullptr, 0);
  OpenTheme();
}

void CheckList::SetItems(const std::vector<std::wstring>& names) {
  SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(window_, LB_RESETCONTENT, 0, 0);
  for (const std::wstring& name : names) {
    const LRESULT index =
        SendMessageW(window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageW(window_, LB_SETITEMDATA, static_cast<WPARAM>(index), 0);
  }
  SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(window_, nullptr, TRUE);
}

void CheckList::SetChecked(int index, bool checked) {
  const bool changed = Checked(index) != checked;
  SendMessageW(window_, LB_SETITEMDATA, static_cast<WPARAM>(index), checked ? kItemChecked : 0);
  if (changed)
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, window_, OBJID_CLIENT, index + 1);
  RECT item{};
  if (SendMessageW(window_, LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item)) != LB_ERR)
    InvalidateRect(window_, &item, FALSE);
}

bool CheckList::Checked(int index) const {
  return SendMessageW(window_, LB_GETITEMDATA, static_cast<WPARAM>(index), 0) == kItemChecked;
}

void CheckList::SetItemIndex(int index) {
  SendMessageW(window_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CheckList::ApplyDpi(unsigned dpi) {
  dpi_ = dpi;
  OpenTheme();
  SendMessageW(window_, LB_SETITEMHEIGHT, 0, Scale(kItemHeight, dpi));
  InvalidateRect(window_, nullptr, TRUE);
}

void CheckList::Measure(MEASUREITEMSTRUCT& measure) const {
  measure.itemHeight = static_cast<UINT>(Scale(kItemHeight, dpi_));
}

RECT CheckList::CheckBoxRect(const RECT& item) const {
  const int size = box_size_;
  const int left = item.left + Scale(kBoxMargin, dpi_);
  const int top = item.top + (item.bottom - item.top - size) / 2;
  return {left, top, left + size, top + size};
}

void CheckList::Draw(const DRAWITEMSTRUCT& draw) const {
  if (draw.itemID == static_cast<UINT>(-1))
    return;
  const int index = static_cast<int>(draw.itemID);
  const HDC dc = draw.hDC;
  const bool enabled = IsWindowEnabled(window_) != FALSE;
  const bool selected = (draw.itemState & ODS_SELECTED) != 0;
  const bool checked = Checked(index);

  FillRect(dc, &draw.rcItem, GetSysColorBrush(COLOR_WINDOW));

  RECT box = CheckBoxRect(draw.rcItem);
  if (theme_) {
    const int state = checked ? (enabled ? CBS_CHECKEDNORMAL : CBS_CHECKEDDISABLED)
                              : (enabled ? CBS_UNCHECKEDNORMAL : CBS_UNCHECKEDDISABLED);
    DrawThemeBackground(theme_.get(), dc, BP_CHECKBOX, state, &box, nullptr);
  } else {
    DrawFrameControl(dc, &box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0) |
                         (enabled ? 0 : DFCS_INACTIVE));
  }

  // The name, highlighted when selected, as far as the text reaches.
  const int length =
      static_cast<int>(SendMessageW(window_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0));
  std::wstring name(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  SendMessageW(window_, LB_GETTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(name.data()));
  name.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  RECT text = draw.rcItem;
  text.left = box.right + Scale(kTextGap, dpi_);
  RECT extent = text;
  DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &extent,
            DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  RECT highlight = text;
  highlight.right = std::min(text.right, extent.right + Scale(kBoxMargin, dpi_));
  if (selected && enabled)
    FillRect(dc, &highlight, GetSysColorBrush(COLOR_HIGHLIGHT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(!enabled   ? COLOR_GRAYTEXT
                               : selected ? COLOR_HIGHLIGHTTEXT
                                          : COLOR_WINDOWTEXT));
  text.left += Scale(1, dpi_);
  DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if ((draw.itemState & ODS_FOCUS) != 0 && (draw.itemState & ODS_NOFOCUSRECT) == 0)
    DrawFocusRect(dc, &highlight);
}

int CheckList::CheckBoxAt(POINT point) const {
  const LRESULT hit = SendMessageW(window_, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
  if (HIWORD(hit) != 0)  // outside the items
    return -1;
  const int index = LOWORD(hit);
  RECT item{};
  if (SendMessageW(window_, LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item)) == LB_ERR)
    return -1;
  const RECT box = CheckBoxRect(item);
  const bool inside = point.x >= item.left && point.x < box.right + Scale(kBoxMargin, dpi_) &&
                      point.y >= item.top && point.y < item.bottom;
  return inside ? index : -1;
}

void CheckList::Toggle(int index) {
  if (index >= 0 && on_toggle && IsWindowEnabled(window_))
    on_toggle(index, !Checked(index));
}

void CheckList::OpenTheme() {
  bool at_dpi = false;
  theme_ = IsAppThemed() ? OpenThemeForDpi(window_, L"BUTTON", dpi_, at_dpi) : ThemeHandle();
  // The theme's own box where its data are for this DPI, else the classic box.
  box_size_ = Scale(kBoxSize, dpi_);
  SIZE part{};
  if (theme_ && at_dpi &&
      SUCCEEDED(GetThemePartSize(theme_.get(), nullptr, BP_CHECKBOX, CBS_UNCHECKEDNORMAL, nullptr,
                                 TS_DRAW, &part)) &&
      part.cy > 0)
    box_size_ = part.cy;
}

LRESULT CALLBACK CheckList::SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                         UINT_PTR, DWORD_PTR self) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, SubclassProc, kSubclassId);
    reinterpret_cast<CheckList*>(self)->window_ = nullptr;
    return DefSubclassProc(window, message, wparam, lparam);
  }
  return Guarded<LRESULT>(
      0, [&] { return reinterpret_cast<CheckList*>(self)->Handle(message, wparam, lparam); });
}

LRESULT CheckList::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // Selects the item as usual, then toggles it when the click was on its box.
      const int index = CheckBoxAt({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      const LRESULT result = DefSubclassProc(window_, message, wparam, lparam);
      Toggle(index);
      return result;
    }
    case WM_KEYDOWN:
      if (wparam == VK_SPACE) {
        const LRESULT current = SendMessageW(window_, LB_GETCURSEL, 0, 0);
        Toggle(current == LB_ERR ? -1 : static_cast<int>(current));
        return 0;
      }
      break;
    case WM_CHAR:
      if (wparam == L' ')
        return 0;  // the space bar toggles; it is no search key here
      break;
    case kCheckListToggleMessage:
      Toggle(static_cast<int>(wparam));
      return 0;
    case WM_THEMECHANGED:
      OpenTheme();
      break;
    default:
      break;
  }
  return DefSubclassProc(window_, message, wparam, lparam);
}

}  // namespace tenrovel::app::win32
