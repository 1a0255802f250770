// The texts the AMOS editor writes for number constants when it lists a
// program: single floats printed with its own fast-floating-point arithmetic
// (so its rounding shows in the last digit), doubles, and binary constants.
// All are locale-free.
#pragma once

#include <cstdint>
#include <string>

namespace zarvex {

// A single float (FFP bits, see ffp_arithmetic.h): "1.0", "0.5", "3.14159",
// "1E+07", "9.22337 E+18", "1E-04", "-1.0". Every bit pattern has a text.
void appendEditorFloatText(std::string& out, std::uint32_t ffpBits);

// An IEEE double (its 64 bits): 15 significant digits, "e+NNN" forms ending
// in ".0" as the editor writes them ("1e+100.0"); an all-ones exponent field
// lists as 15 "+" (or "-" when the sign is set).
void appendEditorDoubleText(std::string& out, std::uint64_t bits);

// "%" and the binary digits without leading zeros ("%0" for zero).
void appendBinaryText(std::string& out, std::uint32_t value);

// The fixed notation of an FFP value with `decimals` decimals, as the
// editor's printer builds it before it chooses a form (exposed for tests).
std::string editorFixedDigits(std::uint32_t ffpBits, int decimals);

}  // namespace zarvex
