// The token vocabulary: exactly its rows, blanks included, and nothing else.
#include "token_vocabulary.h"

#include <gtest/gtest.h>

#include <set>

namespace zarvex {
namespace {

TEST(TokenVocabulary, HoldsExactly207EvenCodes) {
  int withKeyword = 0;
  for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
    if (!TokenVocabulary::lookup(code).empty()) {
      ++withKeyword;
      EXPECT_EQ(code % 2, 0u) << code;
      EXPECT_TRUE(code <= 0x2520 || (code >= 0xFF4C && code <= 0xFFEC)) << code;
    }
  }
  EXPECT_EQ(withKeyword, 207);
  EXPECT_EQ(TokenVocabulary::end() - TokenVocabulary::begin(), 207);
}

TEST(TokenVocabulary, TextsKeepTheirBlanks) {
  const std::pair<std::uint32_t, const char*> rows[] = {
      {0x0458, "Add "},        {0x0462, "Add "},         {0x02C6, " Then "},  {0x02D0, " Else"},
      {0xFF4C, " or "},        {0x0AE2, "Screen Swap"},  {0x0AF4, "Screen Swap "}, {0xFF84, "=<"},
      {0xFF7A, "<="},          {0xFF98, "=>"},           {0xFF8E, ">="},      {0x2520, "Laced"},
      {0xFFEC, "/"},           {0x004E, "Extension"},    {0x0054, " : "},     {0x0BAE, "Cls"},
      {0x0BB8, "Cls "},        {0x1BAE, "Get Sprite Palette"}, {0xFFD4, " mod "}, {0x0D2C, "Colour"},
  };
  for (const auto& [code, text] : rows) EXPECT_EQ(TokenVocabulary::lookup(code), text) << std::hex << code;
}

TEST(TokenVocabulary, NoKeywordOutsideTheRows) {
  for (std::uint32_t code : {0x0000u, 0x004Fu, 0x0456u, 0x0006u, 0x0026u, 0x2522u, 0xFF4Au, 0xFFEEu, 0xFFFEu,
                             0xFFFFu, 0x10000u, 0x1004Eu}) {
    EXPECT_TRUE(TokenVocabulary::lookup(code).empty()) << std::hex << code;
  }
}

TEST(TokenVocabulary, TextsArePrintableAndNeedNoEscaping) {
  int trailing = 0, leading = 0;
  for (auto* row = TokenVocabulary::begin(); row != TokenVocabulary::end(); ++row) {
    const std::string_view text = row->text;
    EXPECT_GE(text.size(), 1u);
    EXPECT_LE(text.size(), 18u);
    EXPECT_EQ(text.find_first_of("\\{}"), std::string_view::npos) << text;
    trailing += text.back() == ' ';
    leading += text.front() == ' ';
  }
  EXPECT_EQ(trailing, 91);
  EXPECT_EQ(leading, 8);
}

}  // namespace
}  // namespace zarvex
