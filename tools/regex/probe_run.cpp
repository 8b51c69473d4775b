#include "probe_run.h"

#include "regex/regex_utf.h"

#include <exception>
#include <string>
#include <variant>
#include <vector>

namespace tenrovel::regex_probe {
namespace {

using regex::TRegExp;
using regex::TREOption;

struct OptionLetter {
  char letter;
  TREOption option;
};

constexpr OptionLetter kOptionLetters[] = {
    {'i', regex::roIgnoreCase},     {'m', regex::roMultiLine},
    {'s', regex::roSingleLine},     {'x', regex::roExtended},
    {'n', regex::roNamedGroupOnly}, {'w', regex::roIgnoreWidth},
    {'k', regex::roIgnoreKana},     {'l', regex::roDefinedCharClassLegacy},
    {'a', regex::roAutoCallout},
};

// One match as [[index, length] | null, ...] over groups 0..GroupCount.
void AppendMatch(std::string& out, TRegExp& re) {
  out.push_back('[');
  for (int g = 0; g <= re.GroupCount(); ++g) {
    if (g > 0) {
      out.push_back(',');
    }
    const regex::TGroup& group = re.Groups()[g];
    if (group.Success()) {
      out += '[' + std::to_string(group.Index()) + ',' + std::to_string(group.Length()) + ']';
    } else {
      out += "null";
    }
  }
  out.push_back(']');
}

std::string Answer(const std::u16string* error, const std::vector<std::string>& matches) {
  std::string out = "{\"error\":";
  if (error != nullptr) {
    AppendJsonString(out, *error);
  } else {
    out += "null";
  }
  out += ",\"matches\":[";
  for (std::size_t i = 0; i < matches.size(); ++i) {
    if (i > 0) {
      out.push_back(',');
    }
    out += matches[i];
  }
  out += "]}";
  return out;
}

std::string BadInput(const std::string& reason) {
  std::u16string message = u"bad input: ";
  for (const char c : reason) {
    message.push_back(static_cast<unsigned char>(c));
  }
  return Answer(&message, {});
}

}  // namespace

std::optional<regex::TREOptions> ParseOptionLetters(std::string_view letters, char& bad) {
  regex::TREOptions options{};
  for (const char c : letters) {
    bool known = false;
    for (const OptionLetter& entry : kOptionLetters) {
      if (entry.letter == c) {
        options.Include(entry.option);
        known = true;
      }
    }
    if (!known) {
      bad = c;
      return std::nullopt;
    }
  }
  return options;
}

std::string AnswerProbeLine(std::string_view line) {
  const auto parsed = ParseProbeRequest(line);
  if (const auto* reason = std::get_if<std::string>(&parsed)) {
    return BadInput(*reason);
  }
  const ProbeRequest& request = std::get<ProbeRequest>(parsed);
  char bad = 0;
  const auto options = ParseOptionLetters(request.options, bad);
  if (!options) {
    return BadInput(std::string("unknown option letter '") + bad + "'");
  }
  TRegExp re;
  re.SetOptions(*options);
  re.SetExpression(request.pattern);
  std::vector<std::string> matches;
  try {
    bool found = re.Exec(request.subject);
    while (found) {
      std::string match;
      AppendMatch(match, re);
      matches.push_back(std::move(match));
      found = request.all && re.ExecNext();
    }
  } catch (const regex::ERegExp& e) {
    // A compile error comes before any match; a runtime error keeps the
    // matches found before it.
    return Answer(&e.Message(), matches);
  } catch (const std::exception& e) {
    const std::u16string message = regex::Utf8ToUtf16(e.what());
    return Answer(&message, matches);
  }
  return Answer(nullptr, matches);
}

}  // namespace tenrovel::regex_probe
