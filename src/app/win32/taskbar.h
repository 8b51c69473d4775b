// Progress on the program's taskbar button through ITaskbarList3 (Windows 7
// and later).
//
// The taskbar announces each new button with the registered message
// "TaskbarButtonCreated"; a state set before that (or lost when Explorer
// restarts) is applied again then.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "app/win32/win_handles.h"
#include "app/win_constants.h"
//
#include <shobjidl.h>

namespace tenrovel::app::win32 {

class TaskbarProgress {
 public:
  TaskbarProgress();

  // `InitializeTaskbarAPI`: obtains and initialises the interface for
  // `window`'s button; true on success.
  bool Initialize(HWND window);
  // `SetTaskbarProgressValue`.
  void SetValue(std::uint64_t completed, std::uint64_t total);
  // `SetTaskbarProgressState`.
  void SetState(TTaskBarProgressState state);

  UINT button_created_message() const { return button_created_; }
  void OnButtonCreated();

 private:
  UINT button_created_ = 0;
  HWND window_ = nullptr;
  ComPtr<ITaskbarList3> list_;
  std::optional<std::pair<std::uint64_t, std::uint64_t>> value_;
  TBPFLAG state_ = TBPF_NOPROGRESS;
};

// The taskbar's flag for a state.
TBPFLAG TaskbarFlag(TTaskBarProgressState state);

}  // namespace tenrovel::app::win32
