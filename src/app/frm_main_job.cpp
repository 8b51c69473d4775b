// TFrmMain and the job: starting it, cancelling it, the worker's callbacks
// and settling every end.
#include <utility>

#include "app/frm_main.h"
#include "app/job_status.h"
#include "app/output_path.h"
#include "app/window_texts.h"
#include "job/status_line.h"
#include "platform/files.h"

namespace tenrovel::app {

namespace {
constexpr unsigned kInformation = kMbOk | kMbIconInformation | kMbTopmost;
}  // namespace

void TFrmMain::btnActionClick() {
  // A worker that has not ended yet keeps the start button disabled; one
  // that has ended is joined now.
  ReapWorker();
  if (thread_)
    return;

  const WindowTexts& texts = Texts();
  if (!AnyAreaChecked()) {
    view_.ShowMessageBox(texts.msg_no_prefecture, texts.caption_error, kInformation);
    return;
  }
  const BankRow& bank = config_.banks[SelectedBank()];

  const std::string proposal = DefaultOutputFileName(bank.facts);
  fields_.OutputPath = PathFromCp932(proposal);
  SaveDialogRequest dialog;
  dialog.title = texts.save_title;
  dialog.filter = texts.save_filter;
  dialog.file_name = proposal;
  const auto chosen = view_.ShowSaveDialog(dialog);
  if (!chosen)
    return;
  fields_.OutputPath = WithCsvExtension(*chosen);

  if (platform::FileExists(fields_.OutputPath) && !platform::DeleteFileAt(fields_.OutputPath)) {
    view_.ShowMessageBox(texts.msg_file_in_use, texts.caption_error, kInformation);
    return;
  }

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

  if (fields_.Worker == nullptr)
    StartWorker();
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
  }
  const job::TMyThread* worker = sender != nullptr ? sender : fields_.Worker;
  const bool running = worker != nullptr && worker->Fields().JobRunning;

  if (fields_.JobStatus == kJobStarted && running) {
    const WindowTexts& texts = Texts();
    const int answer = view_.ShowMessageBox(texts.msg_cancel_question, texts.caption_cancel,
                                            kMbYesNo | kMbIconQuestion);
    if (answer == kIdYes) {
      fields_.JobStatus = kJobCancelled;
      if (fields_.Worker != nullptr)
        fields_.Worker->RequestStop();
    }
  } else if (fields_.JobStatus == kJobStarted) {
    fields_.Worker = nullptr;
    const int rows = worker != nullptr ? worker->Fields().RowWritten.load() : job::kNoRowWritten;
    if (worker != nullptr && worker->Fields().OutputOpenFailed)
      fields_.JobStatus = kJobOutputUnavailable;
    else if (rows == job::kNoRowWritten)
      fields_.JobStatus = kJobNothingFound;
    else if (rows == job::kSiteUnreachable)
      fields_.JobStatus = kJobSiteUnreachable;
    FinishJob(fields_.JobStatus);
  } else if (fields_.JobStatus == kJobCloseRequested && running) {
    if (fields_.Worker != nullptr)
      fields_.Worker->RequestStop();
    fields_.JobStatus = kJobExitAfterWorker;
  } else {
    // Cancel pressed again while the job stops, or the worker has ended
    // after a cancel or a close request.
    fields_.Worker = nullptr;
    FinishJob(fields_.JobStatus);
  }
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
  switch (status) {
    case kJobStarted: {
      view_.Beep(kMbIconQuestion);
      view_.FlashTaskbarButton({kFlashwAll | kFlashwTimerNoFg, 30, 700});
      const int answer =
          view_.ShowMessageBox(texts.msg_completed, texts.caption_finished,
                               kMbYesNo | kMbIconQuestion | kMbDefButton2 | kMbTopmost);
      if (answer == kIdYes) {
        if (platform::FileExists(fields_.OutputPath))
          view_.ShellOpen(fields_.OutputPath);
        else
          view_.ShowMessageBox(texts.msg_file_not_found, texts.caption_error, kInformation);
      }
      break;
    }
    case kJobNothingFound:
      view_.ShowMessageBox(texts.msg_nothing_found, texts.caption_nothing, kInformation);
      break;
    case kJobOutputUnavailable:
      view_.ShowMessageBox(texts.msg_file_in_use, texts.caption_error, kInformation);
      break;
    case kJobSiteUnreachable:
      view_.ShowMessageBox(texts.msg_site_unreachable, texts.caption_error, kInformation);
      break;
    case kJobCloseRequested:
    case kJobExitAfterWorker:
      SetEnabled(Control::btnCancel, false);
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
  SetEnabled(Control::btnAction, !WorkerStillRunning());
  SetEnabled(Control::btnCancel, false);
}

void TFrmMain::ReapWorker() {
  // Inside the finish callback the worker still waits for it to return.
  if (!thread_ || !thread_end_seen_ || in_finish_callback_)
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
