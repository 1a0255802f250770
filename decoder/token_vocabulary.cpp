#include "token_vocabulary.h"

#include <array>
#include <iterator>

namespace zarvex {

namespace {

constexpr TokenVocabulary::Row kRows[] = {
#include "token_vocabulary.inc"
};
constexpr std::size_t kRowCount = std::size(kRows);
static_assert(kRowCount < 255, "row numbers are kept in one byte");

// Row number + 1 for each even code, 0 where there is no row: one indexed
// read per token instead of a search.
constexpr auto kIndex = [] {
  std::array<std::uint8_t, 32768> index{};
  for (std::size_t i = 0; i < kRowCount; ++i) index[kRows[i].code / 2] = static_cast<std::uint8_t>(i + 1);
  return index;
}();

}  // namespace

std::string_view TokenVocabulary::lookup(std::uint32_t code) {
  if (code > 0xFFFF || (code & 1) != 0) return {};
  const std::uint8_t row = kIndex[code / 2];
  return row == 0 ? std::string_view{} : std::string_view{kRows[row - 1].text};
}

const TokenVocabulary::Row* TokenVocabulary::begin() { return std::begin(kRows); }
const TokenVocabulary::Row* TokenVocabulary::end() { return std::end(kRows); }

}  // namespace zarvex
