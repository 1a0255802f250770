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

constexpr std::array<TokenVocabulary::Fragment, kRowCount> kFragments = [] {
  constexpr std::string_view kOpen = "{\\b ";
  static_assert(kOpen.size() == TokenVocabulary::Fragment::kPlainStart);
  std::array<TokenVocabulary::Fragment, kRowCount> fragments{};
  for (std::size_t i = 0; i < kRowCount; ++i) {
    const std::string_view keyword = kRows[i].text;
    // Empty rows would make fragment() and lookup() disagree; a block must
    // hold the document form.
    if (keyword.empty() || kOpen.size() + keyword.size() + 1 > StringAppender::kBlock) {
      throw "a keyword the fragments cannot hold";
    }
    auto& f = fragments[i];
    std::size_t n = 0;
    for (char c : kOpen) f.document.bytes[n++] = c;
    for (char c : keyword) f.document.bytes[n++] = c;
    f.document.bytes[n++] = '}';
    f.document.length = static_cast<std::uint8_t>(n);
    f.plainLength = static_cast<std::uint8_t>(keyword.size());
  }
  return fragments;
}();

}  // namespace

constexpr std::array<std::uint8_t, 32768> TokenVocabulary::kIndex = [] {
  std::array<std::uint8_t, 32768> index{};
  for (std::size_t i = 0; i < kRowCount; ++i) index[kRows[i].code / 2] = static_cast<std::uint8_t>(i + 1);
  return index;
}();

const TokenVocabulary::Row* const TokenVocabulary::kRowData = kRows;
const TokenVocabulary::Fragment* const TokenVocabulary::kFragmentData = kFragments.data();

const TokenVocabulary::Row* TokenVocabulary::begin() { return std::begin(kRows); }
const TokenVocabulary::Row* TokenVocabulary::end() { return std::end(kRows); }

}  // namespace zarvex
