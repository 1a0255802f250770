// Builds tokenised AMOS programs byte by byte: for tests, the demo program and
// the benchmark input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarvex::testing {

using Bytes = std::vector<std::uint8_t>;

// Token codes the builder's callers use by name.
enum TokenCode : std::uint16_t {
  kTokVariable = 0x0006,
  kTokLabel = 0x000C,
  kTokProcedureCall = 0x0012,
  kTokLabelReference = 0x0018,
  kTokString = 0x0026,
  kTokHex = 0x0036,
  kTokDecimal = 0x003E,
  kTokFloat = 0x0046,
  kTokExtension = 0x004E,
  kTokRem = 0x064A,
  kTokQuoteRem = 0x0652,
};

// One program line: indentation, then tokens. The line-size byte is worked
// out from the tokens when the line is finished.
class TokenLine {
 public:
  explicit TokenLine(int indentation = 0) : m_indentation(indentation) {}

  TokenLine& token(std::uint16_t code);                    // a code with no payload
  TokenLine& token(std::uint16_t code, const Bytes& payload);  // a code and raw payload bytes
  TokenLine& name(std::uint16_t code, const std::string& text, std::uint8_t flags = 0);
  TokenLine& variable(const std::string& text, std::uint8_t flags = 0) { return name(kTokVariable, text, flags); }
  TokenLine& text(std::uint16_t code, const std::string& text);
  TokenLine& string(const std::string& s) { return text(kTokString, s); }
  TokenLine& integer(std::uint16_t code, std::int32_t value);
  TokenLine& decimal(std::int32_t value) { return integer(kTokDecimal, value); }
  TokenLine& number(float value);                           // fast floating point
  TokenLine& raw(const Bytes& bytes);                       // bytes as they stand

  // The finished line: size byte, indentation + 1, tokens (padded to even).
  Bytes bytes() const;

 private:
  int m_indentation;
  Bytes m_tokens;
};

// The FFP bytes of an IEEE single (exactly representable as FFP).
Bytes ffpBytes(float value);

// A program file: the header text with its zero byte, padded to even, the
// 16-bit code length, the lines, then `trailer`.
Bytes programFile(const std::string& header, const std::vector<TokenLine>& lines, const Bytes& trailer = {});

// A program file as the AMOS editor saves it: a 16-byte signature, the 32-bit
// code length at offset 16, the lines from offset 20, then "AmBs" and no banks.
Bytes amosFile(const std::vector<TokenLine>& lines, const std::string& signature = "AMOS Basic V134 ");

// Appends `value` big-endian, in 2 or 4 bytes.
void put16(Bytes& out, std::uint32_t value);
void put32(Bytes& out, std::uint32_t value);

// Writes bytes to a file; throws std::runtime_error when that fails.
void writeFile(const std::string& path, const Bytes& bytes);

}  // namespace zarvex::testing
