// Text made of bank bytes, for the text files and views of AMAL, resource and
// menu banks. One rule turns bytes into characters: a TAB stays a TAB,
// bytes 0-8, 10-31 and 127 are written "\xHH" (upper-case hex), every other
// byte is the ISO-8859-1 character of the same number, written as UTF-8.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zarvex {

// Appends `bytes` by the rule above.
void appendBankText(std::string& out, std::span<const std::uint8_t> bytes);

// The same with every '"' written twice, for a text between double quotes.
void appendQuotedBankText(std::string& out, std::span<const std::uint8_t> bytes);

// `bytes` split at every `separator`; a final separator ends the last line
// rather than starting an empty one, and no bytes make no lines.
std::vector<std::span<const std::uint8_t>> splitBankLines(std::span<const std::uint8_t> bytes, std::uint8_t separator);

// `bytes` without the blanks at their end.
std::span<const std::uint8_t> withoutTrailingBlanks(std::span<const std::uint8_t> bytes);

// `bytes` up to (not including) their first zero byte.
std::span<const std::uint8_t> upToZero(std::span<const std::uint8_t> bytes);

}  // namespace zarvex
