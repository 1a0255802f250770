// The token vocabulary: the text the listing shows for a token code.
#pragma once

#include <cstdint>
#include <string_view>

namespace zarvex {

class TokenVocabulary {
 public:
  struct Row {
    std::uint16_t code;
    const char* text;
  };

  // The keyword for `code`, blanks included, or an empty view when the code
  // has no row (0, odd codes, codes between rows, codes above 0xFFEC).
  static std::string_view lookup(std::uint32_t code);

  // Every row, in ascending order of code.
  static const Row* begin();
  static const Row* end();
};

}  // namespace zarvex
