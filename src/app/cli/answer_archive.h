// --save-answers: a copy of every answer a job downloads, numbered in the
// order of the requests (0001.txt, 0002.txt, ...), and answers.txt listing
// for each request its file ("-" when nothing came), its HTTP status or the
// reason it failed, and its URL, separated by tabs. A user whose results look
// wrong after a bank changed its site can attach the folder to a report.
//
// Thread rules: the wrapped downloader runs on the worker thread, one call at
// a time; Problem is read after the worker has been joined.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "job/job_request.h"

namespace tenrovel::cli {

class AnswerArchive {
 public:
  // Creates `folder` when it is missing. Fails (the system's reason, or
  // that it is not empty) rather than mix two jobs' answers.
  static std::optional<std::string> Prepare(const std::filesystem::path& folder);

  explicit AnswerArchive(std::filesystem::path folder);

  // `download`, keeping each answer. A copy that cannot be made does not
  // fail the download; the first such failure is kept for Problem.
  job::Downloader Wrap(job::Downloader download) const;

  // Why an answer or the list could not be saved; nullopt when all were.
  std::optional<std::string> Problem() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace tenrovel::cli
