// Single instance on Windows: a named mutex taken with initial ownership and
// held until the program ends. Any last-error value after the call (the name
// exists already, or the call failed) means another copy runs.
#include <windows.h>

#include "platform/codepage.h"
#include "platform/instance_lock.h"

namespace tenrovel::platform {

struct InstanceLock::Impl {
  HANDLE mutex = nullptr;
  bool owned = false;
  ~Impl() {
    if (owned)
      ReleaseMutex(mutex);
    if (mutex != nullptr)
      CloseHandle(mutex);
  }
};

InstanceLock::InstanceLock(const std::string& name) : impl_(std::make_unique<Impl>()) {
  const std::u16string wide = Utf8ToUtf16(name);
  SetLastError(0);
  impl_->mutex = CreateMutexW(nullptr, TRUE, reinterpret_cast<const wchar_t*>(wide.c_str()));
  impl_->owned = impl_->mutex != nullptr && GetLastError() == 0;
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::acquired() const {
  return impl_->owned;
}

}  // namespace tenrovel::platform
