// The generated Unicode 6.1 tables behind unicode_properties.h (defined in
// unicode_tables.cpp, written by tools/unicode/generate_unicode_tables.mjs).
// Only unicode_properties.cpp reads them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "regex/unicode_properties.h"

namespace tenrovel::regex::unicode_tables {

// Code points per stage-2 page.
inline constexpr char32_t kPageSize = 128;
inline constexpr std::size_t kStage1Size = 0x110000 / kPageSize;

struct UnicodeBlockRange {
  char32_t first;
  char32_t last;
};

// Stage 1: the stage-2 page of each run of 128 code points.
extern const std::uint8_t kStage1[kStage1Size];
// Stage 2: record indexes, one page per distinct run of 128 code points.
extern const std::uint16_t kStage2[][kPageSize];
// The distinct (category, script, case delta) records.
extern const UnicodeCharRecord kRecords[];
// The record of an unassigned code point (Cn, Unknown, no case mapping).
extern const std::uint16_t kUnassignedRecord;
// Major class of each general category, indexed by category - upCc.
extern const TUnicodeProperty kMajorClassOfCategory[upZs - upCc + 1];
// The blocks' ranges in ascending order, indexed by block - upInBasicLatin.
extern const UnicodeBlockRange kBlocks[kBlockCount];
// Member names without "up", indexed by selector.
extern const char* const kPropertyNames[kUnicodePropertyCount];

}  // namespace tenrovel::regex::unicode_tables
