#include "demo_program.h"

#include <cmath>

#include "bank_builder.h"

namespace zarvex::testing {

namespace {
// Keyword token codes used below.
enum : std::uint16_t {
  kColon = 0x0054, kComma = 0x005C, kOpenBracket = 0x0084, kCloseBracket = 0x008C, kTo = 0x0094,
  kDo = 0x027E, kLoop = 0x0286, kExit = 0x029E, kGosub = 0x02B2, kIf = 0x02BE, kThen = 0x02C6,
  kReturn = 0x0360, kProcedure = 0x0376, kEndProc = 0x0390, kGlobal = 0x03AA, kEnd = 0x03B6, kAdd = 0x0458,
  kPrint = 0x0476, kScreenOpen = 0x09EA, kCls = 0x0BB8, kLowres = 0x0C90, kWaitVbl = 0x0CCA, kBar = 0x0EC8,
  kText = 0x0F4A, kInk = 0x1044, kCursOff = 0x1446, kMouseKey = 0x1E32, kPoke = 0x21CA, kOr = 0xFF4C,
  kEquals = 0xFFA2, kLess = 0xFFAC, kGreater = 0xFFB6, kPlus = 0xFFC0, kMinus = 0xFFCA,
  // AMOS Professional only: the classic vocabulary has no rows for these.
  kExitIf = 0x0290, kDialogBox = 0x26E8, kRoundOpen = 0x0074, kRoundClose = 0x007C, kAtLeast = 0xFF8E,
};
constexpr std::uint8_t kFloatFlag = 1, kStringFlag = 2;
const Bytes kNoPayload2 = {0, 0}, kNoPayload4 = {0, 0, 0, 0}, kNoPayload8(8, 0);
// A shaded ball of `radius` in a 16 x 16 image: colour indices `first` (the
// highlight) to `first` + 6 (the rim), 0 outside.
SpriteImageBytes ball(int radius, std::uint8_t first) {
  std::vector<std::uint8_t> indices(16 * 16, 0);
  const double centre = 7.5, highlight = centre - radius * 0.4;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (std::hypot(x - centre, y - centre) > radius) continue;
      const double shade = std::hypot(x - highlight, y - highlight) / (radius * 1.4);
      indices[static_cast<std::size_t>(y * 16 + x)] = static_cast<std::uint8_t>(first + std::min(6, static_cast<int>(shade * 7)));
    }
  }
  return {1, 16, 5, planesOf(indices, 16, 16, 5), 8, 8};
}

// The balls the program bounces: red, green, blue and a small yellow one.
Bytes spriteBankOfBalls() {
  std::array<std::uint16_t, 32> palette{};
  const std::uint16_t hues[4] = {0x0100, 0x0010, 0x0001, 0x0110};  // one step of each component used
  for (int h = 0; h < 4; ++h) {
    for (int shade = 0; shade < 7; ++shade) {
      const int level = 15 - 2 * shade;
      palette[static_cast<std::size_t>(h * 8 + 1 + shade)] = static_cast<std::uint16_t>(
          hues[h] * level + (shade == 0 ? 0x0888 & ~(hues[h] * 15) : 0));
    }
  }
  return spriteBank({ball(7, 1), ball(6, 9), ball(6, 17), ball(4, 25)}, palette);
}

// "Boing": a falling tone that dies away, 8-bit signed at 8 kHz.
Bytes sampleBankOfBoing() {
  constexpr int kRate = 8000, kLength = 2400;
  Bytes data{0, 1, 0, 0, 0, 6};  // one sample, at offset 6 of the data
  for (char c : std::string("Boing   ")) data.push_back(static_cast<std::uint8_t>(c));
  data.insert(data.end(), {static_cast<std::uint8_t>(kRate >> 8), static_cast<std::uint8_t>(kRate & 0xFF), 0, 0,
                           static_cast<std::uint8_t>(kLength >> 8), static_cast<std::uint8_t>(kLength & 0xFF)});
  double phase = 0;
  for (int i = 0; i < kLength; ++i) {
    const double t = static_cast<double>(i) / kLength;
    phase += 2 * 3.14159265358979 * (440 - 300 * t) / kRate;
    data.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(std::lround(110 * (1 - t) * std::sin(phase)))));
  }
  return memoryBank(5, 0, "Samples ", data);
}

}  // namespace

Bytes demoProgram() {
  std::vector<TokenLine> lines;
  lines.push_back(TokenLine().text(kTokQuoteRem, " Zarvex demo: a bouncing ball"));
  lines.push_back(TokenLine().text(kTokRem, " Open a low resolution screen and hide the cursor"));
  lines.push_back(TokenLine().token(kScreenOpen).decimal(0).token(kComma).decimal(320).token(kComma).decimal(200)
                      .token(kComma).decimal(16).token(kComma).token(kLowres));
  lines.push_back(TokenLine().token(kCursOff).token(kColon).token(kCls).decimal(0));
  lines.push_back(TokenLine().variable("x").token(kEquals).decimal(160).token(kColon).variable("y").token(kEquals)
                      .decimal(100).token(kColon).variable("dx", kFloatFlag).token(kEquals).number(1.5f));
  lines.push_back(TokenLine().variable("name", kStringFlag).token(kEquals).string("Ball {1} in C:\\demo"));
  lines.push_back(TokenLine().token(kGlobal).variable("score"));
  lines.push_back(TokenLine().token(kPoke).integer(kTokHex, 0xDFF180).token(kComma).integer(kTokHex, 0xFFF));
  lines.push_back(TokenLine().token(kDo, kNoPayload2));
  lines.push_back(TokenLine(2).token(kGosub).name(kTokLabelReference, "move_ball"));
  lines.push_back(TokenLine(2).name(kTokProcedureCall, "draw_ball").token(kOpenBracket).variable("x").token(kComma)
                      .variable("y").token(kCloseBracket));
  lines.push_back(TokenLine(2).token(kIf, kNoPayload2).token(kMouseKey).token(kThen).token(kExit, kNoPayload4));
  lines.push_back(TokenLine(2).token(kExitIf, kNoPayload4).variable("score").token(kAtLeast).decimal(100));
  lines.push_back(TokenLine(2).token(kWaitVbl));
  lines.push_back(TokenLine().token(kLoop));
  lines.push_back(TokenLine().variable("r").token(kEquals).token(kDialogBox).token(kRoundOpen)
                      .string("Well played!").token(kRoundClose));
  lines.push_back(TokenLine().token(kEnd));
  lines.push_back(TokenLine().name(kTokLabel, "move_ball"));
  lines.push_back(TokenLine(2).variable("x").token(kEquals).variable("x").token(kPlus).variable("dx", kFloatFlag));
  lines.push_back(TokenLine(2).token(kIf, kNoPayload2).variable("x").token(kGreater).decimal(310).token(kOr)
                      .variable("x").token(kLess).decimal(0).token(kThen).variable("dx", kFloatFlag).token(kEquals)
                      .token(kMinus).variable("dx", kFloatFlag).token(kColon).token(kAdd).variable("score")
                      .token(kComma).decimal(1));
  lines.push_back(TokenLine(2).token(kPrint).string("Speed: ").token(0x0064).number(0.25f));
  lines.push_back(TokenLine().token(kReturn));
  lines.push_back(TokenLine().token(kProcedure, kNoPayload8).name(kTokProcedureCall, "draw_ball")
                      .token(kOpenBracket).variable("x").token(kComma).variable("y").token(kCloseBracket));
  lines.push_back(TokenLine(2).token(kInk).decimal(3).token(kColon).token(kBar).variable("x").token(kComma)
                      .variable("y").token(kTo).variable("x").token(kPlus).decimal(8).token(kComma).variable("y")
                      .token(kPlus).decimal(8));
  lines.push_back(TokenLine(2).token(kText).variable("x").token(kComma).variable("y").token(kMinus).decimal(4)
                      .token(kComma).variable("name", kStringFlag));
  lines.push_back(TokenLine(2).text(kTokQuoteRem, " an extension command, then a token no table names"));
  lines.push_back(TokenLine(2).integer(kTokExtension, 0x0014A012).variable("score"));
  lines.push_back(TokenLine(2).token(0x2A10));
  lines.push_back(TokenLine().token(kEndProc));
  return amosFileWithBanks(lines, {spriteBankOfBalls(), sampleBankOfBoing()});
}

}  // namespace zarvex::testing
