#include "app/cli/cli_progress.h"

#include <utility>

#include "app/cli/terminal_width.h"
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
  EndPrefecture();
  if (position_ < maximum_)
    ++position_;
}

void CliProgress::OnShowItemStatus(job::TMyThread& worker) {
  TellNewFailures(worker);
  Show(platform::Cp932ToUtf8(job::StatusLine(bank_caption_, worker.Fields())));
}

void CliProgress::OnFinishJob(job::TMyThread& worker) {
  TellNewFailures(worker);
  EndPrefecture();
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

void CliProgress::EndPrefecture() {
  // A log gets the last state of each prefecture, not a line per record.
  if (!terminal_ && !quiet_ && !last_line_.empty())
    platform::WriteStderr(last_line_ + "\n");
  if (!terminal_)
    last_line_.clear();
}

void CliProgress::Show(const std::string& status_utf8) {
  if (quiet_)
    return;
  last_line_ = status_utf8;
  if (!terminal_)
    return;
  constexpr int kBarWidth = 20;
  constexpr int kUnknownColumns = 80;
  const int filled = maximum_ > 0 ? position_ * kBarWidth / maximum_ : 0;
  const std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                           std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + "] " +
                           std::to_string(position_) + "/" + std::to_string(maximum_) + " " +
                           status_utf8;
  const int columns = platform::StderrColumns();
  // The last column stays empty: some terminals wrap as soon as it is written.
  const std::string fitted = FitToWidth(line, (columns > 0 ? columns : kUnknownColumns) - 1);
  platform::WriteStderr("\r" + fitted + "\x1b[K");
}

}  // namespace tenrovel::cli
