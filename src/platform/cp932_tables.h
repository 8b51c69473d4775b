// CP932 conversion tables generated from Microsoft's best-fit data.
#pragma once

#include <cstdint>

namespace tenrovel::platform::cp932 {

// Lead bytes of CP932: 0x81-0x9F and 0xE0-0xFC.
inline constexpr int kLeadByteCount = 60;
// kSingleByte holds this for a lead byte.
inline constexpr std::uint16_t kLeadMarker = 0xFFFF;
// What Windows gives for a byte sequence with no mapping.
inline constexpr char16_t kDefaultUnicode = 0x30FB;

constexpr int LeadIndex(unsigned char lead) {
  return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
}

extern const std::uint16_t kSingleByte[256];
extern const std::uint16_t kDoubleByte[kLeadByteCount][256];
// A value above 0xFF is a double-byte code (lead byte in the high byte).
extern const std::uint16_t kWideToCp932[65536];

}  // namespace tenrovel::platform::cp932
