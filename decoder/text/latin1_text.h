// The listing's characters are ISO-8859-1, one byte each; terminals and
// files outside the program want UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zarvex {

std::string latin1ToUtf8(std::string_view text);

// Writes `text` as UTF-8 to `out`, which has room for twice its length, in
// one pass; returns the bytes written.
std::size_t latin1ToUtf8(std::string_view text, char* out);

}  // namespace zarvex
