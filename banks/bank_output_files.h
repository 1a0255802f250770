// A bank's outputs as the bytes of their files: what zarvex-list writes and
// the bank viewer's Save... writes, the same bytes from both. Pictures
// become opaque PNG files (libpng), with their palette where they have one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bank_outputs.h"

namespace zarvex {

// The file an output makes. Throws std::runtime_error when libpng fails.
std::vector<std::uint8_t> bankOutputFile(const BankOutput& output);

// The file of `bank`'s output named `name`, made alone; nothing when the
// bank has no such output. Throws BankDamage, and std::runtime_error when
// libpng fails.
std::optional<std::vector<std::uint8_t>> bankOutputFile(const std::string& fileName, const Bank& bank,
                                                        const std::string& name);

}  // namespace zarvex
