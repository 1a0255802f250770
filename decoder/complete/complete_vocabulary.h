// The complete token table: every token code of AMOS 1.3 and AMOS
// Professional, the keywords of the standard extensions, the payload each
// token carries and the blank rule the editor applies before its keyword.
// The rows live in resources/complete_vocabulary.inc.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "inline_text.h"

namespace zarvex {

// What follows a token's code in the line.
enum class TokenPayload : std::uint8_t {
  None,
  EndOfLine,    // 0000: the line's tokens end
  Name,         // u16 link, u8 length, u8 flags, the name's bytes
  Long,         // 32 bits: decimal, hex or binary by code
  Text,         // u16 length, the bytes, a pad byte when the length is odd
  Float,        // 32-bit fast floating point
  Double,       // 64-bit IEEE double
  Extension,    // u8 slot, u8 parameter count, u16 offset in the slot's table
  Skip2,        // bytes the listing does not show
  Skip4,
  Skip6,
  Procedure,    // u32 distance to the End Proc line, u16 key, u8 flags, u8 key
  MachineCode,  // u16, then 68000 code up to the End Proc line
};

// What the editor does to the line before it writes a keyword.
enum class BlankRule : std::uint8_t {
  None,    // nothing
  Before,  // one blank unless the line is empty or ends with a blank
  Strip,   // one blank at the end of the line is removed
};

struct CompleteToken {
  std::uint16_t code;
  InlineText<24> keyword;  // ISO-8859-1, the editor's blanks included
  TokenPayload payload;
  BlankRule blank;
  bool escapes;  // the keyword holds a character the listing document escapes
};

struct ExtensionKeyword {
  std::uint8_t slot;
  std::uint16_t offset;
  InlineText<24> keyword;
  BlankRule blank;
  bool escapes;  // the keyword holds a character the listing document escapes
};

class CompleteVocabulary {
 public:
  // The row of `code`, or null when the code has none.
  static const CompleteToken* token(std::uint16_t code) {
    const std::uint16_t row = kIndex[code];
    return row == 0 ? nullptr : &kTokenData[row - 1];
  }
  // The keyword at `offset` of extension slot `slot`, or null.
  static const ExtensionKeyword* extension(std::uint8_t slot, std::uint16_t offset);

  // Every row, in ascending order.
  static std::span<const CompleteToken> tokens();
  static std::span<const ExtensionKeyword> extensions();

 private:
  static const CompleteToken* const kTokenData;
  // Row number + 1 for each code, 0 where there is no row: one indexed read
  // per token.
  static const std::array<std::uint16_t, 65536> kIndex;
};

}  // namespace zarvex
