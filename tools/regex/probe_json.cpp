#include "probe_json.h"

#include <cstdint>
#include <optional>

#include "regex/regex_utf.h"

namespace tenrovel::regex_probe {
namespace {

// Reads one UTF-8 sequence at `pos`; nullopt if it is malformed.
std::optional<char32_t> ReadUtf8(std::string_view bytes, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(bytes[pos]);
  int trail = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if (lead < 0x80) {
    ++pos;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    trail = 1, cp = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail = 2, cp = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail = 3, cp = lead & 0x07, min = 0x10000;
  } else {
    return std::nullopt;
  }
  if (pos + trail >= bytes.size()) {
    return std::nullopt;
  }
  for (int i = 1; i <= trail; ++i) {
    const auto b = static_cast<unsigned char>(bytes[pos + i]);
    if ((b & 0xC0) != 0x80) {
      return std::nullopt;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    return std::nullopt;
  }
  pos += trail + 1;
  return cp;
}

// A recursive-descent reader of the few JSON forms a request uses. Values of
// unknown keys are skipped whatever they are, down to a fixed nesting depth.
class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  std::variant<ProbeRequest, std::string> ReadRequest() {
    ProbeRequest request;
    bool has_pattern = false;
    SkipSpace();
    if (!Eat('{')) {
      return Fail("expected a JSON object");
    }
    SkipSpace();
    if (!Eat('}')) {
      for (;;) {
        SkipSpace();
        std::u16string key;
        if (!ReadString(key)) {
          return Fail(error_.empty() ? "expected a key string" : error_);
        }
        SkipSpace();
        if (!Eat(':')) {
          return Fail("expected ':'");
        }
        SkipSpace();
        bool ok = true;
        if (key == u"pattern") {
          ok = ReadStringValue(request.pattern, "pattern");
          has_pattern = ok;
        } else if (key == u"subject") {
          ok = ReadStringValue(request.subject, "subject");
        } else if (key == u"options") {
          std::u16string letters;
          ok = ReadStringValue(letters, "options");
          request.options.clear();
          for (const char16_t c : letters) {
            // Non-ASCII letters are kept as '?' so that the caller rejects them.
            request.options.push_back(c < 0x80 ? static_cast<char>(c) : '?');
          }
        } else if (key == u"all") {
          ok = ReadBool(request.all);
        } else {
          ok = SkipValue(0);
        }
        if (!ok) {
          return Fail(error_);
        }
        SkipSpace();
        if (Eat('}')) {
          break;
        }
        if (!Eat(',')) {
          return Fail("expected ',' or '}'");
        }
      }
    }
    SkipSpace();
    if (pos_ != text_.size()) {
      return Fail("text after the object");
    }
    if (!has_pattern) {
      return Fail("no \"pattern\" string");
    }
    return request;
  }

 private:
  static constexpr int kMaxDepth = 64;

  std::string Fail(const std::string& reason) const {
    return reason + " at byte " + std::to_string(pos_ + 1);
  }

  bool SetError(const char* reason) {
    error_ = reason;
    return false;
  }

  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                   text_[pos_] == '\n' || text_[pos_] == '\r')) {
      ++pos_;
    }
  }

  bool Eat(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool EatWord(std::string_view word) {
    if (text_.substr(pos_, word.size()) == word) {
      pos_ += word.size();
      return true;
    }
    return false;
  }

  bool ReadStringValue(std::u16string& out, const char* key) {
    if (pos_ >= text_.size() || text_[pos_] != '"') {
      error_ = std::string("\"") + key + "\" must be a string";
      return false;
    }
    return ReadString(out);
  }

  bool ReadBool(bool& out) {
    if (EatWord("true")) {
      out = true;
      return true;
    }
    if (EatWord("false")) {
      out = false;
      return true;
    }
    return SetError("\"all\" must be true or false");
  }

  std::optional<char16_t> ReadHex4() {
    if (pos_ + 4 > text_.size()) {
      return std::nullopt;
    }
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[pos_ + i];
      unsigned digit = 0;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if (c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
      } else if (c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else {
        return std::nullopt;
      }
      value = value * 16 + digit;
    }
    pos_ += 4;
    return static_cast<char16_t>(value);
  }

  // Reads a JSON string into UTF-16; \uXXXX escapes give their code unit as
  // it is, so lone surrogates survive.
  bool ReadString(std::u16string& out) {
    out.clear();
    if (!Eat('"')) {
      return SetError("expected a string");
    }
    for (;;) {
      if (pos_ >= text_.size()) {
        return SetError("unterminated string");
      }
      const auto c = static_cast<unsigned char>(text_[pos_]);
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (c < 0x20) {
        return SetError("control character in a string");
      }
      if (c == '\\') {
        ++pos_;
        if (pos_ >= text_.size()) {
          return SetError("unterminated string");
        }
        const char e = text_[pos_++];
        switch (e) {
          case '"':
          case '\\':
          case '/':
            out.push_back(static_cast<char16_t>(e));
            break;
          case 'b':
            out.push_back(u'\b');
            break;
          case 'f':
            out.push_back(u'\f');
            break;
          case 'n':
            out.push_back(u'\n');
            break;
          case 'r':
            out.push_back(u'\r');
            break;
          case 't':
            out.push_back(u'\t');
            break;
          case 'u': {
            const auto unit = ReadHex4();
            if (!unit) {
              return SetError("bad \\u escape");
            }
            out.push_back(*unit);
            break;
          }
          default:
            return SetError("bad escape in a string");
        }
        continue;
      }
      const auto cp = ReadUtf8(text_, pos_);
      if (!cp) {
        return SetError("invalid UTF-8");
      }
      regex::AppendCodePoint(out, *cp);
    }
  }

  bool SkipNumber() {
    const std::size_t start = pos_;
    Eat('-');
    while (pos_ < text_.size() &&
           (std::string_view("0123456789.eE+-").find(text_[pos_]) != std::string_view::npos)) {
      ++pos_;
    }
    return pos_ > start || SetError("expected a value");
  }

  bool SkipValue(int depth) {
    if (depth > kMaxDepth) {
      return SetError("nested too deeply");
    }
    SkipSpace();
    if (pos_ >= text_.size()) {
      return SetError("expected a value");
    }
    const char c = text_[pos_];
    if (c == '"') {
      std::u16string ignored;
      return ReadString(ignored);
    }
    if (c == '{' || c == '[') {
      const char close = c == '{' ? '}' : ']';
      ++pos_;
      SkipSpace();
      if (Eat(close)) {
        return true;
      }
      for (;;) {
        SkipSpace();
        if (c == '{') {
          std::u16string ignored;
          if (!ReadString(ignored)) {
            return false;
          }
          SkipSpace();
          if (!Eat(':')) {
            return SetError("expected ':'");
          }
        }
        if (!SkipValue(depth + 1)) {
          return false;
        }
        SkipSpace();
        if (Eat(close)) {
          return true;
        }
        if (!Eat(',')) {
          return SetError("expected ','");
        }
      }
    }
    if (EatWord("true") || EatWord("false") || EatWord("null")) {
      return true;
    }
    return SkipNumber();
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::string error_;
};

void AppendUnicodeEscape(std::string& out, unsigned unit) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) {
    out.push_back(kHex[(unit >> shift) & 0xF]);
  }
}

}  // namespace

std::variant<ProbeRequest, std::string> ParseProbeRequest(std::string_view line) {
  return JsonReader(line).ReadRequest();
}

void AppendJsonString(std::string& out, std::u16string_view text) {
  out.push_back('"');
  // Runs of characters that need no escape go out as UTF-8 in one piece.
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (regex::IsHighSurrogate(unit) && i + 1 < text.size() && regex::IsLowSurrogate(text[i + 1])) {
      ++i;
      continue;
    }
    const bool lone = regex::IsHighSurrogate(unit) || regex::IsLowSurrogate(unit);
    if (!lone && unit >= 0x20 && unit != u'"' && unit != u'\\') {
      continue;
    }
    out += regex::Utf16ToUtf8(text.substr(run, i - run));
    if (lone || unit < 0x20) {
      AppendUnicodeEscape(out, unit);
    } else {
      out.push_back('\\');
      out.push_back(static_cast<char>(unit));
    }
    run = i + 1;
  }
  out += regex::Utf16ToUtf8(text.substr(run));
  out.push_back('"');
}

bool DecodeUtf8(std::string_view bytes, std::u16string& out) {
  out.clear();
  out.reserve(bytes.size());
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto cp = ReadUtf8(bytes, pos);
    if (!cp) {
      return false;
    }
    regex::AppendCodePoint(out, *cp);
  }
  return true;
}

}  // namespace tenrovel::regex_probe
