// Everything a job needs, taken as a snapshot when it starts, so that the
// worker never reads the window's controls.
#pragma once

#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <string>

#include "job/bank_facts.h"
#include "job/prefectures.h"
#include "job/site_config.h"
#include "platform/http.h"

namespace tenrovel::job {

class SourceContext;

// A bank source: handles one prefecture on the worker thread. `arg` is the
// prefecture code or name, as the bank's SourceArgument says.
using SourceEntry = std::function<void(SourceContext& context, const std::string& arg)>;

// The transfer under TMyThread::DownloadToFile: GET `url` into `path`,
// abandoned when `*stop` becomes true (platform::HttpGetToFile in the
// program, canned answers in tests).
using Downloader = std::function<platform::DownloadResult(
    const std::string& url, const std::filesystem::path& path, const std::atomic<bool>* stop)>;

struct JobRequest {
  BankFacts bank;
  SourceEntry source;                            // the bank's
  std::array<bool, kPrefectureCount> checked{};  // in list order
  std::filesystem::path output_path;
  std::filesystem::path temp_path;  // the job's "tmp.dat"
  SiteConfig sites;
  Downloader download;
};

}  // namespace tenrovel::job
