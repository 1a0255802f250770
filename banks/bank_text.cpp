#include "bank_text.h"

#include <algorithm>

namespace zarvex {

namespace {

void appendCharacter(std::string& out, std::uint8_t byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  if (byte == '\t' || (byte >= 32 && byte < 127)) {
    out.push_back(static_cast<char>(byte));
  } else if (byte < 32 || byte == 127) {
    out += "\\x";
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 15]);
  } else {
    out.push_back(static_cast<char>(0xC0 | byte >> 6));
    out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
  }
}

}  // namespace

void appendBankText(std::string& out, std::span<const std::uint8_t> bytes) {
  for (const std::uint8_t byte : bytes) appendCharacter(out, byte);
}

void appendQuotedBankText(std::string& out, std::span<const std::uint8_t> bytes) {
  for (const std::uint8_t byte : bytes) {
    if (byte == '"') out.push_back('"');
    appendCharacter(out, byte);
  }
}

std::vector<std::span<const std::uint8_t>> splitBankLines(std::span<const std::uint8_t> bytes, std::uint8_t separator) {
  std::vector<std::span<const std::uint8_t>> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != separator) continue;
    lines.push_back(bytes.subspan(start, i - start));
    start = i + 1;
  }
  if (start < bytes.size()) lines.push_back(bytes.subspan(start));
  return lines;
}

std::span<const std::uint8_t> withoutTrailingBlanks(std::span<const std::uint8_t> bytes) {
  std::size_t size = bytes.size();
  while (size > 0 && bytes[size - 1] == ' ') --size;
  return bytes.first(size);
}

std::span<const std::uint8_t> upToZero(std::span<const std::uint8_t> bytes) {
  return bytes.first(static_cast<std::size_t>(std::find(bytes.begin(), bytes.end(), 0) - bytes.begin()));
}

}  // namespace zarvex
