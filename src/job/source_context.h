// SourceContext: the worker as a bank source sees it, and all a source may
// use of it. TMyThread implements it; the sources include this header only,
// and their tests hand them a small fake instead of a whole worker.
//
// Thread rules: a source runs on the worker thread and calls these methods
// there. SyncShowItemStatus hands the status line to the user interface and
// waits for it; the UI reads `Fields()` only during that call. The stop
// request may be set from any thread at any time: a source asks Terminated
// between its steps and ends early when it is set.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "job/bank_facts.h"
#include "job/job_fields.h"
#include "job/site_config.h"

namespace tenrovel::job {

class SourceContext {
 public:
  // The stop request (`Terminated`): cancel, or the window closing.
  virtual bool Terminated() const = 0;
  // The job-wide fields; a source keeps `PrefItemTotal` and `PrefItemDone`.
  virtual JobFields& Fields() = 0;
  // Appends one complete row (CSV, CP932, without its line end) to the
  // output file, on disk at once, and sets `RowWritten`.
  virtual void WriteRow(std::string_view row) = 0;
  // GET `url` into `path`; whether it succeeded. A failure leaves the file
  // at `path` as it was (possibly absent) and is recorded for the job's end;
  // a stop request cuts the transfer short.
  virtual bool DownloadToFile(const std::string& url, const std::filesystem::path& path) = 0;
  // A fixed pause between requests, scaled by SiteConfig::delay_scale; it
  // ends early on a stop request.
  virtual void Pause(std::chrono::milliseconds fixed) = 0;
  // Shows the status line with the current counters, after each item and
  // once for a prefecture without items.
  virtual void SyncShowItemStatus() = 0;
  // The job's temporary download file ("tmp.dat"), removed when the job ends.
  virtual const std::filesystem::path& TempFilePath() const = 0;
  // Where the sites are.
  virtual const SiteConfig& Sites() const = 0;
  // The facts of the job's bank: how to quote rows, how long to pause.
  virtual const BankFacts& Bank() const = 0;

 protected:
  ~SourceContext() = default;
};

}  // namespace tenrovel::job
