#include "amos_program_builder.h"

#include <bit>
#include <fstream>
#include <stdexcept>

namespace zarvex::testing {

void put16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

void put32(Bytes& out, std::uint32_t value) {
  put16(out, value >> 16);
  put16(out, value & 0xFFFF);
}

namespace {

void putPaddedText(Bytes& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  if (text.size() % 2 != 0) out.push_back(0);
}

}  // namespace

TokenLine& TokenLine::token(std::uint16_t code) {
  put16(m_tokens, code);
  return *this;
}

TokenLine& TokenLine::token(std::uint16_t code, const Bytes& payload) {
  put16(m_tokens, code);
  return raw(payload);
}

TokenLine& TokenLine::name(std::uint16_t code, const std::string& text, std::uint8_t flags) {
  put16(m_tokens, code);
  put16(m_tokens, 0);
  m_tokens.push_back(static_cast<std::uint8_t>(text.size()));
  m_tokens.push_back(flags);
  putPaddedText(m_tokens, text);
  return *this;
}

TokenLine& TokenLine::text(std::uint16_t code, const std::string& text) {
  put16(m_tokens, code);
  m_tokens.push_back(0);
  m_tokens.push_back(static_cast<std::uint8_t>(text.size()));
  putPaddedText(m_tokens, text);
  return *this;
}

TokenLine& TokenLine::integer(std::uint16_t code, std::int32_t value) {
  put16(m_tokens, code);
  put32(m_tokens, static_cast<std::uint32_t>(value));
  return *this;
}

TokenLine& TokenLine::number(float value) { return token(kTokFloat, ffpBytes(value)); }

TokenLine& TokenLine::raw(const Bytes& bytes) {
  m_tokens.insert(m_tokens.end(), bytes.begin(), bytes.end());
  return *this;
}

Bytes TokenLine::bytes() const {
  Bytes line;
  const std::size_t size = 2 + m_tokens.size() + m_tokens.size() % 2;
  if (size > 510) throw std::length_error("a program line holds at most 510 bytes");
  line.push_back(static_cast<std::uint8_t>(size / 2));
  line.push_back(static_cast<std::uint8_t>(m_indentation + 1));
  line.insert(line.end(), m_tokens.begin(), m_tokens.end());
  if (line.size() < size) line.push_back(0);
  return line;
}

Bytes ffpBytes(float value) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  if ((bits & 0x7FFFFFFF) == 0) return {0, 0, 0, 0};
  const std::uint32_t sign = bits >> 31;
  const std::uint32_t exponent = ((bits >> 23) & 0xFF) - 62;
  if (exponent > 0x7F) throw std::range_error("value outside the fast floating point range");
  const std::uint32_t mantissa = 0x800000 | (bits & 0x7FFFFF);
  return {static_cast<std::uint8_t>(mantissa >> 16), static_cast<std::uint8_t>(mantissa >> 8),
          static_cast<std::uint8_t>(mantissa), static_cast<std::uint8_t>(sign << 7 | exponent)};
}

namespace {
Bytes linesOf(const std::vector<TokenLine>& lines) {
  Bytes code;
  for (const auto& line : lines) {
    const Bytes bytes = line.bytes();
    code.insert(code.end(), bytes.begin(), bytes.end());
  }
  return code;
}
}  // namespace

Bytes programFile(const std::string& header, const std::vector<TokenLine>& lines, const Bytes& trailer) {
  Bytes file(header.begin(), header.end());
  file.push_back(0);
  if (file.size() % 2 != 0) file.push_back(0);
  const Bytes code = linesOf(lines);
  if (code.size() > 0xFFFF) throw std::length_error("a 16-bit code length holds at most 65535");
  put16(file, static_cast<std::uint32_t>(code.size()));
  file.insert(file.end(), code.begin(), code.end());
  file.insert(file.end(), trailer.begin(), trailer.end());
  return file;
}

Bytes amosFile(const std::vector<TokenLine>& lines, const std::string& signature) {
  Bytes file(signature.begin(), signature.end());
  file.resize(16, ' ');
  const Bytes code = linesOf(lines);
  put32(file, static_cast<std::uint32_t>(code.size()));
  file.insert(file.end(), code.begin(), code.end());
  const std::string banks = "AmBs";
  file.insert(file.end(), banks.begin(), banks.end());
  put16(file, 0);
  return file;
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace zarvex::testing
