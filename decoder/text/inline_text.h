// A short text kept inside the table row that holds it. A table whose rows
// point at their texts needs every pointer relocated, and its pages copied,
// each time the program starts; rows that hold their texts stay read-only
// and untouched until used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zarvex {

template <std::size_t Capacity>
class InlineText {
  static_assert(Capacity < 256, "the length is kept in one byte");

 public:
  // From a string literal; a text longer than Capacity does not compile.
  template <std::size_t Size>
  constexpr InlineText(const char (&text)[Size]) : m_length(static_cast<std::uint8_t>(Size - 1)) {
    static_assert(Size - 1 <= Capacity, "the text is longer than its row holds");
    for (std::size_t i = 0; i + 1 < Size; ++i) m_chars[i] = text[i];
  }

  constexpr operator std::string_view() const { return {m_chars, m_length}; }

  // All Capacity bytes of the row's storage, the text first and zeros after
  // it: readable as a whole, for copies of a fixed size.
  constexpr const char* storage() const { return m_chars; }
  constexpr std::string_view view() const { return *this; }

  friend constexpr bool operator==(const InlineText& a, std::string_view b) { return a.view() == b; }

 private:
  char m_chars[Capacity]{};
  std::uint8_t m_length;
};

}  // namespace zarvex
