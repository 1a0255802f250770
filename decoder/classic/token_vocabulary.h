// The token vocabulary: the text the listing shows for a token code.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "inline_text.h"
#include "string_appender.h"

namespace zarvex {

class TokenVocabulary {
 public:
  struct Row {
    std::uint16_t code;
    InlineText<20> text;
  };

  // The keyword for `code`, blanks included, or an empty view when the code
  // has no row (0, odd codes, codes between rows, codes above 0xFFEC).
  static std::string_view lookup(std::uint32_t code) {
    const std::uint8_t row = rowNumber(code);
    return row == 0 ? std::string_view{} : kRowData[row - 1].text;
  }

  // A keyword as the listing document writes it, "{\\b KEYWORD}": the
  // document form is the whole text, the plain form (the keyword alone) its
  // plainLength characters from kPlainStart.
  struct Fragment {
    static constexpr std::size_t kPlainStart = 4;
    PaddedText document;
    std::uint8_t plainLength;
  };

  // The fragment for `code`, or nullptr exactly where lookup() gives an
  // empty view.
  static const Fragment* fragment(std::uint32_t code) {
    const std::uint8_t row = rowNumber(code);
    return row == 0 ? nullptr : &kFragmentData[row - 1];
  }

  // Every row, in ascending order of code.
  static const Row* begin();
  static const Row* end();

 private:
  // Row number + 1 for `code`, 0 when it has no row.
  static std::uint8_t rowNumber(std::uint32_t code) {
    return code > 0xFFFF || (code & 1) != 0 ? 0 : kIndex[code / 2];
  }

  static const Row* const kRowData;
  static const Fragment* const kFragmentData;
  // Row number + 1 for each even code, 0 where there is no row: one indexed
  // read per token instead of a search.
  static const std::array<std::uint8_t, 32768> kIndex;
};

}  // namespace zarvex
