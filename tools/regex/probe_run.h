// Runs regex-probe requests on the engine and formats the answers.
#pragma once

#include "probe_json.h"

#include <optional>
#include <string>
#include <string_view>

#include "regex/regexp.h"

namespace tenrovel::regex_probe {

// The options that the letters i m s x n w k l a stand for; nullopt (and the
// offending letter in `bad`) for any other letter.
std::optional<regex::TREOptions> ParseOptionLetters(std::string_view letters, char& bad);

// Answers one input line with one JSON line (without the line end):
// {"error": null | message, "matches": [[[index, length] | null, ...], ...]}.
std::string AnswerProbeLine(std::string_view line);

}  // namespace tenrovel::regex_probe
