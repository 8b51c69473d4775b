#include "app/win32/accessible.h"

#include <commctrl.h>

#include <utility>

#include "app/win32/callback_guard.h"
#include "app/win32/control_ids.h"

namespace tenrovel::app::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 0xACC;

// The answers of an object whose control has gone.
constexpr HRESULT kGone = RPC_E_DISCONNECTED;

HRESULT Text(const std::wstring& text, BSTR* out) {
  if (out == nullptr)
    return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

void SetLong(VARIANT* out, long value) {
  VariantInit(out);
  out->vt = VT_I4;
  out->lVal = value;
}

bool IsSelf(const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

std::wstring WindowTextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace

// --- AccessibleControl ---

AccessibleControl::AccessibleControl(HWND control, std::wstring name)
    : control_(control), name_(std::move(name)) {}

void AccessibleControl::Attach(HWND control, AccessibleControl* object) {
  if (!SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(object)))
    object->Release();
}

LRESULT CALLBACK AccessibleControl::SubclassProc(HWND window, UINT message, WPARAM wparam,
                                                 LPARAM lparam, UINT_PTR, DWORD_PTR self) {
  auto* const object = reinterpret_cast<AccessibleControl*>(self);
  if (message == WM_GETOBJECT && static_cast<LONG>(lparam) == OBJID_CLIENT)
    return LresultFromObject(__uuidof(IAccessible), wparam, static_cast<IAccessible*>(object));
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, SubclassProc, kSubclassId);
    object->control_ = nullptr;
    object->standard_.reset();
    object->Release();
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

IAccessible* AccessibleControl::standard() {
  if (control_ != nullptr && !standard_)
    CreateStdAccessibleObject(control_, OBJID_CLIENT, __uuidof(IAccessible), standard_.put());
  return standard_.get();
}

HRESULT AccessibleControl::QueryInterface(REFIID id, void** object) {
  if (object == nullptr)
    return E_POINTER;
  if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) ||
      IsEqualIID(id, __uuidof(IAccessible))) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG AccessibleControl::AddRef() {
  return ++references_;
}

ULONG AccessibleControl::Release() {
  const ULONG left = --references_;
  if (left == 0)
    delete this;  // COM's own lifetime rule: the last reference frees it
  return left;
}

HRESULT AccessibleControl::GetTypeInfoCount(UINT* count) {
  if (count == nullptr)
    return E_POINTER;
  *count = 0;
  return S_OK;
}
HRESULT AccessibleControl::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return E_NOTIMPL;
}
HRESULT AccessibleControl::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}
HRESULT AccessibleControl::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                  UINT*) {
  return E_NOTIMPL;
}

HRESULT AccessibleControl::get_accParent(IDispatch** parent) {
  return PassOn(&IAccessible::get_accParent, parent);
}
HRESULT AccessibleControl::get_accChildCount(long* count) {
  return PassOn(&IAccessible::get_accChildCount, count);
}
HRESULT AccessibleControl::get_accChild(VARIANT child, IDispatch** object) {
  return PassOn(&IAccessible::get_accChild, child, object);
}
HRESULT AccessibleControl::get_accName(VARIANT child, BSTR* name) {
  return PassOn(&IAccessible::get_accName, child, name);
}
HRESULT AccessibleControl::get_accValue(VARIANT child, BSTR* value) {
  return PassOn(&IAccessible::get_accValue, child, value);
}
HRESULT AccessibleControl::get_accDescription(VARIANT child, BSTR* description) {
  return PassOn(&IAccessible::get_accDescription, child, description);
}
HRESULT AccessibleControl::get_accRole(VARIANT child, VARIANT* role) {
  return PassOn(&IAccessible::get_accRole, child, role);
}
HRESULT AccessibleControl::get_accState(VARIANT child, VARIANT* state) {
  return PassOn(&IAccessible::get_accState, child, state);
}
HRESULT AccessibleControl::get_accHelp(VARIANT child, BSTR* help) {
  return PassOn(&IAccessible::get_accHelp, child, help);
}
HRESULT AccessibleControl::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
  return PassOn(&IAccessible::get_accHelpTopic, file, child, topic);
}
HRESULT AccessibleControl::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  return PassOn(&IAccessible::get_accKeyboardShortcut, child, shortcut);
}
HRESULT AccessibleControl::get_accFocus(VARIANT* child) {
  return PassOn(&IAccessible::get_accFocus, child);
}
HRESULT AccessibleControl::get_accSelection(VARIANT* children) {
  return PassOn(&IAccessible::get_accSelection, children);
}
HRESULT AccessibleControl::get_accDefaultAction(VARIANT child, BSTR* action) {
  return PassOn(&IAccessible::get_accDefaultAction, child, action);
}
HRESULT AccessibleControl::accSelect(long flags, VARIANT child) {
  return PassOn(&IAccessible::accSelect, flags, child);
}
HRESULT AccessibleControl::accLocation(long* left, long* top, long* width, long* height,
                                       VARIANT child) {
  return PassOn(&IAccessible::accLocation, left, top, width, height, child);
}
HRESULT AccessibleControl::accNavigate(long direction, VARIANT start, VARIANT* end) {
  return PassOn(&IAccessible::accNavigate, direction, start, end);
}
HRESULT AccessibleControl::accHitTest(long x, long y, VARIANT* child) {
  return PassOn(&IAccessible::accHitTest, x, y, child);
}
HRESULT AccessibleControl::accDoDefaultAction(VARIANT child) {
  return PassOn(&IAccessible::accDoDefaultAction, child);
}
HRESULT AccessibleControl::put_accName(VARIANT child, BSTR name) {
  return PassOn(&IAccessible::put_accName, child, name);
}
HRESULT AccessibleControl::put_accValue(VARIANT child, BSTR value) {
  return PassOn(&IAccessible::put_accValue, child, value);
}

// --- CheckListAccessible ---

AccessibleControl* CheckListAccessible::Create(HWND list, std::wstring name) {
  return new CheckListAccessible(list, std::move(name));  // owned by its references
}

long CheckListAccessible::Count() const {
  const LRESULT count = SendMessageW(control(), LB_GETCOUNT, 0, 0);
  return count == LB_ERR ? 0 : static_cast<long>(count);
}

bool CheckListAccessible::Item(const VARIANT& child, long& item) const {
  if (child.vt != VT_I4 || child.lVal < 0 || child.lVal > Count())
    return false;
  item = child.lVal - 1;
  return true;
}

HRESULT CheckListAccessible::get_accChildCount(long* count) {
  if (count == nullptr)
    return E_POINTER;
  if (control() == nullptr)
    return kGone;
  *count = Count();
  return S_OK;
}

HRESULT CheckListAccessible::get_accChild(VARIANT child, IDispatch** object) {
  long item = 0;
  if (object == nullptr)
    return E_POINTER;
  *object = nullptr;
  if (control() == nullptr)
    return kGone;
  if (!Item(child, item) || item < 0)
    return E_INVALIDARG;
  return S_FALSE;  // items are simple elements of the list
}

HRESULT CheckListAccessible::get_accName(VARIANT child, BSTR* name) {
  long item = 0;
  if (control() == nullptr)
    return kGone;
  if (!Item(child, item))
    return E_INVALIDARG;
  if (item < 0)
    return Text(this->name(), name);
  const LRESULT length = SendMessageW(control(), LB_GETTEXTLEN, static_cast<WPARAM>(item), 0);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  SendMessageW(control(), LB_GETTEXT, static_cast<WPARAM>(item),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return Text(text, name);
}

HRESULT CheckListAccessible::get_accRole(VARIANT child, VARIANT* role) {
  long item = 0;
  if (role == nullptr)
    return E_POINTER;
  if (control() == nullptr)
    return kGone;
  if (!Item(child, item))
    return E_INVALIDARG;
  SetLong(role, item < 0 ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_CHECKBUTTON);
  return S_OK;
}

HRESULT CheckListAccessible::get_accState(VARIANT child, VARIANT* state) {
  long item = 0;
  if (state == nullptr)
    return E_POINTER;
  const HWND list = control();
  if (list == nullptr)
    return kGone;
  if (!Item(child, item))
    return E_INVALIDARG;
  if (item < 0)
    return AccessibleControl::get_accState(child, state);
  long bits = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
  if (SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(item), 0) == kItemChecked)
    bits |= STATE_SYSTEM_CHECKED;
  if (SendMessageW(list, LB_GETCURSEL, 0, 0) == item) {
    bits |= STATE_SYSTEM_SELECTED;
    if (GetFocus() == list)
      bits |= STATE_SYSTEM_FOCUSED;
  }
  if (!IsWindowEnabled(list))
    bits |= STATE_SYSTEM_UNAVAILABLE;
  RECT rect{};
  RECT client{};
  GetClientRect(list, &client);
  if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(item),
                   reinterpret_cast<LPARAM>(&rect)) == LB_ERR ||
      rect.bottom <= client.top || rect.top >= client.bottom)
    bits |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
  SetLong(state, bits);
  return S_OK;
}

HRESULT CheckListAccessible::get_accFocus(VARIANT* child) {
  if (child == nullptr)
    return E_POINTER;
  const HWND list = control();
  if (list == nullptr)
    return kGone;
  VariantInit(child);
  if (GetFocus() != list)
    return S_FALSE;
  const LRESULT current = SendMessageW(list, LB_GETCURSEL, 0, 0);
  SetLong(child, current == LB_ERR ? CHILDID_SELF : static_cast<long>(current) + 1);
  return S_OK;
}

HRESULT CheckListAccessible::get_accSelection(VARIANT* children) {
  if (children == nullptr)
    return E_POINTER;
  if (control() == nullptr)
    return kGone;
  VariantInit(children);
  const LRESULT current = SendMessageW(control(), LB_GETCURSEL, 0, 0);
  if (current == LB_ERR)
    return S_FALSE;
  SetLong(children, static_cast<long>(current) + 1);
  return S_OK;
}

HRESULT CheckListAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  long item = 0;
  if (control() == nullptr)
    return kGone;
  if (!Item(child, item))
    return E_INVALIDARG;
  if (item < 0)
    return AccessibleControl::get_accDefaultAction(child, action);
  const bool checked =
      SendMessageW(control(), LB_GETITEMDATA, static_cast<WPARAM>(item), 0) == kItemChecked;
  return Text(checked ? L"チェック解除" : L"チェック", action);
}

HRESULT CheckListAccessible::accSelect(long flags, VARIANT child) {
  long item = 0;
  const HWND list = control();
  if (list == nullptr)
    return kGone;
  if (!Item(child, item))
    return E_INVALIDARG;
  if (item < 0)
    return AccessibleControl::accSelect(flags, child);
  if (!IsWindowEnabled(list))
    return E_FAIL;
  if ((flags & SELFLAG_TAKEFOCUS) != 0)
    SetFocus(list);
  if ((flags & SELFLAG_TAKESELECTION) != 0) {
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(item), 0);
    // As a click would: the window follows the highlighted item.
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }
  return S_OK;
}

HRESULT CheckListAccessible::accLocation(long* left, long* top, long* width, long* height,
                                         VARIANT child) {
  long item = 0;
  if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
    return E_POINTER;
  const HWND list = control();
  if (list == nullptr)
    return kGone;
  if (!Item(child, item))
    return E_INVALIDARG;
  if (item < 0)
    return AccessibleControl::accLocation(left, top, width, height, child);
  RECT rect{};
  if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(item),
                   reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
    return E_FAIL;
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  *left = rect.left;
  *top = rect.top;
  *width = rect.right - rect.left;
  *height = rect.bottom - rect.top;
  return S_OK;
}

HRESULT CheckListAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  long item = 0;
  if (end == nullptr)
    return E_POINTER;
  if (control() == nullptr)
    return kGone;
  if (!Item(start, item))
    return E_INVALIDARG;
  VariantInit(end);
  const long count = Count();
  long target = -1;
  if (item < 0 && direction == NAVDIR_FIRSTCHILD)
    target = 0;
  else if (item < 0 && direction == NAVDIR_LASTCHILD)
    target = count - 1;
  else if (item < 0)
    return AccessibleControl::accNavigate(direction, start, end);
  else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN)
    target = item + 1;
  else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP)
    target = item - 1;
  if (target < 0 || target >= count)
    return S_FALSE;
  SetLong(end, target + 1);
  return S_OK;
}

HRESULT CheckListAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (child == nullptr)
    return E_POINTER;
  const HWND list = control();
  if (list == nullptr)
    return kGone;
  POINT point{x, y};
  ScreenToClient(list, &point);
  RECT client{};
  GetClientRect(list, &client);
  if (!PtInRect(&client, point))
    return AccessibleControl::accHitTest(x, y, child);
  const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
  SetLong(child, HIWORD(hit) == 0 ? static_cast<long>(LOWORD(hit)) + 1 : CHILDID_SELF);
  return S_OK;
}

HRESULT CheckListAccessible::accDoDefaultAction(VARIANT child) {
  long item = 0;
  const HWND list = control();
  if (list == nullptr)
    return kGone;
  if (!Item(child, item))
    return E_INVALIDARG;
  if (item < 0)
    return AccessibleControl::accDoDefaultAction(child);
  if (!IsWindowEnabled(list))
    return E_FAIL;
  SendMessageW(list, kCheckListToggleMessage, static_cast<WPARAM>(item), 0);
  return S_OK;
}

// --- LabelAccessible ---

AccessibleControl* LabelAccessible::Create(HWND label, std::wstring name) {
  return new LabelAccessible(label, std::move(name));  // owned by its references
}

HRESULT LabelAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!IsSelf(child))
    return AccessibleControl::get_accName(child, name);
  return control() != nullptr ? Text(this->name(), name) : kGone;
}

HRESULT LabelAccessible::get_accValue(VARIANT child, BSTR* value) {
  if (!IsSelf(child))
    return AccessibleControl::get_accValue(child, value);
  return control() != nullptr ? Text(WindowTextOf(control()), value) : kGone;
}

}  // namespace tenrovel::app::win32
