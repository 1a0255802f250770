// Number constants as the AMOS editor lists them: single floats printed with
// its fast-floating-point arithmetic, doubles, binary; and that arithmetic.
#include "editor_number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "ffp_arithmetic.h"

namespace zarvex {
namespace {

// The FFP bits nearest to `v` (mantissa rounded to 24 bits).
std::uint32_t ffpOf(double v) {
  if (v == 0) return 0;
  const std::uint32_t sign = v < 0 ? 0x80 : 0;
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(v), &exponent);
  auto mantissa = static_cast<std::uint32_t>(std::llround(fraction * 16777216.0));
  if (mantissa >= 0x1000000) {
    mantissa >>= 1;
    ++exponent;
  }
  return mantissa << 8 | sign | static_cast<std::uint32_t>(exponent + 64);
}

std::string floatText(std::uint32_t bits) {
  std::string out;
  appendEditorFloatText(out, bits);
  return out;
}

std::string doubleText(double value) {
  std::string out;
  appendEditorDoubleText(out, std::bit_cast<std::uint64_t>(value));
  return out;
}

struct FloatRow {
  double value;
  const char* text;
};

void expectFloatTexts(std::initializer_list<FloatRow> rows) {
  for (const auto& [value, text] : rows) {
    EXPECT_EQ(floatText(ffpOf(value)), text) << value;
    if (value != 0) {
      EXPECT_EQ(floatText(ffpOf(-value)), std::string("-") + text) << -value;
    }
  }
}

TEST(EditorFloatText, FixedFormsKeepSixSignificantDigitsAndEndInADecimal) {
  expectFloatTexts({{1, "1.0"}, {0.5, "0.5"}, {3.14159, "3.14159"}, {12.5, "12.5"}, {100, "100.0"},
                    {123456, "123456.0"}, {65536, "65536.0"}, {0.1, "0.1"}, {0.3, "0.3"}, {0.25, "0.25"},
                    {2.718281828, "2.71828"}, {999999, "999999.0"}});
}

TEST(EditorFloatText, RoundingThatCarriesGainsADigit) {
  // The editor itself lists this as 100000.0, one digit short.
  expectFloatTexts({{999999.5, "1000000.0"}, {9.999999, "10.0"}});
}

TEST(EditorFloatText, SevenIntegerDigitsAndMoreUseTheExponentFormWithCutDigits) {
  expectFloatTexts({{1e7, "1E+07"}, {1234567, "1.23456 E+06"}, {1234569, "1.23456 E+06"},
                    // 1E+15 is stored as 999999986991104; the editor's arithmetic rounds it back.
                    {999999986991104.0, "1E+15"}, {2.5e10, "2.5 E+10"}});
}

TEST(EditorFloatText, ValuesBelowOneThousandthUseTheNegativeExponentForm) {
  expectFloatTexts({{0.001, "0.001"}, {0.0001, "1E-04"}, {0.00012345, "1.2345 E-04"}, {1e-10, "1E-10"},
                    {1e-19, "1E-19"}, {0.0123, "0.0123"}});
}

TEST(EditorFloatText, LargestSmallestAndZeroValues) {
  EXPECT_EQ(floatText(0xFFFFFF7F), "9.22337 E+18");   // the largest value
  EXPECT_EQ(floatText(0xFFFFFFFF), "-9.22337 E+18");
  EXPECT_EQ(floatText(0x80000001), "5.42 E-20");      // the smallest: few digits are left at that scale
  EXPECT_EQ(floatText(0x80000081), "-5.42 E-20");
  EXPECT_EQ(floatText(0), "0.0");
  EXPECT_EQ(floatText(0x12345600), "0.0");  // a zero exponent is zero whatever the mantissa
  EXPECT_EQ(floatText(0x00000080), "0.0");  // and so whatever the sign
  EXPECT_EQ(floatText(0x00000041), "0.0");  // a zero mantissa, which no arithmetic makes
}

TEST(EditorDoubleText, FifteenDigitsFixedOrWithAThreeDigitExponent) {
  const std::pair<double, const char*> rows[] = {
      {1, "1.0"},
      {0.5, "0.5"},
      {-2.5, "-2.5"},
      {0.1, "0.1"},
      {0.0001, "0.0001"},
      {3.141592653589793, "3.14159265358979"},
      {123456789012345.0, "123456789012345.0"},
      {999999999999999.9, "1000000000000000.0"},  // the carry keeps the fixed form, one digit more
      {1e15, "1e+015.0"},
      {1e100, "1e+100.0"},
      {1.5e100, "1.5e+100"},
      {1e-5, "1e-005.0"},
      {-2.5e-7, "-2.5e-007"},
      {0.0, "0.0"},
      {5e-324, "4.94065645841247e-324"},
  };
  for (const auto& [value, text] : rows) EXPECT_EQ(doubleText(value), text) << value;
}

TEST(EditorDoubleText, AnAllOnesExponentListsAsFifteenSigns) {
  EXPECT_EQ(doubleText(INFINITY), "+++++++++++++++");
  EXPECT_EQ(doubleText(-INFINITY), "---------------");
  std::string out;
  appendEditorDoubleText(out, 0xFFF8000000000001);  // a NaN with its sign set
  EXPECT_EQ(out, "---------------");
}

TEST(EditorBinaryText, NoLeadingZeros) {
  const std::pair<std::uint32_t, const char*> rows[] = {
      {0, "%0"}, {1, "%1"}, {5, "%101"}, {0x80000000, "%10000000000000000000000000000000"}};
  for (const auto& [value, text] : rows) {
    std::string out;
    appendBinaryText(out, value);
    EXPECT_EQ(out, text);
  }
}

TEST(FfpArithmetic, ExactResultsOfTheFourOperations) {
  using namespace ffp;
  const auto value = [](Ffp a) { return toDouble(a); };
  EXPECT_EQ(value(add(ffpOf(1.5), ffpOf(2.25))), 3.75);
  EXPECT_EQ(value(add(ffpOf(-1.5), ffpOf(2.25))), 0.75);
  EXPECT_EQ(value(add(ffpOf(2.25), ffpOf(-2.25))), 0.0);
  EXPECT_EQ(value(sub(ffpOf(10), ffpOf(0.5))), 9.5);
  EXPECT_EQ(value(mul(ffpOf(-3), ffpOf(2.5))), -7.5);
  EXPECT_EQ(value(div(ffpOf(7.5), ffpOf(-2.5))), -3.0);
  EXPECT_EQ(value(div(kOne, kTen)), value(ffpOf(0.1)));
  EXPECT_EQ(fix(ffpOf(-7.9)), -7);
  EXPECT_EQ(fix(ffpOf(9.99)), 9);
  for (int n : {1, 2, 9, 10, -5, 1 << 23}) EXPECT_EQ(value(flt(n)), n);
}

TEST(FfpArithmetic, OverflowGivesTheLargestValueAndUnderflowZero) {
  using namespace ffp;
  EXPECT_EQ(mul(kLargest, kTen), kLargest);
  EXPECT_EQ(mul(kLargest | 0x80, kTen), kLargest | 0x80);
  EXPECT_EQ(div(kOne, kZero), kLargest);
  EXPECT_EQ(div(0x80000001, kTen), kZero);
  EXPECT_EQ(add(kLargest, kLargest), kLargest);
  // An operand 24 or more binary places smaller leaves the other unchanged.
  EXPECT_EQ(add(kOne, 0x80000029), kOne);
}

}  // namespace
}  // namespace zarvex
