// TFrmMain: the logic of the main window, independent of any window system.
//
// It keeps the state of the window's controls, runs the handlers of the
// window (start, cancel, close, the check-all box and list, the private
// messages) and owns the job's worker. Everything it shows goes through a
// MainWindowView; everything the user does comes in through the handlers and
// the User* methods. All of it runs on the UI thread.
//
// The worker reports through the JobCallbacks this class implements; its
// end arrives as btnCancelClick with the worker as sender. The worker object
// is joined only after that call has returned: on the private message
// kWmReapWorker posted from it, at the next start, or when TFrmMain ends.
// The start button stays disabled until the worker has ended, even when a
// second Cancel has already returned the window to idle, so that two jobs
// never overlap.
//
// One box of ours at a time: while a message box or the save dialog is
// open, no handler opens another, and the end of a job waits (kWmJobEnded
// is posted when the last box closes). An answer acts only if the job it
// was asked about is still in the state it was asked about.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/bank_table.h"
#include "app/main_view.h"
#include "job/job_callbacks.h"
#include "job/job_report.h"
#include "job/job_request.h"
#include "job/my_thread.h"
#include "job/prefectures.h"
#include "job/site_config.h"
#include "job/ui_dispatcher.h"

namespace tenrovel::app {

class TFrmMain final : private job::JobCallbacks {
 public:
  // The window's fields that the job-control rules name.
  struct WindowFields {
    int JobStatus = 0;  // the job status code (app/job_status.h)
    // The worker of the current job; null when none, or once its end is handled.
    job::TMyThread* Worker = nullptr;
    std::filesystem::path OutputPath;
    bool TaskbarReady = false;                          // the taskbar button can show progress
    ScreenCursor SavedCursor = ScreenCursor::kDefault;  // restored when the job ends
  };

  struct Config {
    std::filesystem::path settings_file;  // "rvl.ini"
    std::filesystem::path temp_file;      // "tmp.dat"
    job::SiteConfig sites;
    BankTable banks;  // a bank without a source is listed but cannot be collected yet
    job::Downloader download;
    // Whether the system refuses `path` for its length; empty: never.
    std::function<bool(const std::filesystem::path&)> path_too_long;
  };

  // The dispatcher must be served by the thread that runs this object.
  TFrmMain(MainWindowView& view, job::UiDispatcher& ui, Config config);
  // Stops a worker still running, closes the dispatcher and joins it.
  ~TFrmMain();
  TFrmMain(const TFrmMain&) = delete;
  TFrmMain& operator=(const TFrmMain&) = delete;

  // --- Handlers ---
  void FormCreate();
  void FormShow();
  // True when the window may close.
  bool FormCloseQuery();
  void btnActionClick();
  // `sender` is the worker when it reports its end, null for the button.
  void btnCancelClick(job::TMyThread* sender = nullptr);
  void chkAreaClick();
  void lstAreaClickCheck();
  void FinishJob(int status);
  void OnPrivateMessage(unsigned message);
  void LoadSettings();
  void SaveSettings();
  // The session is about to end (sign-out, shutdown): true when it may,
  // false while a job runs. Never opens a box.
  bool QueryEndSession();
  // The session ends now: a running job is stopped with its rows kept, the
  // settings saved, the temporary file removed, and the program ended.
  void EndSession();

  // --- The user's changes to controls; ignored while the control is disabled ---
  void UserSelectBank(std::size_t bank);             // an index into the bank table
  void UserSetChkArea(bool checked);                 // then chkAreaClick
  void UserSetAreaChecked(int index, bool checked);  // then lstAreaClickCheck
  void UserSelectAreaItem(int index);

  // --- State ---
  const ControlState& State(Control control) const;
  bool AreaChecked(int index) const { return area_checked_.at(static_cast<std::size_t>(index)); }
  int AreaItemIndex() const { return area_item_index_; }
  std::size_t SelectedBank() const;
  const ProgressBarState& Progress() const { return progress_; }
  const std::string& StatusText() const { return status_text_; }
  const WindowFields& Fields() const { return fields_; }
  // Whether a worker thread still has to end (or to be joined).
  bool HasWorkerThread() const { return static_cast<bool>(thread_); }
  // The worker has ended, and its end waits for a box of ours to close.
  bool JobEndPending() const { return end_pending_; }

 private:
  // job::JobCallbacks
  void OnInitProgress(job::TMyThread& worker) override;
  void OnStepProgress(job::TMyThread& worker) override;
  void OnShowItemStatus(job::TMyThread& worker) override;
  void OnFinishJob(job::TMyThread& worker) override;

  ControlState& Mutable(Control control);
  void SetEnabled(Control control, bool enabled);
  void SelectBank(std::size_t bank);
  // Runs chkAreaClick when the state changes and the handler is attached.
  void SetChkAreaChecked(bool checked);
  void SetAreaChecked(std::size_t index, bool checked);
  void SetAreaItemIndex(int index);
  void SetSelectionEnabled(bool enabled);
  void SetStatusText(const std::string& text);
  void SetProgress(const ProgressBarState& state);
  bool AnyAreaChecked() const;
  bool AllAreasChecked() const;
  const std::string& CheckedBankCaption() const;

  // Every box and dialog goes through these, which count what is open.
  int Ask(const std::string& text, const std::string& caption, unsigned flags);
  std::optional<std::filesystem::path> AskSavePath(const SaveDialogRequest& request);
  void DialogClosed();
  // Whether the user agrees to replace `path`, which the save dialog did not
  // ask about because ".csv" was added after it; true when there is no such file.
  bool ConfirmReplaceAddedName(const std::filesystem::path& chosen);
  // The message for an output file that cannot be replaced or opened.
  const std::string& FileUnavailableMessage() const;

  void StartWorker();
  // The worker's end, once no box of ours is open.
  void OnJobEnded();
  // The status of a job whose worker has ended, with `JobStatus` still 0.
  int StatusOfEndedJob(const job::TMyThread* worker) const;
  // The message boxes of an end that the status codes alone do not tell;
  // whether one was shown.
  bool ShowEndProblems(int status);
  std::string CompletedMessage() const;
  void EndOfDetachedWorker();
  // Whether a worker has not reported its end yet.
  bool WorkerStillRunning() const { return thread_ && !thread_end_seen_; }
  void ReapWorker();

  MainWindowView& view_;
  job::UiDispatcher& ui_;
  const Config config_;

  std::array<ControlState, kControlCount> controls_;
  std::array<bool, job::kPrefectureCount> area_checked_{};
  int area_item_index_ = -1;
  bool chk_area_click_attached_ = true;
  ProgressBarState progress_;
  std::string status_text_;

  WindowFields fields_;

  std::unique_ptr<job::TMyThread> thread_;  // owns the worker until it is joined
  bool thread_end_seen_ = false;
  // What the worker of the job being finished reported, until FinishJob.
  std::optional<job::JobReport> ended_report_;
  bool in_finish_callback_ = false;
  bool end_pending_ = false;
  int open_dialogs_ = 0;
  unsigned job_serial_ = 0;  // which job a question was about
};

}  // namespace tenrovel::app
