#include "complete_listing_writer.h"

namespace zarvex {

namespace {

void appendHexDigits(std::string& out, std::uint32_t value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out.push_back(kHex[(value >> shift) & 15]);
}

}  // namespace

void CompleteListingWriter::unknownCode(std::uint16_t code) {
  m_afterName = false;
  m_line.applyBlank(BlankRule::Before);
  m_scratch.assign(1, '{');
  appendHexDigits(m_scratch, code, 4);
  m_scratch += '}';
  m_line.append(m_scratch, TextStyle::Unknown);
}

void CompleteListingWriter::unknownExtension(std::uint8_t slot, std::uint16_t offset) {
  m_afterName = false;
  m_line.applyBlank(BlankRule::Before);
  m_scratch = "{ext ";
  appendDecimalText(m_scratch, slot);
  m_scratch += ':';
  appendHexDigits(m_scratch, offset, 4);
  m_scratch += '}';
  m_line.append(m_scratch, TextStyle::Unknown);
}

void CompleteListingWriter::compiledBodyMarker(std::int64_t bytes) {
  m_scratch = "{compiled procedure body, ";
  appendDecimalText(m_scratch, static_cast<std::int32_t>(bytes));
  m_scratch += " bytes}";
  marker(m_scratch);
}

}  // namespace zarvex
