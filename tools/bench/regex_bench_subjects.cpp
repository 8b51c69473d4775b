// The generators behind regex_bench_subjects.h. The word lists are made up for
// the benchmark; their only duty is to give every pattern of regex_bench
// something to find and much to skip.
#include "regex_bench_subjects.h"

#include <array>
#include <string_view>

namespace tenrovel::bench {

namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

constexpr std::array kEnglishWords = {
    u"the"sv,     u"a"sv,         u"of"sv,       u"and"sv,      u"to"sv,         u"in"sv,
    u"is"sv,      u"that"sv,      u"for"sv,      u"with"sv,     u"on"sv,         u"as"sv,
    u"by"sv,      u"this"sv,      u"from"sv,     u"at"sv,       u"branch"sv,     u"bank"sv,
    u"account"sv, u"address"sv,   u"office"sv,   u"customer"sv, u"service"sv,    u"list"sv,
    u"river"sv,   u"mountain"sv,  u"station"sv,  u"window"sv,   u"apple"sv,      u"morning"sv,
    u"evening"sv, u"building"sv,  u"opening"sv,  u"closing"sv,  u"running"sv,    u"reading"sv,
    u"writing"sv, u"searching"sv, u"matching"sv, u"string"sv,   u"thing"sv,      u"king"sv,
    u"during"sv,  u"language"sv,  u"pattern"sv,  u"engine"sv,   u"text"sv,       u"letter"sv,
    u"number"sv,  u"page"sv,      u"town"sv,     u"city"sv,     u"prefecture"sv, u"code"sv,
    u"postal"sv,  u"machine"sv,   u"teller"sv,   u"hours"sv,    u"weekday"sv,    u"holiday"sv,
    u"Tokyo"sv,   u"Osaka"sv,     u"Kyoto"sv,    u"north"sv,    u"south"sv,      u"east"sv,
    u"west"sv,    u"gate"sv,      u"street"sv,   u"corner"sv,   u"floor"sv,      u"near"sv,
    u"walk"sv,    u"minutes"sv,   u"open"sv,     u"closed"sv,   u"new"sv,        u"old"sv,
    u"ringing"sv, u"bring"sv,     u"singer"sv,   u"ingot"sv,    u"spring"sv,     u"swing"sv,
};

// Fragments of Japanese sentences: kanji words, kana words and particles.
constexpr std::array kJapaneseWords = {
    u"東京"sv,
    u"大阪"sv,
    u"銀行"sv,
    u"支店"sv,
    u"出張所"sv,
    u"営業部"sv,
    u"駅前"sv,
    u"国立公園"sv,
    u"時間"sv,
    u"日本語"sv,
    u"文字列"sv,
    u"検索"sv,
    u"正規表現"sv,
    u"住所"sv,
    u"郵便番号"sv,
    u"都道府県"sv,
    u"営業時間"sv,
    u"土曜日"sv,
    u"日曜日"sv,
    u"祝日"sv,
    u"窓口"sv,
    u"案内"sv,
    u"地図"sv,
    u"一覧"sv,
    u"は"sv,
    u"が"sv,
    u"を"sv,
    u"に"sv,
    u"の"sv,
    u"で"sv,
    u"と"sv,
    u"です"sv,
    u"ました"sv,
    u"ません"sv,
    u"という"sv,
    u"ことが"sv,
    u"あります"sv,
    u"できます"sv,
    u"ください"sv,
    u"ところ"sv,
    u"ひらがな"sv,
    u"から"sv,
    u"コンピューター"sv,
    u"サービス"sv,
    u"データ"sv,
    u"メール"sv,
    u"アドレス"sv,
    u"ネットワーク"sv,
    u"プログラム"sv,
    u"カタカナ"sv,
    u"センター"sv,
    u"ギンコウ"sv,
    u"ぎんこう"sv,
    u"ｷﾞﾝｺｳ"sv,
    u"ギんコう"sv,
    u"ｷﾞンｺう"sv,
    u"ｷﾝｺｳ"sv,
    u"ｷﾞﾝｺｳﾞ"sv,
    u"ｺｳﾎﾟ"sv,
    u"ﾃﾞｰﾀ"sv,
    u"ｻｰﾋﾞｽ"sv,
};

constexpr std::array kHosts = {
    u"example.com"sv,     u"example.org"sv,  u"mail.example.net"sv,
    u"bank.example.jp"sv, u"test.example"sv, u"shop.example.co.jp"sv,
};

constexpr std::array kNames = {
    u"taro"sv,    u"hanako"sv,        u"info"sv,     u"support"sv,
    u"j.smith"sv, u"yamada.ichiro"sv, u"no-reply"sv, u"sales+list"sv,
};

constexpr std::array kPlaces = {
    u"丸の内"sv, u"銀座"sv, u"新宿"sv, u"渋谷"sv,   u"梅田"sv, u"難波"sv,
    u"札幌"sv,   u"仙台"sv, u"横浜"sv, u"名古屋"sv, u"京都"sv, u"神戸"sv,
};

constexpr std::array kKinds = {u"支店"sv, u"出張所"sv, u"ATM"sv, u"営業部"sv};

template <std::size_t N>
std::u16string_view Pick(SeededRandom& random, const std::array<std::u16string_view, N>& list) {
  return list[random.Below(N)];
}

void AppendNumber(std::u16string& out, std::size_t value) {
  for (const char c : std::to_string(value))
    out.push_back(static_cast<char16_t>(c));
}

void AppendDigits(std::u16string& out, SeededRandom& random, int count) {
  for (int k = 0; k < count; ++k)
    out.push_back(static_cast<char16_t>(u'0' + random.Below(10)));
}

void AppendEmail(std::u16string& out, SeededRandom& random) {
  out += Pick(random, kNames);
  AppendNumber(out, random.Below(100));
  out += u'@';
  out += Pick(random, kHosts);
}

void AppendUri(std::u16string& out, SeededRandom& random) {
  out += random.OneIn(4) ? u"http://"sv : u"https://"sv;
  out += random.OneIn(3) ? u"www."sv : u""sv;
  out += Pick(random, kHosts);
  const std::size_t segments = random.Below(4);
  for (std::size_t k = 0; k < segments; ++k) {
    out += u'/';
    out += Pick(random, kEnglishWords);
  }
  if (random.OneIn(3)) {
    out += u"?q="sv;
    out += Pick(random, kEnglishWords);
    out += u"&page="sv;
    AppendNumber(out, random.Below(50));
  }
  if (random.OneIn(5)) {
    out += u'#';
    out += Pick(random, kEnglishWords);
  }
}

void AppendIpv4(std::u16string& out, SeededRandom& random) {
  for (int k = 0; k < 4; ++k) {
    if (k > 0)
      out += u'.';
    // Now and then an octet out of range, which the pattern must not take.
    AppendNumber(out, random.OneIn(20) ? 256 + random.Below(700) : random.Below(256));
  }
}

void AppendTelephone(std::u16string& out, SeededRandom& random) {
  out += u"0"sv;
  AppendDigits(out, random, 1 + static_cast<int>(random.Below(2)));
  out += u'-';
  AppendDigits(out, random, 4);
  out += u'-';
  AppendDigits(out, random, 4);
}

// One of the special items, now and then, between the words.
void AppendSpecial(std::u16string& out, SeededRandom& random) {
  switch (random.Below(4)) {
    case 0:
      AppendEmail(out, random);
      break;
    case 1:
      AppendUri(out, random);
      break;
    case 2:
      AppendIpv4(out, random);
      break;
    default:
      AppendTelephone(out, random);
      break;
  }
}

void AppendEnglishSentence(std::u16string& out, SeededRandom& random) {
  const std::size_t words = 6 + random.Below(9);
  for (std::size_t k = 0; k < words; ++k) {
    if (k > 0)
      out += u' ';
    if (random.OneIn(40)) {
      AppendSpecial(out, random);
      continue;
    }
    std::u16string_view word = Pick(random, kEnglishWords);
    std::u16string piece(word);
    if (k == 0 || random.OneIn(30))
      piece[0] =
          static_cast<char16_t>(piece[0] >= u'a' && piece[0] <= u'z' ? piece[0] - 32 : piece[0]);
    if (random.OneIn(200))
      for (char16_t& c : piece)
        c = static_cast<char16_t>(c >= u'a' && c <= u'z' ? c - 32 : c);
    out += piece;
    // A doubled word now and then, for the back reference.
    if (random.OneIn(60)) {
      out += u' ';
      out += piece;
    }
  }
  out += u". "sv;
}

void AppendJapaneseSentence(std::u16string& out, SeededRandom& random) {
  const std::size_t words = 3 + random.Below(10);
  for (std::size_t k = 0; k < words; ++k) {
    if (random.OneIn(30)) {
      out += u"「"sv;
      AppendSpecial(out, random);
      out += u"」"sv;
      continue;
    }
    out += Pick(random, kJapaneseWords);
    if (random.OneIn(8))
      out += u"、"sv;
  }
  out += random.OneIn(10) ? u"　"sv : u""sv;
  out += u"。"sv;
}

std::size_t Utf8LengthOfUnit(char16_t unit) {
  return unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
}

}  // namespace

std::uint64_t SeededRandom::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::size_t Utf8Length(std::u16string_view text) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      length += 4;
      ++i;
    } else {
      length += Utf8LengthOfUnit(unit);
    }
  }
  return length;
}

std::u16string MixedText(std::size_t utf8_bytes, std::uint64_t seed) {
  SeededRandom random(seed);
  std::u16string out;
  std::size_t length = 0;
  while (length < utf8_bytes) {
    const std::size_t before = out.size();
    // A paragraph: a few sentences on one line, mostly of one language.
    const bool japanese = random.OneIn(2);
    const std::size_t sentences = 1 + random.Below(6);
    for (std::size_t k = 0; k < sentences; ++k) {
      if (japanese != random.OneIn(5))
        AppendJapaneseSentence(out, random);
      else
        AppendEnglishSentence(out, random);
    }
    out += u'\n';
    if (random.OneIn(6))
      out += u'\n';
    length += Utf8Length(std::u16string_view(out).substr(before));
  }
  return out;
}

std::u16string SmbcListAnswer(std::size_t utf8_bytes, std::uint64_t seed) {
  SeededRandom random(seed);
  std::u16string out = u"<ul class=\"shopList\">"s;
  std::size_t length = Utf8Length(out);
  while (length < utf8_bytes) {
    const std::size_t before = out.size();
    out += u"<li><a href=\"http%3A%2F%2F127.0.0.1%2Fsmt%2Fsmbcbank%2Finf%2F"sv;
    AppendDigits(out, random, 4);
    out += u"%2F\">"sv;
    out += Pick(random, kPlaces);
    out += Pick(random, kKinds);
    out += u"</a></li>"sv;
    length += Utf8Length(std::u16string_view(out).substr(before));
  }
  out += u"</ul>"sv;
  return out;
}

std::u16string PostalAnswer(std::size_t utf8_bytes, std::uint64_t seed) {
  SeededRandom random(seed);
  std::u16string out = u"<?xml version=\"1.0\" encoding=\"utf-8\"?><Result>"s;
  std::size_t length = Utf8Length(out);
  while (length < utf8_bytes) {
    const std::size_t before = out.size();
    out += u"<Town>東京都"sv;
    out += Pick(random, kPlaces);
    out += u"</Town><zipcode Old=\""sv;
    AppendDigits(out, random, 3);
    out += u"\">"sv;
    AppendDigits(out, random, 3);
    out += u'-';
    AppendDigits(out, random, 4);
    out += u"</ZIPCODE>"sv;
    length += Utf8Length(std::u16string_view(out).substr(before));
  }
  out += u"</Result>"sv;
  return out;
}

}  // namespace tenrovel::bench
