// The listing's characters are ISO-8859-1, one byte each; terminals and
// files outside the program want UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace zarvex {

std::string latin1ToUtf8(std::string_view text);

}  // namespace zarvex
