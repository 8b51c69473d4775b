// TFrmMain: construction, the form's events, the selection controls and the
// check-all interplay.
#include "app/frm_main.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/job_status.h"
#include "app/window_texts.h"

namespace tenrovel::app {

namespace {

constexpr std::size_t Index(Control control) {
  return static_cast<std::size_t>(control);
}

// The window's fixed form has one radio button per row of the bank table.
constexpr Control RadioOf(std::size_t bank) {
  return static_cast<Control>(Index(Control::rdShop1) + bank);
}
// The radio buttons open the window's table, up to chkArea.
static_assert(Index(Control::chkArea) - Index(Control::rdShop1) == kBankCount,
              "one radio button per bank");

}  // namespace

TFrmMain::TFrmMain(MainWindowView& view, job::UiDispatcher& ui, Config config)
    : view_(view), ui_(ui), config_(std::move(config)) {
  const WindowTexts& texts = Texts();
  for (std::size_t bank = 0; bank < kBankCount; ++bank)
    Mutable(RadioOf(bank)) = {config_.banks[bank].facts.caption, true, bank == 0};
  Mutable(Control::chkArea) = {texts.chk_area, true, false};
  Mutable(Control::lstArea) = {"", true, false};
  Mutable(Control::btnAction) = {texts.btn_action, true, false};
  Mutable(Control::btnCancel) = {texts.btn_cancel, false, false};
  progress_ = {0, 0, 100, 1, true};
  status_text_ = texts.status_initial;
}

TFrmMain::~TFrmMain() {
  if (!thread_)
    return;
  // The UI thread serves no more callbacks: release a worker waiting for one.
  thread_->RequestStop();
  ui_.Close();
  thread_->WaitFor();
}

void TFrmMain::FormCreate() {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const auto control = static_cast<Control>(i);
    view_.SetCaption(control, controls_[i].caption);
    view_.SetEnabled(control, controls_[i].enabled);
    if (control != Control::lstArea && control != Control::btnAction &&
        control != Control::btnCancel)
      view_.SetChecked(control, controls_[i].checked);
  }
  const auto& names = job::PrefectureNames();
  view_.SetAreaItems(std::vector<std::string>(names.begin(), names.end()));
  view_.SetProgressBar(progress_);
  view_.SetStatusText(status_text_);

  // ITaskbarList3 exists from Windows 7 on.
  fields_.TaskbarReady = false;
  if (IsWindows7OrLater(view_.GetOsVersion()))
    fields_.TaskbarReady = view_.InitializeTaskbarAPI();
}

void TFrmMain::FormShow() {
  // The settings are applied once the window is on screen.
  view_.PostPrivateMessage(kWmLoadSettings);
}

void TFrmMain::OnPrivateMessage(unsigned message) {
  if (message == kWmLoadSettings)
    LoadSettings();
  else if (message == kWmReapWorker)
    ReapWorker();
  else if (message == kWmJobEnded)
    OnJobEnded();
}

bool TFrmMain::FormCloseQuery() {
  if (State(Control::btnCancel).enabled) {
    // A question of ours is still open: it is answered first.
    if (open_dialogs_ > 0)
      return false;
    const WindowTexts& texts = Texts();
    const unsigned asked_about = job_serial_;
    const int asked_status = fields_.JobStatus;
    const int answer =
        Ask(texts.msg_close_question, texts.caption_close, kMbYesNo | kMbIconQuestion | kMbTopmost);
    // If the job has ended meanwhile, its end (still waiting for this box)
    // ends the program instead of showing its outcome.
    if (answer == kIdYes && asked_about == job_serial_ && asked_status == fields_.JobStatus &&
        State(Control::btnCancel).enabled) {
      fields_.JobStatus =
          fields_.JobStatus == kJobCloseRequested ? kJobExitAfterWorker : kJobCloseRequested;
      btnCancelClick();
    }
    // The program ends by itself through FinishJob once the worker has ended.
    return false;
  }
  SaveSettings();
  return true;
}

void TFrmMain::chkAreaClick() {
  const bool checked = State(Control::chkArea).checked;
  for (std::size_t i = 0; i < area_checked_.size(); ++i)
    SetAreaChecked(i, checked);
  if (!area_checked_.empty())
    view_.FocusControl(Control::lstArea);
}

void TFrmMain::lstAreaClickCheck() {
  const bool chk_area = State(Control::chkArea).checked;
  const bool all = AllAreasChecked();
  // Only the box follows the list here; the list must keep its checks.
  chk_area_click_attached_ = false;
  if (chk_area && !all)
    SetChkAreaChecked(false);
  else if (!chk_area && all)
    SetChkAreaChecked(true);
  chk_area_click_attached_ = true;
}

void TFrmMain::UserSelectBank(std::size_t bank) {
  if (bank < kBankCount && State(RadioOf(bank)).enabled)
    SelectBank(bank);
}

void TFrmMain::UserSetChkArea(bool checked) {
  if (State(Control::chkArea).enabled)
    SetChkAreaChecked(checked);
}

void TFrmMain::UserSetAreaChecked(int index, bool checked) {
  if (!State(Control::lstArea).enabled)
    return;
  SetAreaChecked(static_cast<std::size_t>(index), checked);
  lstAreaClickCheck();
}

void TFrmMain::UserSelectAreaItem(int index) {
  if (State(Control::lstArea).enabled)
    SetAreaItemIndex(index);
}

const ControlState& TFrmMain::State(Control control) const {
  return controls_.at(Index(control));
}

ControlState& TFrmMain::Mutable(Control control) {
  return controls_.at(Index(control));
}

std::size_t TFrmMain::SelectedBank() const {
  for (std::size_t bank = 0; bank < kBankCount; ++bank) {
    if (State(RadioOf(bank)).checked)
      return bank;
  }
  return 0;
}

const std::string& TFrmMain::CheckedBankCaption() const {
  static const std::string kNone;
  for (std::size_t bank = 0; bank < kBankCount; ++bank) {
    if (State(RadioOf(bank)).checked)
      return State(RadioOf(bank)).caption;
  }
  return kNone;
}

void TFrmMain::SetEnabled(Control control, bool enabled) {
  Mutable(control).enabled = enabled;
  view_.SetEnabled(control, enabled);
}

void TFrmMain::SelectBank(std::size_t bank) {
  for (std::size_t each = 0; each < kBankCount; ++each)
    Mutable(RadioOf(each)).checked = each == bank;
  view_.SetChecked(RadioOf(bank), true);
}

void TFrmMain::SetChkAreaChecked(bool checked) {
  ControlState& box = Mutable(Control::chkArea);
  if (box.checked == checked)
    return;
  box.checked = checked;
  view_.SetChecked(Control::chkArea, checked);
  if (chk_area_click_attached_)
    chkAreaClick();
}

void TFrmMain::SetAreaChecked(std::size_t index, bool checked) {
  area_checked_.at(index) = checked;
  view_.SetAreaChecked(static_cast<int>(index), checked);
}

void TFrmMain::SetAreaItemIndex(int index) {
  area_item_index_ = index;
  view_.SetAreaItemIndex(index);
}

void TFrmMain::SetSelectionEnabled(bool enabled) {
  SetEnabled(Control::chkArea, enabled);
  SetEnabled(Control::lstArea, enabled);
  for (std::size_t bank = 0; bank < kBankCount; ++bank)
    SetEnabled(RadioOf(bank), enabled);
}

void TFrmMain::SetStatusText(const std::string& text) {
  status_text_ = text;
  view_.SetStatusText(text);
}

void TFrmMain::SetProgress(const ProgressBarState& state) {
  progress_ = state;
  view_.SetProgressBar(state);
}

bool TFrmMain::AnyAreaChecked() const {
  return std::any_of(area_checked_.begin(), area_checked_.end(), [](bool c) { return c; });
}

bool TFrmMain::AllAreasChecked() const {
  return std::all_of(area_checked_.begin(), area_checked_.end(), [](bool c) { return c; });
}

}  // namespace tenrovel::app
