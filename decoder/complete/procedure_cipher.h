// The cipher of AMOS's locked procedures, both ways.
//
// A Procedure line (numbers big-endian): length in words, indentation + 1,
// the code 0376, then S (u32: the line after End Proc starts at the
// Procedure line's start + 14 + S), V (u16: the size of the procedure's local
// variables), the flags (bit 5: the body is enciphered; bit 4: the body is
// machine code) and K, the key byte. The body is every line from the one
// after the Procedure line up to and including the End Proc line; of each,
// the length, the indentation and the first code stay in clear, the words
// after them are XORed with a key stream made from S, K and V. XOR: the same
// call enciphers and deciphers.
//
// Pure: no host, no messages. Never reads or writes outside `file`.
#pragma once

#include <cstdint>
#include <span>

namespace zarvex {

// Enciphers or deciphers, in place, the body of the procedure whose
// Procedure line starts at `procedureLine` in `file` (a whole program file:
// its lines from offset 20, their length in the u32 at offset 16), and
// toggles bit 5 of its flags. Machine-code bodies are never touched.
//
// Before changing anything it checks that the body's range holds together:
// walking lines from the Procedure line reaches its start + 14 + S exactly,
// inside the program's lines, with no line of length 0, and the last line
// walked, and no line before it, starts with End Proc (0390). False, with
// `file` unchanged, when the checks fail or when there is no Procedure line
// at `procedureLine`.
bool toggleProcedureCipher(std::span<std::uint8_t> file, std::int64_t procedureLine);

}  // namespace zarvex
