// A SourceContext for the source tests: a bank's facts, canned answers
// instead of the network, rows, status refreshes and pauses recorded, and
// Run, which calls a source for a list of prefectures as the job driver does.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "job/job_request.h"
#include "job/prefectures.h"
#include "job/source_context.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace tenrovel::sources::testing {

class FakeSourceContext : public job::SourceContext {
 public:
  explicit FakeSourceContext(job::BankFacts bank) : bank_(std::move(bank)) {}

  // --- The script ---
  job::SiteConfig sites;
  // Answers by URL; a URL without one is a failed download.
  std::map<std::string, std::string> answers;
  // Per URL, how many requests fail before its answer is given.
  std::map<std::string, int> failures_first;
  // Runs at every status refresh; may stop the job.
  std::function<void(FakeSourceContext&)> on_status;
  // Runs at every download before it is answered; may stop the job (the
  // download is answered all the same).
  std::function<void(FakeSourceContext&, const std::string& url)> on_download;

  // --- What the source did ---
  std::vector<std::string> rows;      // CP932, in order
  std::vector<std::string> requests;  // URLs, in order
  std::vector<std::string> statuses;  // "東京都 3/25": prefecture (UTF-8), done/total
  bool download_failed = false;
  std::chrono::milliseconds paused{0};  // all pauses together, unscaled

  // Calls `source` for each prefecture (list index) with what the bank's
  // source is given; the counters start at 0 for each, a stop request ends.
  void Run(const job::SourceEntry& source, const std::vector<std::size_t>& prefs) {
    for (const std::size_t i : prefs) {
      fields_.CurrentPrefName = job::PrefectureNames().at(i);
      fields_.PrefItemTotal = fields_.PrefItemDone = 0;
      const bool by_name = bank_.argument == job::SourceArgument::kPrefectureName;
      source(*this, by_name ? fields_.CurrentPrefName : job::PrefectureCode(i));
      if (stop_)
        break;
    }
  }
  void RequestStop() { stop_ = true; }

  // --- SourceContext ---
  bool Terminated() const override { return stop_; }
  job::JobFields& Fields() override { return fields_; }
  void WriteRow(std::string_view row) override {
    rows.emplace_back(row);
    fields_.RowWritten = job::kRowsWritten;
  }
  bool DownloadToFile(const std::string& url, const std::filesystem::path& path) override {
    requests.push_back(url);
    if (on_download)
      on_download(*this, url);
    const auto answer = answers.find(url);
    if (int& failing = failures_first[url]; failing > 0 || answer == answers.end()) {
      failing = failing > 0 ? failing - 1 : 0;
      download_failed = true;
      return false;  // the file stays as it was, as after a real failure
    }
    return platform::ReplaceFileAtomically(path, answer->second);
  }
  void Pause(std::chrono::milliseconds fixed) override { paused += fixed; }
  void SyncShowItemStatus() override {
    statuses.push_back(platform::Cp932ToUtf8(fields_.CurrentPrefName) + " " +
                       std::to_string(fields_.PrefItemDone) + "/" +
                       std::to_string(fields_.PrefItemTotal));
    if (on_status)
      on_status(*this);
  }
  const std::filesystem::path& TempFilePath() const override { return temp_; }
  const job::SiteConfig& Sites() const override { return sites; }
  const job::BankFacts& Bank() const override { return bank_; }

 private:
  const job::BankFacts bank_;
  platform::PrivateTempFolder folder_;
  const std::filesystem::path temp_ = folder_.path() / "tmp.dat";
  job::JobFields fields_;
  bool stop_ = false;
};

}  // namespace tenrovel::sources::testing
