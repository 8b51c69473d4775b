// The command line of the tool:
//   tenrovel --bank KEY (--pref NAME_OR_CODE ... | --all) [-o OUT.csv|-] [OPTIONS]
// where KEY is a bank's key from the bank table (mizuho, smbc, mufg).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "job/job_request.h"
#include "job/prefectures.h"

namespace tenrovel::cli {

struct CliOptions {
  std::size_t bank = 0;                               // an index into the bank table
  std::array<bool, job::kPrefectureCount> checked{};  // in list order
  std::string output_utf8;  // empty: the proposed name in the current folder; "-": stdout
  bool force = false;
  bool quiet = false;  // no progress and no summary; errors still show
  double connect_timeout_seconds = 30;
  double stall_timeout_seconds = 60;  // the longest wait for the next byte
  job::OutputEncoding encoding = job::OutputEncoding::kCp932;
  std::string save_answers_utf8;  // a folder that keeps every answer; empty: none
};

// "-o -": the rows go to standard output.
inline constexpr char kStandardOutputName[] = "-";

struct ParseOutcome {
  std::optional<CliOptions> options;  // set when a job is to run
  int exit_code = 0;                  // otherwise: how to end (0 after --help / --version)
  std::string message;                // text for standard output (help) or error (usage)
};

// `args` are UTF-8, argv[0] first.
ParseOutcome ParseCommandLine(const std::vector<std::string>& args);

}  // namespace tenrovel::cli
