// Reading a program or bank file for its banks: the one way both front ends
// open a file whose banks they list, show or extract.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "bank_set.h"

namespace zarvex {

class BankFile {
 public:
  // Reads the file at `path` whole. Throws RuntimeError, its description a
  // sentence naming the file: missing or unreadable, larger than any bank
  // file (kMaxBankFileSize), or neither a program nor a bank file.
  static BankFile read(const std::string& path);
  // The same from the file's image, already read (its bytes and one zero
  // byte after them), with the same checks and messages.
  static BankFile fromImage(const std::string& path, std::vector<std::uint8_t> image);
  // The banks of bytes already in memory.
  explicit BankFile(std::vector<std::uint8_t> bytes);

  BankFile(BankFile&&) = default;
  BankFile& operator=(BankFile&&) = default;

  std::span<const std::uint8_t> bytes() const { return m_bytes; }
  const BankSet& banks() const { return m_banks; }

 private:
  std::vector<std::uint8_t> m_bytes;
  BankSet m_banks;  // refers to m_bytes, whose storage moves with it
};

}  // namespace zarvex
