// TFrmMain and the job: starting it, cancelling it, the worker's callbacks
// and settling every end.
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "app/frm_main.h"
#include "app/job_status.h"
#include "app/output_path.h"
#include "app/window_texts.h"
#include "job/status_line.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/output_file.h"

namespace tenrovel::app {

namespace {
constexpr unsigned kInformation = kMbOk | kMbIconInformation | kMbTopmost;
}  // namespace

void TFrmMain::btnActionClick() {
  if (open_dialogs_ > 0)
    return;
  // A worker that has not ended yet keeps the start button disabled; one
  // that has ended is joined now.
  ReapWorker();
  if (thread_)
    return;

  const WindowTexts& texts = Texts();
  if (!AnyAreaChecked()) {
    Ask(texts.msg_no_prefecture, texts.caption_error, kInformation);
    return;
  }
  const BankRow& bank = config_.banks[SelectedBank()];

  const std::string proposal = DefaultOutputFileName(bank.facts);
  fields_.OutputPath = PathFromCp932(proposal);
  SaveDialogRequest dialog;
  dialog.title = texts.save_title;
  dialog.filter = texts.save_filter;
  dialog.file_name = proposal;
  dialog.default_extension = "csv";
  const auto chosen = AskSavePath(dialog);
  if (!chosen || !ConfirmReplaceAddedName(*chosen))
    return;
  fields_.OutputPath = WithCsvExtension(*chosen);

  // The file is replaced only at the end; it must be replaceable now.
  if (platform::FileExists(fields_.OutputPath) && !platform::CanReplaceFile(fields_.OutputPath)) {
    Ask(FileUnavailableMessage(), texts.caption_error, kInformation);
    return;
  }

  ++job_serial_;
  fields_.JobStatus = kJobStarted;
  fields_.SavedCursor = view_.GetScreenCursor();
  view_.SetScreenCursor(ScreenCursor::kAppStarting);

  SetSelectionEnabled(false);
  SetEnabled(Control::btnAction, false);
  SetEnabled(Control::btnCancel, true);

  ProgressBarState bar = progress_;
  bar.position = 0;
  bar.visible = true;
  SetProgress(bar);
  view_.SetStatusColorWindowText();
  SetStatusText(texts.status_fetching);
  view_.Repaint();
  view_.SetShutdownBlockReason(texts.shutdown_reason);

  if (fields_.Worker == nullptr)
    StartWorker();
}

bool TFrmMain::ConfirmReplaceAddedName(const std::filesystem::path& chosen) {
  const std::filesystem::path target = WithCsvExtension(chosen);
  if (target == chosen || !platform::FileExists(target))
    return true;
  const WindowTexts& texts = Texts();
  const std::u8string name = target.filename().u8string();
  const std::string text =
      platform::Utf8ToCp932(std::string(name.begin(), name.end())) + texts.msg_overwrite_suffix;
  return Ask(text, texts.caption_overwrite, kMbYesNo | kMbIconWarning | kMbDefButton2) == kIdYes;
}

const std::string& TFrmMain::FileUnavailableMessage() const {
  const WindowTexts& texts = Texts();
  if (config_.path_too_long && config_.path_too_long(fields_.OutputPath))
    return texts.msg_path_too_long;
  return texts.msg_file_in_use;
}

int TFrmMain::Ask(const std::string& text, const std::string& caption, unsigned flags) {
  ++open_dialogs_;
  int answer = kIdNo;
  try {
    answer = view_.ShowMessageBox(text, caption, flags);
  } catch (...) {
    DialogClosed();
    throw;
  }
  DialogClosed();
  return answer;
}

std::optional<std::filesystem::path> TFrmMain::AskSavePath(const SaveDialogRequest& request) {
  ++open_dialogs_;
  std::optional<std::filesystem::path> chosen;
  try {
    chosen = view_.ShowSaveDialog(request);
  } catch (...) {
    DialogClosed();
    throw;
  }
  DialogClosed();
  return chosen;
}

void TFrmMain::DialogClosed() {
  --open_dialogs_;
  if (open_dialogs_ == 0 && end_pending_)
    view_.PostPrivateMessage(kWmJobEnded);
}

void TFrmMain::StartWorker() {
  const BankRow& bank = config_.banks[SelectedBank()];
  job::JobRequest request;
  request.bank = bank.facts;
  request.source = bank.source;
  request.checked = area_checked_;
  request.output_path = fields_.OutputPath;
  request.temp_path = config_.temp_file;
  request.sites = config_.sites;
  request.download = config_.download;
  job::JobCallbacks& callbacks = *this;
  thread_ = std::make_unique<job::TMyThread>(std::move(request), ui_, callbacks);
  thread_end_seen_ = false;
  fields_.Worker = thread_.get();
  thread_->Start();
}

void TFrmMain::btnCancelClick(job::TMyThread* sender) {
  if (sender != nullptr) {
    if (sender != fields_.Worker) {
      EndOfDetachedWorker();
      return;
    }
    thread_end_seen_ = true;
    ended_report_ = sender->Report();
    if (open_dialogs_ > 0) {
      // Settled once the box is answered: its answer must still find the
      // job it was asked about, and no box of the end may open over it.
      end_pending_ = true;
      return;
    }
  } else if (open_dialogs_ > 0) {
    return;
  }
  const bool running = fields_.Worker != nullptr && fields_.Worker->Fields().JobRunning;

  if (fields_.JobStatus == kJobStarted && running) {
    const WindowTexts& texts = Texts();
    const unsigned asked_about = job_serial_;
    const int answer =
        Ask(texts.msg_cancel_question, texts.caption_cancel, kMbYesNo | kMbIconQuestion);
    const bool still_running = asked_about == job_serial_ && fields_.JobStatus == kJobStarted &&
                               fields_.Worker != nullptr && !thread_end_seen_;
    if (answer == kIdYes && still_running) {
      fields_.JobStatus = kJobCancelled;
      fields_.Worker->RequestStop();
    }
  } else if (fields_.JobStatus == kJobStarted) {
    const job::TMyThread* worker = std::exchange(fields_.Worker, nullptr);
    end_pending_ = false;
    fields_.JobStatus = StatusOfEndedJob(worker);
    FinishJob(fields_.JobStatus);
  } else if (fields_.JobStatus == kJobCloseRequested && running) {
    fields_.Worker->RequestStop();
    fields_.JobStatus = kJobExitAfterWorker;
  } else {
    // Cancel pressed again while the job stops, or the worker has ended
    // after a cancel or a close request.
    fields_.Worker = nullptr;
    end_pending_ = false;
    FinishJob(fields_.JobStatus);
  }
}

void TFrmMain::OnJobEnded() {
  if (!end_pending_ || open_dialogs_ > 0 || fields_.Worker == nullptr)
    return;
  end_pending_ = false;
  btnCancelClick(fields_.Worker);
  ReapWorker();
}

int TFrmMain::StatusOfEndedJob(const job::TMyThread* worker) const {
  if (worker == nullptr)
    return kJobNothingFound;
  const job::JobReport& report = worker->Report();
  if (report.escaped_error)
    return kJobInternalError;
  if (worker->Fields().OutputOpenFailed)
    return kJobOutputUnavailable;
  if (report.write_error)
    return kJobWriteFailed;
  switch (worker->Fields().RowWritten.load()) {
    case job::kNoRowWritten:
      return kJobNothingFound;
    case job::kSiteUnreachable:
      return kJobSiteUnreachable;
    default:
      return kJobStarted;
  }
}

bool TFrmMain::ShowEndProblems(int status) {
  const WindowTexts& texts = Texts();
  const job::JobReport* report = ended_report_ ? &*ended_report_ : nullptr;
  const auto kept_in = [&] {
    if (report == nullptr || !report->kept_part_file)
      return std::string();
    return "\n" + texts.msg_rows_kept_in + "\n" + PathToCp932(*report->kept_part_file);
  };
  if (status == kJobInternalError) {
    Ask(texts.msg_internal_error + kept_in(), texts.caption_error, kInformation);
    return true;
  }
  if (status == kJobWriteFailed) {
    const std::string reason =
        report != nullptr && report->write_error ? platform::Utf8ToCp932(*report->write_error) : "";
    Ask(texts.msg_write_failed + "\n" + reason, texts.caption_error, kInformation);
    return true;
  }
  if (report != nullptr && report->replace_error) {
    Ask(texts.msg_replace_failed + kept_in(), texts.caption_error, kInformation);
    return true;
  }
  return false;
}

std::string TFrmMain::CompletedMessage() const {
  const WindowTexts& texts = Texts();
  std::string message = texts.msg_completed;
  if (!ended_report_)
    return message;
  const std::vector<std::string> names = job::PrefecturesNotFullyFetched(*ended_report_);
  for (std::size_t i = 0; i < names.size(); ++i)
    message += (i == 0 ? "\n" + texts.msg_not_fetched_prefix : texts.name_separator) + names[i];
  return message;
}

void TFrmMain::EndOfDetachedWorker() {
  // The window let go of this worker at a second Cancel and is idle or busy
  // with nothing else; only the start button waited for this end.
  thread_end_seen_ = true;
  if (!State(Control::btnCancel).enabled)
    SetEnabled(Control::btnAction, true);
}

void TFrmMain::FinishJob(int status) {
  const WindowTexts& texts = Texts();
  view_.SetScreenCursor(fields_.SavedCursor);
  view_.SetShutdownBlockReason("");
  // The job is over: a close from here on asks nothing about it.
  SetEnabled(Control::btnCancel, false);
  const std::string completed = CompletedMessage();
  // A problem box replaces the outcome's own message; a close still ends
  // the program.
  const bool told = ShowEndProblems(status);
  ended_report_.reset();
  const bool exits = status == kJobCloseRequested || status == kJobExitAfterWorker;
  switch (told && !exits ? kJobCancelled : status) {
    case kJobStarted: {
      view_.Beep(kMbIconQuestion);
      view_.FlashTaskbarButton({kFlashwAll | kFlashwTimerNoFg, 30, 700});
      const int answer = Ask(completed, texts.caption_finished,
                             kMbYesNo | kMbIconQuestion | kMbDefButton2 | kMbTopmost);
      if (answer == kIdYes) {
        if (!platform::FileExists(fields_.OutputPath))
          Ask(texts.msg_file_not_found, texts.caption_error, kInformation);
        else if (!view_.ShellOpen(fields_.OutputPath))
          Ask(texts.msg_open_failed, texts.caption_error, kInformation);
      }
      break;
    }
    case kJobNothingFound:
      Ask(texts.msg_nothing_found, texts.caption_nothing, kInformation);
      break;
    case kJobOutputUnavailable:
      Ask(FileUnavailableMessage(), texts.caption_error, kInformation);
      break;
    case kJobSiteUnreachable:
      Ask(texts.msg_site_unreachable, texts.caption_error, kInformation);
      break;
    case kJobCloseRequested:
    case kJobExitAfterWorker:
      SaveSettings();
      view_.EndApplication();
      return;
    default:  // cancelled, or a code without a message
      break;
  }
  if (fields_.TaskbarReady)
    view_.SetTaskbarProgressState(TTaskBarProgressState::tbpsNone);

  SetStatusText("");
  ProgressBarState bar = progress_;
  bar.position = 0;
  SetProgress(bar);
  SetSelectionEnabled(true);
  const bool can_start = !WorkerStillRunning();
  SetEnabled(Control::btnAction, can_start);
  SetEnabled(Control::btnCancel, false);
  // The keyboard goes back to where the next job starts.
  if (can_start)
    view_.FocusControl(Control::btnAction);
}

void TFrmMain::ReapWorker() {
  // Inside the finish callback the worker still waits for it to return; an
  // end that waits for a box still reads the worker's fields.
  if (!thread_ || !thread_end_seen_ || in_finish_callback_ || end_pending_)
    return;
  thread_->WaitFor();
  thread_.reset();
}

void TFrmMain::OnInitProgress(job::TMyThread& worker) {
  if (&worker != fields_.Worker)
    return;
  SetProgress({0, 0, worker.Fields().PrefCount, 1, progress_.visible});
}

void TFrmMain::OnStepProgress(job::TMyThread& worker) {
  if (&worker != fields_.Worker)
    return;
  ProgressBarState bar = progress_;
  bar.position += bar.step;
  if (bar.position > bar.max)  // as a Windows progress bar, it starts over
    bar.position = bar.min;
  SetProgress(bar);
  if (fields_.TaskbarReady)
    view_.SetTaskbarProgressValue(static_cast<std::uint64_t>(bar.position),
                                  static_cast<std::uint64_t>(bar.max));
}

void TFrmMain::OnShowItemStatus(job::TMyThread& worker) {
  if (&worker != fields_.Worker)
    return;
  SetStatusText(job::StatusLine(CheckedBankCaption(), worker.Fields()));
}

void TFrmMain::OnFinishJob(job::TMyThread& worker) {
  in_finish_callback_ = true;
  btnCancelClick(&worker);
  in_finish_callback_ = false;
  // Posted last: the message boxes of the end run modal loops, which would
  // deliver the message while the worker still waits here.
  view_.PostPrivateMessage(kWmReapWorker);
}

}  // namespace tenrovel::app

namespace tenrovel::app {

namespace {
// Windows ends the program a few seconds after the session's end; the
// worker gets part of that time to close the output file.
constexpr std::chrono::milliseconds kSessionEndWait{2000};
constexpr std::chrono::milliseconds kSessionEndPoll{20};
}  // namespace

bool TFrmMain::QueryEndSession() {
  return !State(Control::btnCancel).enabled && !WorkerStillRunning();
}

void TFrmMain::EndSession() {
  if (WorkerStillRunning()) {
    // Stopped as a cancel stops it: the rows written stay. The UI thread
    // serves no more callbacks, so the worker must not wait for one.
    thread_->RequestStop();
    ui_.Close();
    for (auto waited = std::chrono::milliseconds(0);
         thread_->Fields().JobRunning && waited < kSessionEndWait; waited += kSessionEndPoll)
      std::this_thread::sleep_for(kSessionEndPoll);
  }
  SaveSettings();
  platform::DeleteFileAt(config_.temp_file);  // the worker's own removal may not have come
  view_.EndApplication();
}

}  // namespace tenrovel::app
