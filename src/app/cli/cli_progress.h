// The tool's progress on standard error: the status line of the job in
// UTF-8, redrawn in place with a progress bar on a terminal (cut to its
// width), otherwise one line per prefecture with its last state.
#pragma once

#include <string>

#include "job/job_callbacks.h"

namespace tenrovel::cli {

class CliProgress final : public job::JobCallbacks {
 public:
  // `bank_caption`: CP932, the bank's caption in the window.
  // `quiet`: nothing is shown.
  CliProgress(std::string bank_caption, bool terminal, bool quiet = false);

  void OnInitProgress(job::TMyThread& worker) override;
  void OnStepProgress(job::TMyThread& worker) override;
  void OnShowItemStatus(job::TMyThread& worker) override;
  void OnFinishJob(job::TMyThread& worker) override;

  bool finished() const { return finished_; }

 private:
  void Show(const std::string& status_utf8);
  // Failed downloads are errors: told at once, also when quiet.
  void TellNewFailures(const job::TMyThread& worker);
  // On a terminal: the next output begins on a line of its own.
  void EndProgressLine();
  // Not on a terminal: the prefecture's last status line.
  void EndPrefecture();

  const std::string bank_caption_;
  const bool terminal_;
  const bool quiet_;
  int maximum_ = 0;
  int position_ = 0;
  std::string last_line_;
  bool finished_ = false;
  std::size_t failures_told_ = 0;
};

// The URL without its query: scheme, host and path.
std::string ShortUrl(const std::string& url);

}  // namespace tenrovel::cli
