// A MainWindowView for tests: answers dialogs from a script, mirrors every
// control change it is told about, and records everything else it is asked
// to do.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/main_view.h"
#include "platform/codepage.h"

namespace tenrovel::app {

struct ShownBox {
  std::string text;  // UTF-8, for readable failures
  std::string caption;
  unsigned flags = 0;
  bool operator==(const ShownBox&) const = default;
};

inline void PrintTo(const ShownBox& box, std::ostream* os) {
  *os << "{\"" << box.text << "\", \"" << box.caption << "\", 0x" << std::hex << box.flags << "}";
}

class ScriptedView final : public MainWindowView {
 public:
  // --- The script ---
  std::deque<int> answers;  // for Yes/No boxes, in order
  std::optional<std::filesystem::path> save_answer;
  OsVersion os_version{10, 0};
  bool taskbar_api = true;
  bool shell_open_works = true;
  // Runs when the status text changes: where a test acts in the middle of a job.
  std::function<void(const std::string& utf8)> on_status;
  // Runs inside every dialog, as the modal loop of a Windows dialog
  // delivers posted messages.
  std::function<void()> modal_loop;

  // --- What was shown and done ---
  std::array<ControlState, kControlCount> controls{};
  std::vector<std::string> area_items;
  std::vector<bool> area_checked;
  int area_item_index = -1;
  std::vector<Control> focused;
  ProgressBarState progress;
  std::string status;  // UTF-8
  bool status_window_text = false;
  int repaints = 0;
  ScreenCursor cursor = ScreenCursor::kOther;
  std::vector<ShownBox> boxes;
  int open_dialogs = 0;
  int most_open_dialogs = 0;  // one box over another is a fault
  std::vector<SaveDialogRequest> save_dialogs;
  std::vector<unsigned> beeps;
  std::vector<FlashRequest> flashes;
  int taskbar_inits = 0;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> taskbar_values;
  std::vector<TTaskBarProgressState> taskbar_states;
  std::vector<std::filesystem::path> opened;
  std::deque<unsigned> posted;
  bool ended = false;
  std::vector<std::string> shutdown_reasons;  // UTF-8, "" when removed

  const ControlState& Of(Control c) const { return controls.at(static_cast<std::size_t>(c)); }

  void SetCaption(Control c, const std::string& caption) override { At(c).caption = caption; }
  void SetEnabled(Control c, bool enabled) override { At(c).enabled = enabled; }
  void SetChecked(Control c, bool checked) override {
    if (checked && (c == Control::rdShop1 || c == Control::rdShop2 || c == Control::rdShop3)) {
      for (const Control radio : {Control::rdShop1, Control::rdShop2, Control::rdShop3})
        At(radio).checked = false;
    }
    At(c).checked = checked;
  }
  void SetAreaItems(const std::vector<std::string>& names) override {
    area_items = names;
    area_checked.assign(names.size(), false);
  }
  void SetAreaChecked(int index, bool checked) override {
    area_checked.at(static_cast<std::size_t>(index)) = checked;
  }
  void SetAreaItemIndex(int index) override { area_item_index = index; }
  void FocusControl(Control c) override { focused.push_back(c); }
  void SetProgressBar(const ProgressBarState& state) override { progress = state; }
  void SetStatusText(const std::string& text) override {
    status = platform::Cp932ToUtf8(text);
    if (on_status)
      on_status(status);
  }
  void SetStatusColorWindowText() override { status_window_text = true; }
  void Repaint() override { ++repaints; }
  ScreenCursor GetScreenCursor() override { return cursor; }
  void SetScreenCursor(ScreenCursor c) override { cursor = c; }

  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
    boxes.push_back({platform::Cp932ToUtf8(text), platform::Cp932ToUtf8(caption), flags});
    RunModalLoop();
    if ((flags & 0xF) != kMbYesNo)
      return kIdOk;
    if (answers.empty()) {
      ADD_FAILURE() << "unscripted question: " << boxes.back().text;
      return kIdNo;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::optional<std::filesystem::path> ShowSaveDialog(const SaveDialogRequest& request) override {
    save_dialogs.push_back(request);
    RunModalLoop();
    return save_answer;
  }

  void Beep(unsigned type) override { beeps.push_back(type); }
  void FlashTaskbarButton(const FlashRequest& request) override { flashes.push_back(request); }
  bool InitializeTaskbarAPI() override {
    ++taskbar_inits;
    return taskbar_api;
  }
  void SetTaskbarProgressValue(std::uint64_t completed, std::uint64_t total) override {
    taskbar_values.emplace_back(completed, total);
  }
  void SetTaskbarProgressState(TTaskBarProgressState state) override {
    taskbar_states.push_back(state);
  }
  bool ShellOpen(const std::filesystem::path& file) override {
    opened.push_back(file);
    return shell_open_works;
  }
  OsVersion GetOsVersion() override { return os_version; }
  void SetShutdownBlockReason(const std::string& reason) override {
    shutdown_reasons.push_back(platform::Cp932ToUtf8(reason));
  }
  void PostPrivateMessage(unsigned message) override { posted.push_back(message); }
  void EndApplication() override { ended = true; }

 private:
  void RunModalLoop() {
    most_open_dialogs = std::max(most_open_dialogs, ++open_dialogs);
    if (modal_loop)
      modal_loop();
    --open_dialogs;
  }
  ControlState& At(Control c) { return controls.at(static_cast<std::size_t>(c)); }
};

}  // namespace tenrovel::app
