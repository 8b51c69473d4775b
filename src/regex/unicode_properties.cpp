#include "regex/unicode_properties.h"

#include <string>
#include <unordered_map>

#include "regex/unicode_tables.h"
#include "text/ascii_case.h"

namespace tenrovel::regex {
namespace {

using namespace unicode_tables;

constexpr char32_t kMaxCodePoint = 0x10FFFF;

std::uint16_t RecordIndex(char32_t code_point) {
  if (code_point > kMaxCodePoint) {
    return kUnassignedRecord;
  }
  return kStage2[kStage1[code_point / kPageSize]][code_point % kPageSize];
}

const UnicodeCharRecord& Record(char32_t code_point) {
  return kRecords[RecordIndex(code_point)];
}

TUnicodeProperty CategoryOf(const UnicodeCharRecord& record) {
  return static_cast<TUnicodeProperty>(upCc + (record.char_type >> 8));
}

TUnicodeProperty ScriptOf(const UnicodeCharRecord& record) {
  return static_cast<TUnicodeProperty>(upunKnown + (record.char_type & 0xFF));
}

// A property name as the name table keys it: in ASCII lower case.
std::string LookupKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) {
    c = text::AsciiLower(c);
  }
  return key;
}

// The names \p{...} accepts, keyed in ASCII lower case. Names are looked up
// on every compile of a pattern with a property, so the table is built once
// and kept for the life of the program.
class PropertyNameTable {
 public:
  PropertyNameTable() {
    for (int p = 0; p < kUnicodePropertyCount; ++p) {
      Add(kPropertyNames[p], static_cast<TUnicodeProperty>(p));
    }
    Add("L&", upLC);
  }

  std::optional<TUnicodeProperty> Find(const std::string& lower_name) const {
    const auto it = names_.find(lower_name);
    if (it == names_.end()) {
      return std::nullopt;
    }
    return it->second;
  }

 private:
  void Add(std::string_view name, TUnicodeProperty property) {
    names_.emplace(LookupKey(name), property);
  }

  std::unordered_map<std::string, TUnicodeProperty> names_;
};

const PropertyNameTable& PropertyNames() {
  static const PropertyNameTable table;
  return table;
}

// Builds the name table while the program starts, before any pattern can be
// compiled; PropertyNames() still builds it first if another static
// initializer gets there earlier.
[[maybe_unused]] const PropertyNameTable& kBuiltAtStartup = PropertyNames();

}  // namespace

CharType GetCharType(char32_t code_point) {
  const std::uint16_t index = RecordIndex(code_point);
  return {index, kRecords[index]};
}

TUnicodeProperty GetUnicodeCategory(char32_t code_point) {
  return CategoryOf(Record(code_point));
}

TUnicodeProperty GetUnicodeGeneralCategory(char32_t code_point) {
  return kMajorClassOfCategory[GetUnicodeCategory(code_point) - upCc];
}

TUnicodeProperty GetUnicodeScript(char32_t code_point) {
  return ScriptOf(Record(code_point));
}

char32_t GetUnicodeUpperCase(char32_t code_point) {
  const UnicodeCharRecord& record = Record(code_point);
  if (CategoryOf(record) != upLl) {
    return code_point;
  }
  return static_cast<char32_t>(static_cast<std::int32_t>(code_point) - record.delta);
}

char32_t GetUnicodeLowerCase(char32_t code_point) {
  const UnicodeCharRecord& record = Record(code_point);
  if (CategoryOf(record) != upLu) {
    return code_point;
  }
  return static_cast<char32_t>(static_cast<std::int32_t>(code_point) - record.delta);
}

TUnicodeProperty GetUnicodeBlock(char32_t code_point) {
  int low = 0;
  int high = kBlockCount - 1;
  while (low <= high) {
    const int mid = (low + high) / 2;
    if (kBlocks[mid].first <= code_point && code_point <= kBlocks[mid].last) {
      return static_cast<TUnicodeProperty>(kFirstBlock + mid);
    }
    if (code_point < kBlocks[mid].last) {
      high = mid - 1;
    } else {
      low = mid + 1;
    }
  }
  return upInBasicLatin;
}

bool IsUnicodeProperty(char32_t code_point, TUnicodeProperty property) {
  if (property >= kFirstBlock) {
    return GetUnicodeBlock(code_point) == property;
  }
  const UnicodeCharRecord& record = Record(code_point);
  if (property >= kFirstScript) {
    return ScriptOf(record) == property;
  }
  const TUnicodeProperty category = CategoryOf(record);
  if (property < kFirstCategory) {
    return kMajorClassOfCategory[category - upCc] == property;
  }
  if (property == upLC) {
    return category == upLl || category == upLt || category == upLu;
  }
  return category == property;
}

std::string_view GetUnicodePropertyName(TUnicodeProperty property) {
  if (property >= kUnicodePropertyCount) {
    return {};
  }
  return kPropertyNames[property];
}

std::optional<TUnicodeProperty> FindUnicodeProperty(std::string_view name) {
  return PropertyNames().Find(LookupKey(name));
}

std::optional<TUnicodeProperty> FindUnicodeProperty(std::u16string_view name) {
  std::string key;
  key.reserve(name.size());
  for (const char16_t c : name) {
    // Every property name is ASCII; anything else cannot match.
    if (c > 0x7F) {
      return std::nullopt;
    }
    key += static_cast<char>(text::AsciiLower(c));
  }
  return PropertyNames().Find(key);
}

}  // namespace tenrovel::regex
