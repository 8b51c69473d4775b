// What assistive technology learns about the two controls it cannot read
// by itself: the prefecture list, whose check marks are only drawn, and the
// status label, whose text alone does not say what it is.
//
// Each control answers WM_GETOBJECT for its client object with one of these
// objects. They wrap the system's standard object for the control and pass
// on everything they do not know better. They reach the control only
// through its window handle, so that a client that still holds one after
// the control has gone gets an error, never a dangling pointer.
#pragma once

#include <oleacc.h>

#include <string>
#include <utility>

#include "app/win32/win_handles.h"

namespace tenrovel::app::win32 {

// Asks the list to toggle an item (WPARAM: its index), as a click on its box
// does; sent by the accessible object's default action.
inline constexpr UINT kCheckListToggleMessage = WM_APP + 20;

class AccessibleControl : public IAccessible {
 public:
  // Lets `control` answer WM_GETOBJECT with `object` until it is destroyed;
  // the control keeps a reference until then.
  static void Attach(HWND control, AccessibleControl* object);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: not offered; clients use the IAccessible methods.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override;
  // IAccessible: the standard object's answers, unless a subclass knows better.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

 protected:
  AccessibleControl(HWND control, std::wstring name);
  virtual ~AccessibleControl() = default;

  // The control, or null once it has gone.
  HWND control() const { return control_; }
  // The standard object, made on first use; null once the control has gone.
  IAccessible* standard();
  const std::wstring& name() const { return name_; }

  // Passes a call on to the standard object.
  template <typename... Parameters, typename... Arguments>
  HRESULT PassOn(HRESULT (STDMETHODCALLTYPE IAccessible::*method)(Parameters...),
                 Arguments&&... arguments) {
    IAccessible* const inner = standard();
    return inner != nullptr ? (inner->*method)(std::forward<Arguments>(arguments)...)
                            : RPC_E_DISCONNECTED;
  }

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR self);

  HWND control_;
  const std::wstring name_;
  ComPtr<IAccessible> standard_;
  ULONG references_ = 1;
};

// lstArea: its items are check boxes with the prefecture's name and the
// item's check mark (item data kItemChecked), toggled by their default action.
class CheckListAccessible final : public AccessibleControl {
 public:
  // A new object with one reference, for Attach.
  static AccessibleControl* Create(HWND list, std::wstring name);

  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;

 private:
  using AccessibleControl::AccessibleControl;
  long Count() const;
  // Sets `item` to the 0-based item of a child id, or -1 for the list
  // itself; false when the id is neither.
  bool Item(const VARIANT& child, long& item) const;
};

// A label with a fixed name; its text is its value.
class LabelAccessible final : public AccessibleControl {
 public:
  static AccessibleControl* Create(HWND label, std::wstring name);

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;

 private:
  using AccessibleControl::AccessibleControl;
};

}  // namespace tenrovel::app::win32
