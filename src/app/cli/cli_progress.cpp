#include "app/cli/cli_progress.h"

#include <utility>

#include "job/my_thread.h"
#include "job/status_line.h"
#include "platform/codepage.h"
#include "platform/console.h"

namespace tenrovel::cli {

CliProgress::CliProgress(std::string bank_caption, bool terminal)
    : bank_caption_(std::move(bank_caption)), terminal_(terminal) {}

void CliProgress::OnInitProgress(job::TMyThread& worker) {
  maximum_ = worker.Fields().PrefCount;
  position_ = 0;
}

void CliProgress::OnStepProgress(job::TMyThread&) {
  if (position_ < maximum_)
    ++position_;
}

void CliProgress::OnShowItemStatus(job::TMyThread& worker) {
  Show(platform::Cp932ToUtf8(job::StatusLine(bank_caption_, worker.Fields())));
}

void CliProgress::OnFinishJob(job::TMyThread&) {
  if (terminal_ && !last_line_.empty())
    platform::WriteStderr("\n");
  finished_ = true;
}

void CliProgress::Show(const std::string& status_utf8) {
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
