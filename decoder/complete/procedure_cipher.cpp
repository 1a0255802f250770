#include "procedure_cipher.h"

#include <algorithm>

namespace zarvex {

namespace {

constexpr std::int64_t kLinesStart = 20;
constexpr std::uint32_t kProcedure = 0x0376;
constexpr std::uint32_t kEndProc = 0x0390;
constexpr std::uint8_t kEnciphered = 0x20;
constexpr std::uint8_t kMachineCode = 0x10;

// Where the Procedure line's fields sit, from the line's start.
constexpr std::int64_t kSizeField = 4;
constexpr std::int64_t kVariablesField = 8;
constexpr std::int64_t kFlagsField = 10;
constexpr std::int64_t kKeyField = 11;
constexpr std::int64_t kFieldsEnd = 12;

// The line after End Proc starts this far past the Procedure line's start, plus S.
constexpr std::int64_t kSizeBase = 14;

std::uint8_t byteAt(std::span<const std::uint8_t> file, std::int64_t at) { return file[static_cast<std::size_t>(at)]; }

std::uint32_t u16(std::span<const std::uint8_t> file, std::int64_t at) {
  return std::uint32_t{byteAt(file, at)} << 8 | byteAt(file, at + 1);
}

std::uint32_t u32(std::span<const std::uint8_t> file, std::int64_t at) { return u16(file, at) << 16 | u16(file, at + 2); }

// The start of the line after the body's End Proc line when the body's range
// holds together, -1 when it does not. The verifier takes the first End Proc
// line after a Procedure line as the procedure's end and computes S from it,
// so that line must be the last of the range, and end exactly where S says.
// Stopping at the first End Proc also keeps the walk to one procedure's lines.
std::int64_t bodyEnd(std::span<const std::uint8_t> file, std::int64_t procedureLine, std::int64_t linesEnd) {
  const std::int64_t target = procedureLine + kSizeBase + std::int64_t{u32(file, procedureLine + kSizeField)};
  std::int64_t position = procedureLine + 2 * std::int64_t{byteAt(file, procedureLine)};
  while (position < target) {
    if (position >= linesEnd) return -1;
    const std::int64_t length = 2 * std::int64_t{byteAt(file, position)};
    if (length == 0 || position + length > linesEnd) return -1;
    const bool endProc = length >= 4 && u16(file, position + 2) == kEndProc;
    position += length;
    if (endProc) return position == target ? target : -1;
  }
  return -1;  // past the target, or no End Proc line before it
}

}  // namespace

bool toggleProcedureCipher(std::span<std::uint8_t> file, std::int64_t procedureLine) {
  const auto size = static_cast<std::int64_t>(file.size());
  if (size < kLinesStart || procedureLine < kLinesStart) return false;
  const std::int64_t linesEnd = std::min(size, kLinesStart + std::int64_t{u32(file, 16)});
  if (procedureLine + kFieldsEnd > linesEnd) return false;
  const std::int64_t lineLength = 2 * std::int64_t{byteAt(file, procedureLine)};
  if (lineLength < kFieldsEnd || procedureLine + lineLength > linesEnd) return false;
  if (u16(file, procedureLine + 2) != kProcedure) return false;
  std::uint8_t& flags = file[static_cast<std::size_t>(procedureLine + kFlagsField)];
  if ((flags & kMachineCode) != 0) return false;
  const std::int64_t end = bodyEnd(file, procedureLine, linesEnd);
  if (end < 0) return false;

  // The key stream: key = S * 256 + K (S's top byte lost), step from 1, V
  // added to the step after every word. Each line's first 4 bytes stay in
  // clear; a line with nothing after them (an empty line) takes nothing from
  // the stream. AMOS's own routine runs past the end of an empty line; doing
  // so here would make the stream depend on the bytes that follow.
  std::uint32_t key = u32(file, procedureLine + kSizeField) << 8 | byteAt(file, procedureLine + kKeyField);
  std::uint32_t step = 1;
  const std::uint32_t add = u16(file, procedureLine + kVariablesField);
  for (std::int64_t line = procedureLine + lineLength; line < end;) {
    const std::int64_t lineEnd = line + 2 * std::int64_t{byteAt(file, line)};
    for (std::int64_t word = line + 4; word + 2 <= lineEnd; word += 2) {
      file[static_cast<std::size_t>(word)] ^= static_cast<std::uint8_t>(key >> 8);
      file[static_cast<std::size_t>(word + 1)] ^= static_cast<std::uint8_t>(key);
      key = (key & 0xFFFF0000u) | ((key + step) & 0xFFFFu);
      step = (step + add) & 0xFFFFu;
      key = key >> 1 | key << 31;
    }
    line = lineEnd;
  }
  flags ^= kEnciphered;
  return true;
}

}  // namespace zarvex
