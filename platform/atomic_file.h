// Writing a file whole or not at all: the bytes go to a new file beside the
// target, which then replaces the target in one step. A failure leaves no
// half-written file, and an existing file as it was.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zarvex {

// Writes `bytes` to `path`. Throws RuntimeError (75, naming the file and the
// reason) when the folder cannot take a new file, the disk is full, or the
// file cannot be replaced.
void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace zarvex
