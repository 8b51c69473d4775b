// TMyThread: the worker that runs one job.
//
// It opens the output file, writes the bank's header row, walks the checked
// prefectures in list order and calls the bank's source once for each; the
// sources append the data rows through WriteRow (the worker is their
// SourceContext).
//
// The rows go to "<output>.part" beside the chosen file, which is replaced
// only when the job ends with its outcome decided (rows, nothing found, or
// a stop request). A job that could not reach the site, could not write or
// met an internal error leaves the chosen file as it was; the part file is
// removed then, except that rows an internal error interrupted are kept in
// it (JobReport::kept_part_file). Rows for standard output go there as
// they come, with no part file. The command line may ask the driver to skip
// the remaining prefectures once several in a row found no host
// (JobRequest::give_up_after_unreachable). Progress reaches the user
// interface only through the four Sync* calls, each of which runs a
// JobCallbacks method on the UI thread and waits for it.
//
// Lifetime: created suspended, started with Start, and owned by whoever
// created it. It never deletes itself. Its last act is SyncFinishJob; the
// owner joins it (WaitFor or the destructor) after that call has returned,
// never from inside it, and never from the worker thread.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>

#include "job/job_callbacks.h"
#include "job/job_fields.h"
#include "job/job_report.h"
#include "job/job_request.h"
#include "job/source_context.h"
#include "job/ui_dispatcher.h"
#include "platform/output_file.h"

namespace tenrovel::job {

class TMyThread final : public SourceContext {
 public:
  // Throws std::invalid_argument when the source or the downloader is
  // missing. The dispatcher and the callbacks must outlive the worker.
  TMyThread(JobRequest request, UiDispatcher& ui, JobCallbacks& callbacks);
  // Requests a stop and joins. The owner closes the dispatcher first if the
  // UI thread no longer serves it.
  ~TMyThread();
  TMyThread(const TMyThread&) = delete;
  TMyThread& operator=(const TMyThread&) = delete;

  // Runs Execute on a new thread; once only.
  void Start();
  // Sets the stop request (`Terminated`); any thread.
  void RequestStop();
  // Joins the thread if it was started and not yet joined.
  void WaitFor();

  // --- SourceContext: for the bank sources, on the worker thread ---

  bool Terminated() const override { return stop_.load(); }
  JobFields& Fields() override { return fields_; }
  const JobFields& Fields() const { return fields_; }
  // On disk at once. A failed write ends the job (JobReport::write_error).
  void WriteRow(std::string_view row) override;
  // Passes the stop request on to the transfer and records a failure that
  // the stop request did not cause.
  bool DownloadToFile(const std::string& url, const std::filesystem::path& path) override;
  void Pause(std::chrono::milliseconds fixed) override;
  void SyncShowItemStatus() override;
  const std::filesystem::path& TempFilePath() const override { return request_.temp_path; }
  const SiteConfig& Sites() const override { return request_.sites; }
  const BankFacts& Bank() const override { return request_.bank; }

  // --- For the owner ---

  const JobRequest& Request() const { return request_; }
  // Whether a download of this job failed; any thread.
  bool DownloadFailed() const { return download_failed_.load(); }
  // Complete once OnFinishJob runs; read it there or after WaitFor.
  const JobReport& Report() const { return report_; }

 private:
  // The thread body: RunJob, then the end steps, which run however RunJob ends.
  void Execute();
  // The job driver.
  void RunJob();
  void RunSource(std::size_t prefecture_index);
  // Whether the prefecture just run met only hosts that could not be reached.
  bool PrefectureFoundNoHost() const;
  // Throws when the write fails.
  void WriteLine(std::string_view line);
  void WriteBytes(std::string_view bytes);
  // Moves the part file over the chosen file, or removes or keeps it.
  void SettleOutputFile(bool stopped_by_request);
  void RecordEscapedError(const std::string& message);

  void SyncInitProgress();
  void SyncStepProgress();
  void SyncFinishJob();

  const JobRequest request_;
  UiDispatcher& ui_;
  JobCallbacks& callbacks_;
  JobFields fields_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> download_failed_{false};
  const std::filesystem::path part_path_;
  platform::OutputFile output_;  // `OutputFile`, at part_path_
  int rows_in_prefecture_ = 0;
  // Downloads of the current prefecture that found no host, and the others.
  int unreachable_in_prefecture_ = 0;
  int reached_in_prefecture_ = 0;
  JobReport report_;
  std::thread thread_;
};

}  // namespace tenrovel::job
