// Runs a real job over one bank source with canned answers instead of the
// network: the downloader writes the answer the test gives for a URL (or
// fails when there is none), and the UI side records every status line.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "job/my_thread.h"
#include "job/queue_dispatcher.h"
#include "job/status_line.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace tenrovel::sources::testing {

struct JobResult {
  std::string output;                 // the output file's bytes
  std::vector<std::string> requests;  // URLs, in order
  std::vector<std::string> statuses;  // status lines in UTF-8, in order
  bool temp_left = true;
  bool download_failed = false;  // as the worker recorded it
};

class SourceHarness final : private job::JobCallbacks {
 public:
  // Answers by URL; a URL without one is a failed download.
  std::map<std::string, std::string> answers;
  // Per URL, how many requests fail before its answer is given.
  std::map<std::string, int> failures_first;
  // Called at every status refresh (on the UI thread); may stop the job.
  std::function<void(job::TMyThread&)> on_status;
  // Called on the worker thread before each download is answered; may stop
  // the job (the download then still gets its answer).
  std::function<void(job::TMyThread&, const std::string& url)> on_download;

  JobResult Run(job::Bank bank, const job::SourceEntry& source,
                const std::vector<std::size_t>& prefs, const job::SiteConfig& sites) {
    result_ = {};
    job::JobRequest request;
    request.bank = bank;
    for (const std::size_t i : prefs)
      request.checked.at(i) = true;
    request.output_path = folder_.path() / "out.csv";
    request.temp_path = folder_.path() / "tmp.dat";
    request.sites = sites;
    request.sites.delay_scale = 0;
    request.sources.mizuho = request.sources.smbc = request.sources.mufg = source;
    request.download = [this](const std::string& url, const std::filesystem::path& path,
                              const std::atomic<bool>*) {
      result_.requests.push_back(url);
      if (on_download)
        on_download(*worker_, url);
      if (const auto failing = failures_first.find(url);
          failing != failures_first.end() && failing->second > 0) {
        --failing->second;
        return job::DownloadOutcome{false, "failed on purpose"};
      }
      const auto answer = answers.find(url);
      if (answer == answers.end())
        return job::DownloadOutcome{false, "no answer"};
      platform::ReplaceFileAtomically(path, answer->second);
      return job::DownloadOutcome{true, ""};
    };
    bank_ = bank;
    finished_ = false;
    job::QueueDispatcher ui;
    job::TMyThread worker(request, ui, *this);
    worker_ = &worker;
    worker.Start();
    ui.RunUntil([this] { return finished_; });
    worker.WaitFor();
    result_.output = platform::ReadFileBytes(request.output_path).value_or("");
    result_.temp_left = platform::FileExists(request.temp_path);
    result_.download_failed = worker.DownloadFailed();
    return result_;
  }

 private:
  void OnInitProgress(job::TMyThread&) override {}
  void OnStepProgress(job::TMyThread&) override {}
  void OnShowItemStatus(job::TMyThread& worker) override {
    result_.statuses.push_back(
        platform::Cp932ToUtf8(job::StatusLine(job::BankCaption(bank_), worker.Fields())));
    if (on_status)
      on_status(worker);
  }
  void OnFinishJob(job::TMyThread&) override { finished_ = true; }

  platform::PrivateTempFolder folder_;
  job::TMyThread* worker_ = nullptr;
  job::Bank bank_ = job::Bank::kMizuho;
  bool finished_ = false;
  JobResult result_;
};

// The rows of an output file after its header, as separate lines.
inline std::vector<std::string> DataRows(const std::string& output) {
  std::vector<std::string> rows;
  std::size_t pos = output.find("\r\n");
  while (pos != std::string::npos && pos + 2 < output.size()) {
    const std::size_t next = output.find("\r\n", pos + 2);
    rows.push_back(output.substr(pos + 2, next - pos - 2));
    pos = next;
  }
  return rows;
}

}  // namespace tenrovel::sources::testing
