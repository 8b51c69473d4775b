// Everything a job needs, taken as a snapshot when it starts, so that the
// worker never reads the window's controls.
#pragma once

#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <string>

#include "job/bank.h"
#include "job/download.h"
#include "job/prefectures.h"
#include "job/site_config.h"

namespace tenrovel::job {

class SourceContext;

// A bank source: handles one prefecture on the worker thread. `arg` is the
// prefecture code "01".."47" (Mizuho, MUFG) or the CP932 prefecture name
// (SMBC).
using SourceEntry = std::function<void(SourceContext& job, const std::string& arg)>;

// The sources of the three banks; an empty one is not available (yet), and a
// job for its bank cannot be started.
struct BankSources {
  SourceEntry mizuho;
  SourceEntry smbc;
  SourceEntry mufg;

  const SourceEntry& For(Bank bank) const;
  bool Available(Bank bank) const { return static_cast<bool>(For(bank)); }
};

// The transfer under TMyThread::DownloadToFile: GET `url` into `path`,
// abandoned when `*stop` becomes true.
using Downloader = std::function<DownloadOutcome(
    const std::string& url, const std::filesystem::path& path, const std::atomic<bool>* stop)>;

struct JobRequest {
  Bank bank = Bank::kMizuho;
  std::array<bool, kPrefectureCount> checked{};  // in list order
  std::filesystem::path output_path;
  std::filesystem::path temp_path;  // the job's "tmp.dat"
  SiteConfig sites;
  BankSources sources;
  Downloader download;
};

}  // namespace tenrovel::job
