// The subjects of regex_bench, generated from a fixed seed so that everyone
// who runs the benchmark matches the same code units: a mixed English and
// Japanese text with e-mail addresses, URIs, IPv4 addresses and telephone
// numbers in it, answers shaped like the SMBC list and postal-code services,
// and runs of one letter. Nothing is read from or written to disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tenrovel::bench {

// A deterministic generator (splitmix64): the same seed gives the same
// numbers on every platform, which std::uniform_int_distribution does not
// promise.
class SeededRandom {
 public:
  explicit SeededRandom(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  // A number in [0, bound); bound > 0.
  std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }
  // True one time in `one_in`.
  bool OneIn(std::size_t one_in) { return Below(one_in) == 0; }

 private:
  std::uint64_t state_;
};

// Lines (LF only) of English and Japanese sentences until the text is at
// least `utf8_bytes` long in UTF-8.
std::u16string MixedText(std::size_t utf8_bytes, std::uint64_t seed);
// One line of list items shaped like the SMBC store locator's list answer
// (each "...%2Finf%2FNNNN%2F" link is one match of the list pattern), at
// least `utf8_bytes` long in UTF-8.
std::u16string SmbcListAnswer(std::size_t utf8_bytes, std::uint64_t seed);
// An XML answer shaped like the postal-code lookup's, with one town and
// postal code after another, at least `utf8_bytes` long in UTF-8.
std::u16string PostalAnswer(std::size_t utf8_bytes, std::uint64_t seed);
// The UTF-8 length of a UTF-16 text (a lone surrogate counts 3).
std::size_t Utf8Length(std::u16string_view text);

}  // namespace tenrovel::bench
