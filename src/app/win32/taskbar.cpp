#include "app/win32/taskbar.h"

namespace tenrovel::app::win32 {

TBPFLAG TaskbarFlag(TTaskBarProgressState state) {
  switch (state) {
    case TTaskBarProgressState::tbpsNone:
      return TBPF_NOPROGRESS;
    case TTaskBarProgressState::tbpsIndeterminate:
      return TBPF_INDETERMINATE;
    case TTaskBarProgressState::tbpsNormal:
      return TBPF_NORMAL;
    case TTaskBarProgressState::tbpsError:
      return TBPF_ERROR;
    case TTaskBarProgressState::tbpsPaused:
      return TBPF_PAUSED;
  }
  return TBPF_NOPROGRESS;
}

TaskbarProgress::TaskbarProgress()
    : button_created_(RegisterWindowMessageW(L"TaskbarButtonCreated")) {}

bool TaskbarProgress::Initialize(HWND window) {
  window_ = window;
  ComPtr<ITaskbarList3> list;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                              list.put())) ||
      !list || FAILED(list->HrInit()))
    return false;
  list_ = std::move(list);
  return true;
}

void TaskbarProgress::SetValue(std::uint64_t completed, std::uint64_t total) {
  value_.emplace(completed, total);
  state_ = TBPF_NORMAL;  // a value shows the normal state
  if (list_)
    list_->SetProgressValue(window_, completed, total);
}

void TaskbarProgress::SetState(TTaskBarProgressState state) {
  state_ = TaskbarFlag(state);
  if (state_ == TBPF_NOPROGRESS || state_ == TBPF_INDETERMINATE)
    value_.reset();
  if (list_)
    list_->SetProgressState(window_, state_);
}

void TaskbarProgress::OnButtonCreated() {
  if (!list_)
    return;
  // A failure here only means no progress on the button; the job goes on.
  if (value_)
    list_->SetProgressValue(window_, value_->first, value_->second);
  list_->SetProgressState(window_, state_);
}

}  // namespace tenrovel::app::win32
