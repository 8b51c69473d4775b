// The command line of the tool:
//   tenrovel --bank KEY (--pref NAME_OR_CODE ... | --all) [-o OUT.csv] [--force]
// where KEY is a bank's key from the bank table (mizuho, smbc, mufg).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "job/prefectures.h"

namespace tenrovel::cli {

struct CliOptions {
  std::size_t bank = 0;                               // an index into the bank table
  std::array<bool, job::kPrefectureCount> checked{};  // in list order
  std::string output_utf8;  // empty: the proposed name in the current folder
  bool force = false;
};

struct ParseOutcome {
  std::optional<CliOptions> options;  // set when a job is to run
  int exit_code = 0;                  // otherwise: how to end (0 after --help / --version)
  std::string message;                // text for standard output (help) or error (usage)
};

// `args` are UTF-8, argv[0] first.
ParseOutcome ParseCommandLine(const std::vector<std::string>& args);

// The index (0..46) of a prefecture given by its name (UTF-8, as listed:
// 東京都) or its code (13, 01 or 1); nullopt when it names none.
std::optional<std::size_t> FindPrefecture(const std::string& name_or_code);

}  // namespace tenrovel::cli
