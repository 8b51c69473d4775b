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

// The bytes of the output file: code page 932 as the window writes them, or
// the same rows as UTF-8 after a byte order mark.
enum class OutputEncoding { kCp932, kUtf8 };

struct JobRequest {
  BankFacts bank;
  SourceEntry source;                            // the bank's
  std::array<bool, kPrefectureCount> checked{};  // in list order
  std::filesystem::path output_path;
  std::filesystem::path temp_path;  // the job's "tmp.dat"
  SiteConfig sites;
  Downloader download;
  // After this many prefectures in a row whose host could not be reached at
  // all (refused, name not found) the job skips the rest, rather than wait
  // for each of up to 47; 0: every prefecture is tried (the window).
  int give_up_after_unreachable = 0;
  // The rows go to standard output as they come: there is no part file and
  // nothing to replace; `output_path` only names it in messages.
  bool to_standard_output = false;
  OutputEncoding encoding = OutputEncoding::kCp932;
};

}  // namespace tenrovel::job
