// The 47 prefectures in JIS X 0401 order, as the window lists them. The
// prefecture code of an item is its 1-based position as two digits.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace tenrovel::job {

inline constexpr std::size_t kPrefectureCount = 47;

// CP932 names, 北海道 first, 沖縄県 last.
const std::array<std::string, kPrefectureCount>& PrefectureNames();

// "01" for index 0 up to "47" for index 46.
std::string PrefectureCode(std::size_t index);

}  // namespace tenrovel::job
