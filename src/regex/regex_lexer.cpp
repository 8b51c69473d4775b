#include "regex/regex_lexer.h"

#include "regex/regex_codes.h"
#include "regex/regex_messages.h"
#include "regex/regex_utf.h"
#include "regex/unicode_properties.h"

namespace tenrovel::regex {
namespace {

bool IsAsciiDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool IsOctalDigit(char32_t c) { return c >= '0' && c <= '7'; }

int HexValue(char32_t c) {
  if (c >= '0' && c <= '9') {
    return static_cast<int>(c - '0');
  }
  if (c >= 'a' && c <= 'f') {
    return static_cast<int>(c - 'a' + 10);
  }
  if (c >= 'A' && c <= 'F') {
    return static_cast<int>(c - 'A' + 10);
  }
  return -1;
}

char16_t AsciiLower(char16_t c) { return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c + 32) : c; }

bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) {
      return false;
    }
  }
  return true;
}

struct TPosixName {
  std::u16string_view Name;
  TREPosixClassKind Kind;
};

constexpr TPosixName kPosixNames[] = {
    {u"alnum", pckAlnum}, {u"alpha", pckAlpha}, {u"ascii", pckAscii},   {u"blank", pckBlank},
    {u"cntrl", pckCntrl}, {u"digit", pckDigit}, {u"graph", pckGraph},   {u"lower", pckLower},
    {u"print", pckPrint}, {u"punct", pckPunct}, {u"space", pckSpace},   {u"upper", pckUpper},
    {u"xdigit", pckXdigit}, {u"word", pckWord}, {u"any", pckAny},       {u"assigned", pckAssigned},
};

// \p{IsAlpha}-style names (compared without regard to case) and the bare
// forms the engine has always accepted.
constexpr TPosixName kPosixPropertyNames[] = {
    {u"isalnum", pckAlnum},   {u"isalpha", pckAlpha}, {u"isascii", pckAscii},
    {u"isblank", pckBlank},   {u"iscntrl", pckCntrl}, {u"isdigit", pckDigit},
    {u"isgraph", pckGraph},   {u"islower", pckLower}, {u"isprint", pckPrint},
    {u"ispunct", pckPunct},   {u"isspace", pckSpace}, {u"isspaceperl", pckSpacePerl},
    {u"isupper", pckUpper},   {u"isxdigit", pckXdigit}, {u"isword", pckWord},
    {u"isany", pckAny},       {u"isassigned", pckAssigned}, {u"alnum", pckAlnum},
    {u"alpha", pckAlpha},     {u"ascii", pckAscii},   {u"blank", pckBlank},
    {u"cntrl", pckCntrl},     {u"digit", pckDigit},
};

}  // namespace

TRELex::TRELex(std::u16string_view pattern, TREOptions options, const int& groups_so_far)
    : pattern_(pattern),
      end_(static_cast<int>(pattern.size())),
      options_(options),
      groups_so_far_(groups_so_far) {}

TRELex::TState TRELex::Save() const {
  return {pos_, context_, class_start_, options_, option_stack_, token_};
}

void TRELex::Assign(const TState& state) {
  pos_ = state.Position;
  context_ = state.Context;
  class_start_ = state.ClassStart;
  options_ = state.Options;
  option_stack_ = state.OptionStack;
  token_ = state.Token;
}

void TRELex::Error(std::u16string_view message, int error_end) const {
  const int start = std::min(token_.Start, error_end);
  std::u16string text(pattern_.substr(static_cast<std::size_t>(start),
                                      static_cast<std::size_t>(std::min(error_end, end_) - start)));
  if (!text.empty()) {
    text += u"...";
  }
  throw ERegExpCompile(CompileErrorText(FormatMessage(message, text), pattern_, error_end));
}

void TRELex::ErrorWith(std::u16string_view message, std::u16string_view argument,
                       int error_end) const {
  throw ERegExpCompile(CompileErrorText(FormatMessage(message, argument), pattern_, error_end));
}

char16_t TRELex::Peek(int offset) const {
  const int at = pos_ + offset;
  return at < end_ ? pattern_[static_cast<std::size_t>(at)] : u'\0';
}

bool TRELex::IsDigitAt(int offset) const {
  return pos_ + offset < end_ && IsAsciiDigit(Peek(offset));
}

char32_t TRELex::ReadChar() {
  int length = 0;
  const char32_t c = ReadCodePoint(pattern_.data(), pos_, end_, length);
  pos_ += length;
  return c;
}

void TRELex::SkipExtendedSpace() {
  if (!options_.Contains(roExtended)) {
    return;
  }
  while (!AtEnd() && (Peek() == u'\t' || Peek() == u'\n' || Peek() == u'\r' || Peek() == u' ')) {
    ++pos_;
  }
}

void TRELex::PushOptions() { option_stack_.push_back(options_); }

void TRELex::PopOptions() {
  if (!option_stack_.empty()) {
    options_ = option_stack_.back();
    option_stack_.pop_back();
  }
}

void TRELex::SetToken(TREToken kind) {
  token_.Kind = kind;
  token_.Length = pos_ - token_.Start;
}

void TRELex::SetChar(char32_t c, bool escaped) {
  token_.Char = c;
  token_.Escaped = escaped;
  SetToken(tkChar);
}

void TRELex::GetToken() {
  for (;;) {
    SkipExtendedSpace();
    token_ = TRELexToken();
    token_.Start = pos_;
    token_.Options = options_;
    if (context_ == ctQuote) {
      if (Peek() == u'\\' && Peek(1) == u'E') {
        pos_ += 2;
        context_ = ctNormal;
        continue;
      }
      if (AtEnd()) {
        context_ = ctNormal;
        SetToken(tkEnd);
        return;
      }
      SetChar(ReadChar());
      return;
    }
    if (context_ == ctCharClass || context_ == ctNegativeCharClass) {
      LexClass();
      class_start_ = false;
      return;
    }
    LexNormal();
    // \E outside a quote and comments produce no token.
    if (token_.Kind != tkEmpty || token_.Length != 0) {
      return;
    }
  }
}

void TRELex::LexNormal() {
  if (AtEnd()) {
    SetToken(tkEnd);
    return;
  }
  const char16_t c = Peek();
  switch (c) {
    case u'|':
      ++pos_;
      SetToken(tkUnion);
      return;
    case u'?':
      ++pos_;
      token_.Min = 0;
      token_.Max = 1;
      SetToken(tkQuest);
      return;
    case u'*':
      ++pos_;
      token_.Min = 0;
      token_.Max = kMaxCount;
      SetToken(tkStar);
      return;
    case u'+':
      ++pos_;
      token_.Min = 1;
      token_.Max = kMaxCount;
      SetToken(tkPlus);
      return;
    case u'{':
      LexBound();
      return;
    case u'.':
      ++pos_;
      SetToken(tkDot);
      return;
    case u'^':
      ++pos_;
      SetToken(tkLHead);
      return;
    case u'$':
      ++pos_;
      SetToken(tkLTail);
      return;
    case u'(':
      LexGroupOpening();
      return;
    case u')':
      ++pos_;
      PopOptions();
      SetToken(tkRPar);
      return;
    case u'[':
      if (Peek(1) == u':' && LexPosixBracket(false)) {
        return;
      }
      ++pos_;
      if (Peek() == u'^') {
        ++pos_;
        context_ = ctNegativeCharClass;
        class_start_ = true;
        SetToken(tkNegativeCharClassFirst);
      } else {
        context_ = ctCharClass;
        class_start_ = false;
        SetToken(tkCharClassFirst);
      }
      return;
    case u'\\':
      LexEscape(false);
      return;
    default:
      SetChar(ReadChar());
      return;
  }
}

void TRELex::LexClass() {
  if (AtEnd()) {
    Error(sUnmatchedBigPar);
  }
  const char16_t c = Peek();
  if (c == u']') {
    if (Peek(1) == u']' || class_start_) {
      ++pos_;
      SetChar(u']');
      return;
    }
    ++pos_;
    context_ = ctNormal;
    SetToken(tkCharClassEnd);
    return;
  }
  if (c == u'[' && Peek(1) == u':' && LexPosixBracket(true)) {
    return;
  }
  if (c == u'\\') {
    LexEscape(true);
    return;
  }
  SetChar(ReadChar());
}

// [:name:] and [:^name:]; false (nothing read) if the text is not of that
// form, so that '[' is an ordinary character (or opens a class).
bool TRELex::LexPosixBracket(bool in_class) {
  int at = pos_ + 2;
  bool negative = false;
  if (at < end_ && pattern_[static_cast<std::size_t>(at)] == u'^') {
    negative = true;
    ++at;
  }
  const int name_start = at;
  while (at < end_ && pattern_[static_cast<std::size_t>(at)] >= u'a' &&
         pattern_[static_cast<std::size_t>(at)] <= u'z') {
    ++at;
  }
  if (at + 1 >= end_ || pattern_[static_cast<std::size_t>(at)] != u':' ||
      pattern_[static_cast<std::size_t>(at) + 1] != u']') {
    return false;
  }
  const std::u16string_view name = pattern_.substr(static_cast<std::size_t>(name_start),
                                                   static_cast<std::size_t>(at - name_start));
  pos_ = at + 2;
  if (!in_class) {
    Error(sPosixClassSupportedOnlyClass);
  }
  for (const TPosixName& posix : kPosixNames) {
    if (posix.Name == name) {
      token_.Value = posix.Kind;
      token_.IsPosix = true;
      SetToken(negative ? tkNEPosixBracket : tkPosixBracket);
      return true;
    }
  }
  ErrorWith(sPosixClassUnkown, name, pos_);
}

void TRELex::LexBound() {
  const int start = pos_;
  int at = pos_ + 1;
  while (at < end_ && (pattern_[static_cast<std::size_t>(at)] == u' ' ||
                       pattern_[static_cast<std::size_t>(at)] == u'\t')) {
    ++at;
  }
  if (at >= end_ || !IsAsciiDigit(pattern_[static_cast<std::size_t>(at)])) {
    ++pos_;
    SetChar(u'{');
    return;
  }
  pos_ = at;
  const auto skip_blanks = [this] {
    while (Peek() == u' ' || Peek() == u'\t') {
      ++pos_;
    }
  };
  const int min = ReadNumber();
  int max = min;
  skip_blanks();
  if (Peek() == u',') {
    ++pos_;
    skip_blanks();
    max = IsDigitAt(0) ? ReadNumber() : kMaxCount;
  }
  if (Peek() != u'}') {
    pos_ = std::min(pos_ + 1, end_);
    Error(sUnmatchedCurlyBracket);
  }
  ++pos_;
  if (min > kMaxCount || max > kMaxCount) {
    Error(sQuantifierIsTooLarge);
  }
  if (max < min) {
    Error(sCantDoMaxLessMin);
  }
  token_.Start = start;
  token_.Min = min;
  token_.Max = max;
  SetToken(tkBound);
}

// Decimal digits at the position; saturates well above any valid count.
int TRELex::ReadNumber() {
  int value = 0;
  while (IsDigitAt(0)) {
    value = std::min(value * 10 + static_cast<int>(Peek() - u'0'), 10'000'000);
    ++pos_;
  }
  return value;
}

std::u16string TRELex::ReadName(char16_t close) {
  const int start = pos_;
  std::u16string name;
  while (!AtEnd() && Peek() != close) {
    const int char_start = pos_;
    const char32_t c = ReadChar();
    if ((char_start == start && IsAsciiDigit(c)) || !IsWordChar(c, false)) {
      ErrorWith(sInvalidCharInGroupName, u"", pos_);
    }
    AppendCodePoint(name, c);
  }
  if (AtEnd()) {
    Error(sNoEndOfGroup);
  }
  if (name.empty()) {
    ++pos_;
    Error(sGroupNameIsEmpty);
  }
  ++pos_;
  return name;
}

void TRELex::LexEscape(bool in_class) {
  ++pos_;
  if (AtEnd()) {
    Error(sRegExpNotCompleted);
  }
  const char16_t c = Peek();
  // Letters that are plain inside a class.
  if (in_class && std::u16string_view(u"ABEGKNQRXZbgkz").find(c) != std::u16string_view::npos) {
    ++pos_;
    SetChar(c, true);
    return;
  }
  switch (c) {
    case u'0': {
      int value = 0;
      for (int i = 0; i < 3 && IsOctalDigit(Peek()) && !AtEnd(); ++i) {
        value = value * 8 + static_cast<int>(Peek() - u'0');
        ++pos_;
      }
      SetChar(static_cast<char32_t>(value), true);
      return;
    }
    case u'1':
    case u'2':
    case u'3':
    case u'4':
    case u'5':
    case u'6':
    case u'7':
    case u'8':
    case u'9': {
      if (in_class) {
        if (c >= u'8') {
          ++pos_;
          SetChar(c, true);
          return;
        }
        int value = 0;
        for (int i = 0; i < 3 && !AtEnd() && IsOctalDigit(Peek()); ++i) {
          value = value * 8 + static_cast<int>(Peek() - u'0');
          ++pos_;
        }
        SetChar(static_cast<char32_t>(value), true);
        return;
      }
      const int digits_start = pos_;
      const int number = ReadNumber();
      if (number <= 9 || groups_so_far_ + 1 >= number) {
        if (options_.Contains(roNamedGroupOnly)) {
          Error(sUseNamedGroup);
        }
        token_.Min = number;
        token_.Escaped = number >= 8 && number <= 9;
        SetToken(tkReference);
        return;
      }
      pos_ = digits_start;
      if (c >= u'8') {
        ++pos_;
        SetChar(c, true);
        return;
      }
      int value = 0;
      for (int i = 0; i < 3 && !AtEnd() && IsOctalDigit(Peek()); ++i) {
        value = value * 8 + static_cast<int>(Peek() - u'0');
        ++pos_;
      }
      SetChar(static_cast<char32_t>(value), true);
      return;
    }
    case u'a':
      ++pos_;
      SetChar(0x07, true);
      return;
    case u'e':
      ++pos_;
      SetChar(0x1B, true);
      return;
    case u'f':
      ++pos_;
      SetChar(0x0C, true);
      return;
    case u'n':
      ++pos_;
      SetChar(0x0A, true);
      return;
    case u'r':
      ++pos_;
      SetChar(0x0D, true);
      return;
    case u't':
      ++pos_;
      SetChar(0x09, true);
      return;
    case u'c': {
      ++pos_;
      if (AtEnd()) {
        Error(sInvalidEscapeCharacterSyntax);
      }
      char32_t x = Peek();
      ++pos_;
      if (x == u'\\') {
        if (Peek() != u'\\') {
          Error(sInvalidEscapeCharacterSyntax);
        }
        ++pos_;
      }
      if (x >= u'a' && x <= u'z') {
        x -= 0x20;
      }
      if (x < 0x40 || x > 0x5F) {
        Error(sInvalidEscapeCharacterSyntax);
      }
      SetChar(x ^ 0x40, true);
      return;
    }
    case u'x': {
      ++pos_;
      if (Peek() == u'{' && !AtEnd()) {
        ++pos_;
        char32_t value = 0;
        int digits = 0;
        while (!AtEnd() && HexValue(Peek()) >= 0 && digits < 6) {
          value = value * 16 + static_cast<char32_t>(HexValue(Peek()));
          ++pos_;
          ++digits;
        }
        if (digits == 0) {
          pos_ = std::min(pos_ + 1, end_);
          Error(sHexDigitIsRequired);
        }
        if (Peek() != u'}' || AtEnd()) {
          if (!AtEnd()) {
            ++pos_;
          }
          Error(sMissingRightBraceOnEscx);
        }
        ++pos_;
        if (value >= 0x110000) {
          Error(sCodePointRangeOver);
        }
        SetChar(value, true);
        return;
      }
      char32_t value = 0;
      int digits = 0;
      while (!AtEnd() && HexValue(Peek()) >= 0 && digits < 2) {
        value = value * 16 + static_cast<char32_t>(HexValue(Peek()));
        ++pos_;
        ++digits;
      }
      if (digits == 0) {
        pos_ = std::min(pos_ + 1, end_);
        Error(sHexDigitIsRequired);
      }
      SetChar(value, true);
      return;
    }
    case u'w':
    case u'W':
    case u'd':
    case u'D':
    case u's':
    case u'S':
    case u'h':
    case u'H':
    case u'v':
    case u'V': {
      ++pos_;
      static constexpr std::u16string_view kLetters = u"wWdDsShHvV";
      static constexpr TREToken kKinds[] = {
          tkWordChar,  tkNEWordChar,  tkDigitChar,           tkNEDigitChar,
          tkSpaceChar, tkNESpaceChar, tkHorizontalSpaceChar, tkNEHorizontalSpaceChar,
          tkVerticalSpaceChar, tkNEVerticalSpaceChar};
      SetToken(kKinds[kLetters.find(c)]);
      return;
    }
    case u'p':
    case u'P':
      ++pos_;
      LexProperty(c == u'P');
      return;
    default:
      break;
  }
  if (!in_class) {
    switch (c) {
      case u'R':
        ++pos_;
        SetToken(tkLineBreak);
        return;
      case u'X':
        ++pos_;
        SetToken(tkCombiningSequence);
        return;
      case u'b':
        ++pos_;
        SetToken(tkWordBoundary);
        return;
      case u'B':
        ++pos_;
        SetToken(tkNEWordBoundary);
        return;
      case u'A':
        ++pos_;
        SetToken(tkTHead);
        return;
      case u'Z':
        ++pos_;
        SetToken(tkTTail);
        return;
      case u'z':
        ++pos_;
        SetToken(tkTTailEnd);
        return;
      case u'G':
        ++pos_;
        SetToken(tkGlobalPos);
        return;
      case u'K':
        ++pos_;
        SetToken(tkKeepPattern);
        return;
      case u'Q':
        ++pos_;
        context_ = ctQuote;
        token_.Start = pos_;
        SetToken(tkEmpty);
        token_.Length = 0;
        return;
      case u'E':
        // Ends a quote that is not open: nothing, as in Perl.
        ++pos_;
        token_.Start = pos_;
        SetToken(tkEmpty);
        token_.Length = 0;
        return;
      case u'N':
        // Any character but a line break, whatever SingleLine says.
        ++pos_;
        token_.Escaped = true;
        SetToken(tkDot);
        return;
      case u'k':
        ++pos_;
        if (Peek() == u'<' || Peek() == u'\'' || Peek() == u'{') {
          const char16_t open = Peek();
          ++pos_;
          LexNamedOrNumberedReference(open, open == u'<' ? u'>' : open == u'{' ? u'}' : u'\'',
                                      false);
          return;
        }
        if (IsDigitAt(0) || (Peek() == u'-' && IsDigitAt(1))) {
          LexNamedOrNumberedReference(0, 0, false);
          return;
        }
        Error(sGroupNumberIsEmpty, std::min(pos_ + 1, end_));
      case u'g':
        ++pos_;
        if (Peek() == u'{') {
          ++pos_;
          LexNamedOrNumberedReference(u'{', u'}', false);
          return;
        }
        if (Peek() == u'<' || Peek() == u'\'') {
          const char16_t open = Peek();
          ++pos_;
          LexNamedOrNumberedReference(open, open == u'<' ? u'>' : u'\'', true);
          return;
        }
        if (IsDigitAt(0) || (Peek() == u'-' && IsDigitAt(1))) {
          LexNamedOrNumberedReference(0, 0, false);
          return;
        }
        Error(sGroupNumberIsEmpty, std::min(pos_ + 1, end_));
      default:
        break;
    }
  }
  SetChar(ReadChar(), true);
}

// After \k, \g and their delimiter (open = 0: digits follow directly). A
// number gives a reference (relative with a sign) or, for is_call, a
// subroutine call; anything else a name.
void TRELex::LexNamedOrNumberedReference(char16_t open, char16_t close, bool is_call) {
  const bool numbered =
      IsDigitAt(0) || ((Peek() == u'-' || (is_call && Peek() == u'+')) && IsDigitAt(1));
  if (numbered) {
    int sign = 0;
    if (Peek() == u'-') {
      sign = -1;
      ++pos_;
    } else if (Peek() == u'+') {
      sign = 1;
      ++pos_;
    }
    const int number = ReadNumber();
    if (open != 0) {
      if (Peek() != close || AtEnd()) {
        Error(sNotTerminated, std::min(pos_ + 1, end_));
      }
      ++pos_;
    }
    if (!is_call && sign == 0 && options_.Contains(roNamedGroupOnly)) {
      Error(sUseNamedGroup);
    }
    token_.Min = sign == 0 ? number : sign * number;
    if (is_call) {
      SetToken(sign == 0 ? tkGoSub : tkGoSubRelative);
    } else {
      SetToken(sign == 0 ? tkReference : tkReferenceRelative);
    }
    return;
  }
  if (open == 0) {
    Error(sGroupNumberIsEmpty);
  }
  token_.Name = ReadName(close);
  SetToken(is_call ? tkGoSubName : tkNamedReference);
}

void TRELex::LexProperty(bool negative) {
  if (Peek() != u'{' || AtEnd()) {
    static constexpr std::u16string_view kMajor = u"LMNPSZ";
    static constexpr TUnicodeProperty kMajorProperty[] = {upL, upM, upN, upP, upS, upZ};
    const std::size_t index = AtEnd() ? std::u16string_view::npos : kMajor.find(Peek());
    if (index == std::u16string_view::npos) {
      pos_ = std::min(pos_ + 1, end_);
      Error(sInvalidProperty);
    }
    ++pos_;
    token_.Value = kMajorProperty[index];
    SetToken(negative ? tkNEProperty : tkProperty);
    return;
  }
  ++pos_;
  if (Peek() == u'^') {
    negative = !negative;
    ++pos_;
  }
  std::u16string key;
  for (;;) {
    if (AtEnd()) {
      Error(sMissingRightBrace);
    }
    const char16_t c = Peek();
    ++pos_;
    if (c == u'}') {
      break;
    }
    if (c == u'-' || c == u'_' || c == u'\t' || c == u'\n' || c == 0x0B || c == 0x0C ||
        c == u'\r' || c == u' ') {
      continue;
    }
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || IsAsciiDigit(c) || c == u'&') {
      key += c;
      continue;
    }
    Error(sInvalidProperty);
  }
  if (const auto property = FindUnicodeProperty(std::u16string_view(key))) {
    token_.Value = *property;
    SetToken(negative ? tkNEProperty : tkProperty);
    return;
  }
  for (const TPosixName& posix : kPosixPropertyNames) {
    if (EqualsIgnoreCase(key, posix.Name)) {
      token_.Value = posix.Kind;
      token_.IsPosix = true;
      SetToken(negative ? tkNEProperty : tkProperty);
      return;
    }
  }
  if (key.size() > 2 && AsciiLower(key[0]) == u'i' && AsciiLower(key[1]) == u's') {
    if (const auto block = FindUnicodeProperty(u"In" + key.substr(2));
        block && *block >= kFirstBlock) {
      token_.Value = *block;
      SetToken(negative ? tkNEProperty : tkProperty);
      return;
    }
  }
  ErrorWith(sPropertyUnknown, key, pos_);
}

void TRELex::LexGroupOpening() {
  ++pos_;
  if (Peek() == u'*' && (Peek(1) == u':' || (Peek(1) >= u'A' && Peek(1) <= u'Z'))) {
    ++pos_;
    LexVerb();
    return;
  }
  if (Peek() != u'?' || AtEnd()) {
    PushOptions();
    SetToken(options_.Contains(roNamedGroupOnly) ? tkLPar : tkGroupBegin);
    return;
  }
  ++pos_;
  if (AtEnd()) {
    Error(sNotRecognized);
  }
  const char16_t c = Peek();
  switch (c) {
    case u':':
      ++pos_;
      PushOptions();
      SetToken(tkLPar);
      return;
    case u'<':
      ++pos_;
      if (Peek() == u'=') {
        ++pos_;
        PushOptions();
        SetToken(tkBehindMatch);
        return;
      }
      if (Peek() == u'!') {
        ++pos_;
        PushOptions();
        SetToken(tkBehindNoMatch);
        return;
      }
      token_.Name = ReadName(u'>');
      PushOptions();
      SetToken(tkGroupBegin);
      return;
    case u'\'':
      ++pos_;
      token_.Name = ReadName(u'\'');
      PushOptions();
      SetToken(tkGroupBegin);
      return;
    case u'P':
      ++pos_;
      if (Peek() == u'<') {
        ++pos_;
        token_.Name = ReadName(u'>');
        PushOptions();
        SetToken(tkGroupBegin);
        return;
      }
      if (Peek() == u'=') {
        ++pos_;
        token_.Name = ReadName(u')');
        SetToken(tkNamedReference);
        return;
      }
      if (Peek() == u'>') {
        ++pos_;
        token_.Name = ReadName(u')');
        SetToken(tkGoSubName);
        return;
      }
      pos_ = std::min(pos_ + 1, end_);
      Error(sNotRecognized);
    case u'=':
      ++pos_;
      PushOptions();
      SetToken(tkAheadMatch);
      return;
    case u'!':
      ++pos_;
      if (Peek() == u')' && !AtEnd()) {
        ++pos_;
        SetToken(tkFail);
        return;
      }
      PushOptions();
      SetToken(tkAheadNoMatch);
      return;
    case u'>':
      ++pos_;
      PushOptions();
      SetToken(tkNoBackTrack);
      return;
    case u'|':
      ++pos_;
      PushOptions();
      SetToken(tkBranchReset);
      return;
    case u')':
      ++pos_;
      SetToken(tkEmpty);
      return;
    case u'#':
      while (!AtEnd() && Peek() != u')') {
        ++pos_;
      }
      if (AtEnd()) {
        Error(sNotTerminated);
      }
      ++pos_;
      token_.Start = pos_;
      SetToken(tkEmpty);
      token_.Length = 0;
      return;
    case u'R':
      if (Peek(1) == u')') {
        pos_ += 2;
        token_.Min = 0;
        SetToken(tkGoSub);
        return;
      }
      break;
    case u'&':
      ++pos_;
      token_.Name = ReadName(u')');
      SetToken(tkGoSubName);
      return;
    case u'(':
      LexConditionOpening();
      return;
    case u'C': {
      ++pos_;
      int number = 0;
      if (IsDigitAt(0)) {
        number = ReadNumber();
      }
      if (Peek() != u')' || AtEnd()) {
        pos_ = std::min(pos_ + 1, end_);
        Error(sNotRecognized);
      }
      ++pos_;
      if (number > 255) {
        Error(sRangeOverCalloutNumber);
      }
      token_.Min = number;
      SetToken(tkCallout);
      return;
    }
    default:
      break;
  }
  if (IsAsciiDigit(c) || ((c == u'+' || c == u'-') && IsDigitAt(1))) {
    int sign = 0;
    if (c == u'+' || c == u'-') {
      sign = c == u'-' ? -1 : 1;
      ++pos_;
    }
    const int number = ReadNumber();
    if (Peek() != u')' || AtEnd()) {
      pos_ = std::min(pos_ + 1, end_);
      Error(sNotRecognized);
    }
    ++pos_;
    token_.Min = sign == 0 ? number : sign * number;
    SetToken(sign == 0 ? tkGoSub : tkGoSubRelative);
    return;
  }
  LexOptionLetters();
}

void TRELex::LexConditionOpening() {
  // At "(" after "(?".
  const int open = pos_;
  ++pos_;
  if (Peek() == u'?' && (Peek(1) == u'=' || Peek(1) == u'!' || Peek(1) == u'C' ||
                         (Peek(1) == u'<' && (Peek(2) == u'=' || Peek(2) == u'!')))) {
    // The condition is the assertion or callout that starts here.
    pos_ = open;
    PushOptions();
    SetToken(tkIfMatch);
    return;
  }
  if (Peek() == u'?') {
    pos_ = std::min(pos_ + 2, end_);
    Error(sConditionNotRecognized);
  }
  if (IsDigitAt(0)) {
    token_.Min = ReadNumber();
    if (Peek() != u')' || AtEnd()) {
      pos_ = std::min(pos_ + 1, end_);
      Error(sInvalideCondition);
    }
    ++pos_;
    PushOptions();
    SetToken(tkIfMatchRef);
    return;
  }
  if (Peek() == u'<' || Peek() == u'\'') {
    const char16_t close = Peek() == u'<' ? u'>' : u'\'';
    ++pos_;
    token_.Name = ReadName(close);
    if (Peek() != u')' || AtEnd()) {
      pos_ = std::min(pos_ + 1, end_);
      Error(sInvalideCondition);
    }
    ++pos_;
    PushOptions();
    SetToken(tkIfMatchRef);
    return;
  }
  if (Peek() == u'R') {
    ++pos_;
    token_.Min = -1;
    if (Peek() == u'&') {
      ++pos_;
      token_.Name = ReadName(u')');
    } else {
      if (IsDigitAt(0)) {
        token_.Min = ReadNumber();
      }
      if (Peek() != u')' || AtEnd()) {
        pos_ = std::min(pos_ + 1, end_);
        Error(sInvalideCondition);
      }
      ++pos_;
    }
    PushOptions();
    SetToken(tkInSubRef);
    return;
  }
  if (pattern_.substr(static_cast<std::size_t>(pos_)).starts_with(u"DEFINE)")) {
    pos_ += 7;
    PushOptions();
    SetToken(tkDefine);
    return;
  }
  pos_ = std::min(pos_ + 1, end_);
  Error(sInvalideCondition);
}

void TRELex::LexVerb() {
  const int name_start = pos_;
  while (Peek() >= u'A' && Peek() <= u'Z' && !AtEnd()) {
    ++pos_;
  }
  const std::u16string_view verb =
      pattern_.substr(static_cast<std::size_t>(name_start), static_cast<std::size_t>(pos_ - name_start));
  bool has_argument = false;
  if (Peek() == u':' && !AtEnd()) {
    ++pos_;
    has_argument = true;
    while (!AtEnd() && Peek() != u')') {
      token_.Name += Peek();
      ++pos_;
    }
  }
  if (AtEnd()) {
    Error(sUnterminatedVerbPattern);
  }
  ++pos_;
  struct TVerb {
    std::u16string_view Name;
    TREToken Kind;
  };
  static constexpr TVerb kVerbs[] = {
      {u"PRUNE", tkbcPrune}, {u"SKIP", tkbcSkip},     {u"MARK", tkbcMark},
      {u"", tkbcMark},       {u"THEN", tkbcThen},     {u"COMMIT", tkbcCommit},
      {u"ACCEPT", tkbcAccept}, {u"FAIL", tkFail},     {u"F", tkFail},
  };
  for (const TVerb& candidate : kVerbs) {
    if (candidate.Name == verb) {
      if (candidate.Kind == tkbcMark && (!has_argument || token_.Name.empty())) {
        break;
      }
      if ((candidate.Kind == tkFail || candidate.Kind == tkbcAccept) && has_argument) {
        break;
      }
      SetToken(candidate.Kind);
      return;
    }
  }
  Error(sNotRecognized);
}

void TRELex::LexOptionLetters() {
  TREOptions options = options_;
  for (;;) {
    if (AtEnd()) {
      Error(sOptionNotCompleted);
    }
    char16_t c = Peek();
    ++pos_;
    if (c == u')') {
      options_ = options;
      token_.Options = options;
      SetToken(tkOption);
      return;
    }
    if (c == u':') {
      PushOptions();
      options_ = options;
      token_.Options = options;
      SetToken(tkLParWithOption);
      return;
    }
    bool on = true;
    if (c == u'-') {
      if (AtEnd()) {
        Error(sOptionNotCompleted);
      }
      on = false;
      c = Peek();
      ++pos_;
    }
    static constexpr std::u16string_view kLetters = u"imnsxwk";
    static constexpr TREOption kOptions[] = {roIgnoreCase, roMultiLine,   roNamedGroupOnly,
                                             roSingleLine, roExtended,    roIgnoreWidth,
                                             roIgnoreKana};
    const std::size_t index = kLetters.find(c);
    if (index == std::u16string_view::npos) {
      if (c == u')' || c == u':') {
        --pos_;
        continue;
      }
      Error(sNotRecognized);
    }
    options.Set(kOptions[index], on);
  }
}

}  // namespace tenrovel::regex
