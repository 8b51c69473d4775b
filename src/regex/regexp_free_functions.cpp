// The one-shot functions: each makes a TRegExp with the given options and
// pattern, does one piece of work and drops the object again.
#include "regex/regexp.h"

namespace tenrovel::regex {

bool RegIsMatch(std::u16string_view regexp, std::u16string_view input, TREOptions options) {
  // Captures are not needed for a yes or no, so plain groups are compiled
  // without them; a pattern that needs its numbered groups (\1, (?1),
  // (?(1)...)) cannot be compiled so and is compiled as given.
  TREOptions fast = options;
  fast.Include(roNamedGroupOnly);
  TRegExp re;
  re.SetOptions(fast);
  re.SetExpression(regexp);
  try {
    return re.Exec(input);
  } catch (const ERegExpCompile&) {
    if (options.Contains(roNamedGroupOnly)) {
      throw;
    }
  }
  re.SetOptions(options);
  return re.Exec(input);
}

bool RegMatch(std::u16string_view regexp, std::u16string_view input, TWideStringList& matches,
              TREOptions options) {
  matches.clear();
  TRegExp re;
  re.SetOptions(options);
  re.SetExpression(regexp);
  if (!re.Exec(input)) {
    return false;
  }
  for (int g = 0; g <= re.GroupCount(); ++g) {
    matches.push_back(re.Groups()[g].Strings());
  }
  return true;
}

std::u16string RegReplace(std::u16string_view regexp, std::u16string_view input,
                          std::u16string_view replace_str, TREOptions options) {
  TRegExp re;
  re.SetOptions(options);
  re.SetExpression(regexp);
  return re.Replace(input, replace_str, 1, 0);
}

std::u16string RegReplace(std::u16string_view regexp, std::u16string_view input,
                          const TRegExpReplaceFunction& replace_func, TREOptions options) {
  TRegExp re;
  re.SetOptions(options);
  re.SetExpression(regexp);
  return re.Replace(input, replace_func, 1, 0);
}

void RegSplit(std::u16string_view regexp, std::u16string_view input, TWideStringList& pieces,
              TREOptions options) {
  pieces.clear();
  TRegExp re;
  re.SetOptions(options);
  re.SetExpression(regexp);
  re.Split(input, pieces, 1, 0);
}

std::u16string DecodeEscape(std::u16string_view s) {
  return TRegExp::DecodeEscape(s);
}
std::u16string EncodeEscape(std::u16string_view s) {
  return TRegExp::EncodeEscape(s);
}

// The class functions of the same names.
bool TRegExp::RegIsMatch(std::u16string_view regexp, std::u16string_view input,
                         TREOptions options) {
  return regex::RegIsMatch(regexp, input, options);
}

bool TRegExp::RegMatch(std::u16string_view regexp, std::u16string_view input,
                       TWideStringList& matches, TREOptions options) {
  return regex::RegMatch(regexp, input, matches, options);
}

std::u16string TRegExp::RegReplace(std::u16string_view regexp, std::u16string_view input,
                                   std::u16string_view replace_str, TREOptions options) {
  return regex::RegReplace(regexp, input, replace_str, options);
}

std::u16string TRegExp::RegReplace(std::u16string_view regexp, std::u16string_view input,
                                   const TRegExpReplaceFunction& replace_func, TREOptions options) {
  return regex::RegReplace(regexp, input, replace_func, options);
}

void TRegExp::RegSplit(std::u16string_view regexp, std::u16string_view input,
                       TWideStringList& pieces, TREOptions options) {
  regex::RegSplit(regexp, input, pieces, options);
}

}  // namespace tenrovel::regex
