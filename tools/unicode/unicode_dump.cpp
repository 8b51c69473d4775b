// Prints the regex engine's Unicode properties of every code point, one line
// each from U+0000 to U+10FFFF:
//
//   <code point> <category> <script> <block> <upper case> <lower case>
//
// e.g. "0041 upLu upLatin upInBasicLatin 0041 0061" (hex with at least four
// digits, member names of TUnicodeProperty). check_unicode_dump.mjs compares
// this with the Unicode data; the tests compare its SHA-256 with a known one.
//
// Usage: unicode-dump [output-file]   (standard output by default)

#include <cstdio>
#include <string>
#include <string_view>

#include "regex/unicode_properties.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

using namespace tenrovel::regex;

void AppendHex(std::string& out, char32_t value) {
  char digits[8];
  int n = 0;
  do {
    digits[n++] = "0123456789ABCDEF"[value % 16];
    value /= 16;
  } while (value != 0);
  for (; n < 4; ++n) {
    digits[n] = '0';
  }
  while (n > 0) {
    out += digits[--n];
  }
}

void AppendName(std::string& out, TUnicodeProperty property) {
  out += "up";
  out += GetUnicodePropertyName(property);
}

bool Write(std::FILE* file, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fputs("usage: unicode-dump [output-file]\n", stderr);
    return 2;
  }
  std::FILE* file = stdout;
  if (argc == 2) {
    file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
      std::perror(argv[1]);
      return 1;
    }
  } else {
#ifdef _WIN32
    // The same bytes as on every other platform: LF, not CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
  }

  std::string chunk;
  bool ok = true;
  constexpr char32_t kLast = 0x10FFFF;
  for (char32_t cp = 0; cp <= kLast && ok; ++cp) {
    AppendHex(chunk, cp);
    chunk += ' ';
    AppendName(chunk, GetUnicodeCategory(cp));
    chunk += ' ';
    AppendName(chunk, GetUnicodeScript(cp));
    chunk += ' ';
    AppendName(chunk, GetUnicodeBlock(cp));
    chunk += ' ';
    AppendHex(chunk, GetUnicodeUpperCase(cp));
    chunk += ' ';
    AppendHex(chunk, GetUnicodeLowerCase(cp));
    chunk += '\n';
    if (chunk.size() >= (1 << 20) || cp == kLast) {
      ok = Write(file, chunk);
      chunk.clear();
    }
  }
  if (file != stdout) {
    ok = std::fclose(file) == 0 && ok;
  } else {
    ok = std::fflush(stdout) == 0 && ok;
  }
  if (!ok) {
    std::fputs("unicode-dump: write error\n", stderr);
    return 1;
  }
  return 0;
}
