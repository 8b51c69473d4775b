// The output file's name: what the save dialog proposes and what is made of
// the user's choice.
#pragma once

#include <filesystem>
#include <string>

#include "job/bank_facts.h"

namespace tenrovel::app {

// The bank name plus "一覧.csv" (CP932), e.g. "みずほ銀行店舗一覧.csv".
std::string DefaultOutputFileName(const job::BankFacts& bank);

// Appends ".csv" unless the file name's extension (from its last dot, the
// dot included) is ".csv" in any case: "x" -> "x.csv", "x.txt" ->
// "x.txt.csv", "x.Csv" stays.
std::filesystem::path WithCsvExtension(const std::filesystem::path& path);

// A path from CP932 text, and back.
std::filesystem::path PathFromCp932(const std::string& cp932);
std::string PathToCp932(const std::filesystem::path& path);

}  // namespace tenrovel::app
