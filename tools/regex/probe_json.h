// The JSON side of regex-probe: reads one request line into UTF-16 strings and
// writes UTF-16 strings back as JSON. Knows nothing of the engine.
//
// Strings go straight between JSON and UTF-16 so that a "\uD800" escape in the
// input reaches the engine as the lone surrogate it is, and a lone surrogate in
// an answer (a compile message quotes the pattern) comes back as "\uD800".
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace tenrovel::regex_probe {

struct ProbeRequest {
  std::u16string pattern;
  std::string options;  // option letters, not yet checked
  std::u16string subject;
  bool all = false;
};

// Parses one line holding one JSON object with the keys "pattern" (string,
// required), "options" (string), "subject" (string) and "all" (boolean);
// other keys are ignored. On failure returns why, in English.
std::variant<ProbeRequest, std::string> ParseProbeRequest(std::string_view line);

// Appends `text` as a quoted JSON string: characters (surrogate pairs
// included) as UTF-8, lone surrogates and control characters as \uXXXX.
void AppendJsonString(std::string& out, std::u16string_view text);

// Decodes UTF-8; returns false on a malformed sequence, an overlong form, a
// surrogate code point or one above U+10FFFF.
bool DecodeUtf8(std::string_view bytes, std::u16string& out);

}  // namespace tenrovel::regex_probe
