// Replace, Split and Substitute: the operations of TRegExp that walk all
// matches of a subject with ExecPos and ExecNext and build text from them.
#include <algorithm>
#include <string>
#include <string_view>

#include "regex/regex_utf.h"
#include "regex/regexp.h"

namespace tenrovel::regex {
namespace {

// Where the last match lies in the subject, as 0-based offsets.
struct MatchSpan {
  std::size_t start;
  std::size_t end;
};

// Calls visit(span) for every non-empty match from the 1-based `index` on,
// left to right, while it returns true. Empty matches are passed over: they
// would cut or replace nothing. Returns whether there was any match at all.
template <typename Visit>
bool ForEachNonEmptyMatch(TRegExp& re, int index, Visit visit) {
  if (!re.ExecPos(index, 0)) {
    return false;
  }
  do {
    const MatchSpan span{static_cast<std::size_t>(re.MatchBegin()),
                         static_cast<std::size_t>(re.MatchEnd())};
    if (span.end > span.start && !visit(span)) {
      break;
    }
  } while (re.ExecNext());
  return true;
}

// Appends input[copied, match start) to `out` and moves `copied` past the
// match. A match that reaches back before `copied` (\K can move a start
// backwards) copies nothing twice.
void CopyUpTo(std::u16string_view input, std::size_t& copied, const MatchSpan& span,
              std::u16string& out) {
  if (span.start > copied) {
    out.append(input.substr(copied, span.start - copied));
  }
  copied = std::max(copied, std::min(span.end, input.size()));
}

// Clears the object's replace function when a Replace call ends, however.
class ReplaceFunctionScope {
 public:
  ReplaceFunctionScope(TRegExpReplaceFunction& slot, const TRegExpReplaceFunction& function)
      : slot_(slot) {
    slot_ = function;
  }
  ~ReplaceFunctionScope() { slot_ = nullptr; }
  ReplaceFunctionScope(const ReplaceFunctionScope&) = delete;
  ReplaceFunctionScope& operator=(const ReplaceFunctionScope&) = delete;

 private:
  TRegExpReplaceFunction& slot_;
};

}  // namespace

std::u16string TRegExp::Replace(std::u16string_view input, std::u16string_view replacement,
                                int index, int count) {
  // Copies: the views may look into this object's own strings.
  const std::u16string subject(input);
  const std::u16string template_text = DecodeEscape(replacement);
  SetInputString(subject);
  std::u16string out;
  std::size_t copied = 0;
  int replaced = 0;
  ForEachNonEmptyMatch(*this, index, [&](const MatchSpan& span) {
    if (count > 0 && ++replaced > count) {
      return false;
    }
    std::u16string text;
    if (replace_function_) {
      text = replace_function_(*this);
    } else {
      text = Substitute(template_text);
      if (on_replace_) {
        on_replace_(*this, text);
      }
    }
    CopyUpTo(subject, copied, span, out);
    out += text;
    return true;
  });
  if (copied < subject.size()) {
    out.append(subject, copied);
  }
  return out;
}

std::u16string TRegExp::Replace(std::u16string_view input,
                                const TRegExpReplaceFunction& replace_func, int index, int count) {
  const ReplaceFunctionScope scope(replace_function_, replace_func);
  return Replace(input, std::u16string_view(), index, count);
}

void TRegExp::Split(std::u16string_view input, TWideStringList& strings, int index, int count) {
  strings.clear();
  const std::u16string subject(input);
  SetInputString(subject);
  std::size_t copied = 0;
  int cuts = 0;
  const bool matched = ForEachNonEmptyMatch(*this, index, [&](const MatchSpan& span) {
    std::u16string piece;
    CopyUpTo(subject, copied, span, piece);
    strings.push_back(std::move(piece));
    ++cuts;
    return !(count > 0 && cuts >= count - 1);
  });
  // No match at all: no pieces, not even the whole subject.
  if (matched) {
    strings.push_back(subject.substr(copied));
  }
}

std::u16string TRegExp::Substitute(std::u16string_view template_text) {
  if (template_text.empty() || !Matched()) {
    return {};
  }
  const std::u16string& input = InputString();
  const auto match_begin = static_cast<std::size_t>(MatchBegin());
  const auto match_end = static_cast<std::size_t>(MatchEnd());
  const int group_count = GroupCount();
  std::u16string out;
  out.reserve(template_text.size());
  std::size_t i = 0;
  while (i < template_text.size()) {
    const char16_t c = template_text[i];
    if (c != u'$') {
      out.push_back(c);
      ++i;
      continue;
    }
    // A '$' that ends the template introduces nothing: it stays itself.
    if (i + 1 == template_text.size()) {
      out.push_back(u'$');
      break;
    }
    const char16_t next = template_text[i + 1];
    i += 2;
    if (next >= u'0' && next <= u'9') {
      // One digit only: "$10" is group 1 and then "0".
      const int group = next - u'0';
      if (group <= group_count) {
        out += Groups()[group].Strings();
      }
    } else if (next == u'{') {
      // The name runs to '}' or to the end; "${1}" names a group "1".
      const std::size_t close = template_text.find(u'}', i);
      const std::size_t name_end = std::min(close, template_text.size());
      const std::u16string_view name = template_text.substr(i, name_end - i);
      if (Groups().IndexOfName(name) >= 0) {
        out += Groups().Names(name).Strings();
      }
      i = std::min(name_end + 1, template_text.size());
    } else if (next == u'&') {
      out += Groups()[0].Strings();
    } else if (next == u'`') {
      out.append(input, 0, match_begin);
    } else if (next == u'\'') {
      out.append(input, std::min(match_end, input.size()));
    } else if (next == u'_') {
      out += input;
    } else if (next == u'+') {
      for (int g = group_count; g >= 1; --g) {
        if (Groups()[g].Success()) {
          out += Groups()[g].Strings();
          break;
        }
      }
    } else {
      // "$$" and '$' before any other character: that character alone (a
      // surrogate pair whole).
      out.push_back(next);
      if (IsHighSurrogate(next) && i < template_text.size() && IsLowSurrogate(template_text[i])) {
        out.push_back(template_text[i++]);
      }
    }
  }
  return out;
}

}  // namespace tenrovel::regex
