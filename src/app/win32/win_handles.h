// Owners of the Windows handles and COM pointers the window program keeps.
// Each closes its handle exactly once; none can be copied, all can be moved.
#pragma once

// windows.h first: the other Windows headers need its definitions.
#include <windows.h>
//
#include <objbase.h>
#include <uxtheme.h>

#include <utility>

namespace tenrovel::app::win32 {

// A handle with a release function and a null value.
template <typename Handle, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other)
      reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle{}; }
  Handle release() { return std::exchange(handle_, Handle{}); }
  void reset(Handle handle = Handle{}) {
    const Handle old = std::exchange(handle_, handle);
    if (old != Handle{})
      Traits::Close(old);
  }

 private:
  Handle handle_{};
};

struct GdiObjectTraits {
  static void Close(HFONT font) { DeleteObject(font); }
};
using FontHandle = UniqueHandle<HFONT, GdiObjectTraits>;

struct IconTraits {
  static void Close(HICON icon) { DestroyIcon(icon); }
};
using IconHandle = UniqueHandle<HICON, IconTraits>;

struct ThemeTraits {
  static void Close(HTHEME theme) { CloseThemeData(theme); }
};
using ThemeHandle = UniqueHandle<HTHEME, ThemeTraits>;

struct WindowTraits {
  static void Close(HWND window) { DestroyWindow(window); }
};
// A top-level window; child windows go with their parent.
using WindowHandle = UniqueHandle<HWND, WindowTraits>;

// A window class registered by this program, unregistered at the end.
class WindowClass {
 public:
  WindowClass() = default;
  explicit WindowClass(const WNDCLASSEXW& definition)
      : instance_(definition.hInstance), atom_(RegisterClassExW(&definition)) {}
  ~WindowClass() {
    if (atom_ != 0)
      UnregisterClassW(MAKEINTATOM(atom_), instance_);
  }
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;
  ATOM atom() const { return atom_; }

 private:
  HINSTANCE instance_ = nullptr;
  ATOM atom_ = 0;
};

// A reference to a COM object.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For the functions that hand out a new reference.
  void** put() {
    reset();
    return reinterpret_cast<void**>(&pointer_);
  }
  void reset() {
    if (pointer_ != nullptr)
      std::exchange(pointer_, nullptr)->Release();
  }

 private:
  Interface* pointer_ = nullptr;
};

// COM for the user-interface thread (the save dialog and the taskbar need it).
class ComApartment {
 public:
  ComApartment()
      : initialized_(
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
  }
  ~ComApartment() {
    if (initialized_)
      CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

}  // namespace tenrovel::app::win32
