// Number texts of the listing and of messages.
#include "number_text.h"

#include <gtest/gtest.h>

#include <clocale>

namespace zarvex {
namespace {

std::string floatText(float value) {
  std::string out;
  appendFloatText(out, value);
  return out;
}

TEST(NumberText, FloatTextsFollowSevenDigitGeneralFormThenListingRules) {
  const std::pair<float, const char*> rows[] = {
      {1.0f, "1.0"},           {0.5f, "0.5"},           {2.25f, "2.25"},      {-3.0f, "-3.0"},
      {-0.5f, "-.5"},          {1e20f, "1E+20.0"},      {0.1f, "0.1"},        {1234567.0f, "1234567.0"},
      {12345678.0f, "1.234568E+07"}, {0.0001f, "0.0001"}, {0.00001f, "1E-05.0"}, {0.0f, "0.0"},
      {3.1415927f, "3.141593"}, {-1.5e-7f, "-1.5E-07"}, {100.0f, "100.0"},     {9999999.0f, "9999999.0"},
      {-0.25f, "-.25"},         {5.421011e-20f, "5.421011E-20"},
  };
  for (const auto& [value, text] : rows) EXPECT_EQ(floatText(value), text) << value;
}

// The window runs in the user's locale, where the decimal point may be a
// comma: the listing keeps the period.
TEST(NumberText, FloatTextsKeepThePeriodInALocaleWithADecimalComma) {
  const char* chosen = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8", "ru_RU.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";
  EXPECT_EQ(floatText(2.25f), "2.25");
  EXPECT_EQ(floatText(-0.5f), "-.5");
  EXPECT_EQ(floatText(12345678.0f), "1.234568E+07");
  std::setlocale(LC_NUMERIC, "C");
}

TEST(NumberText, HexAndDecimalTexts) {
  const std::pair<std::int32_t, const char*> hex[] = {{0, "0"}, {-1, "FFFFFFFF"}, {0x1000012, "1000012"},
                                                      {0xABCDEF, "ABCDEF"}, {INT32_MIN, "80000000"}};
  for (const auto& [value, text] : hex) {
    std::string out;
    appendHexText(out, value);
    EXPECT_EQ(out, text);
  }
  const std::pair<std::int32_t, const char*> decimal[] = {
      {0, "0"}, {9, "9"}, {10, "10"}, {-1, "-1"}, {-10, "-10"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"}};
  for (const auto& [value, text] : decimal) {
    std::string out;
    appendDecimalText(out, value);
    EXPECT_EQ(out, text);
  }
  EXPECT_EQ(messageNumber(4660), " 4660");
  EXPECT_EQ(messageNumber(0), " 0");
  EXPECT_EQ(messageNumber(-7), "-7");
  EXPECT_EQ(messageNumber(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(messageNumber(INT64_MAX), " 9223372036854775807");
  EXPECT_EQ(messageNumber(65535), " 65535");
}

}  // namespace
}  // namespace zarvex
