#include "app/cli/cli_progress.h"

#include <utility>

#include "job/my_thread.h"
#include "job/status_line.h"
#include "platform/codepage.h"
#include "platform/console.h"

namespace tenrovel::cli {

CliProgress::CliProgress(std::string bank_caption, bool terminal, bool quiet)
    : bank_caption_(std::move(bank_caption)), terminal_(terminal), quiet_(quiet) {}

void CliProgress::OnInitProgress(job::TMyThread& worker) {
  maximum_ = worker.Fields().PrefCount;
  position_ = 0;
}

void CliProgress::OnStepProgress(job::TMyThread& worker) {
  TellNewFailures(worker);
  if (position_ < maximum_)
    ++position_;
}

void CliProgress::OnShowItemStatus(job::TMyThread& worker) {
  TellNewFailures(worker);
  Show(platform::Cp932ToUtf8(job::StatusLine(bank_caption_, worker.Fields())));
}

void CliProgress::OnFinishJob(job::TMyThread& worker) {
  TellNewFailures(worker);
  EndProgressLine();
  finished_ = true;
}

std::string ShortUrl(const std::string& url) {
  return url.substr(0, url.find_first_of("?#"));
}

void CliProgress::TellNewFailures(const job::TMyThread& worker) {
  // The worker waits while this runs, so its report holds still.
  const auto& failures = worker.Report().download_failures;
  for (; failures_told_ < failures.size(); ++failures_told_) {
    const job::DownloadFailure& failure = failures[failures_told_];
    EndProgressLine();
    platform::WriteStderr("tenrovel: download failed (" +
                          platform::Cp932ToUtf8(failure.prefecture) +
                          "): " + ShortUrl(failure.url) + ": " + failure.error + "\n");
  }
}

void CliProgress::EndProgressLine() {
  if (terminal_ && !last_line_.empty())
    platform::WriteStderr("\n");
  if (terminal_)
    last_line_.clear();
}

void CliProgress::Show(const std::string& status_utf8) {
  if (quiet_)
    return;
  if (!terminal_) {
    if (status_utf8 != last_line_)
      platform::WriteStderr(status_utf8 + "\n");
    last_line_ = status_utf8;
    return;
  }
  constexpr int kBarWidth = 20;
  const int filled = maximum_ > 0 ? position_ * kBarWidth / maximum_ : 0;
  std::string line = "\r[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + "] " +
                     std::to_string(position_) + "/" + std::to_string(maximum_) + " " +
                     status_utf8 + "\x1b[K";
  platform::WriteStderr(line);
  last_line_ = status_utf8;
}

}  // namespace tenrovel::cli
