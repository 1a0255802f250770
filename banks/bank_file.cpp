#include "bank_file.h"

#include "file_system.h"
#include "runtime_error.h"

namespace zarvex {

BankFile::BankFile(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)), m_banks(readBanks(m_bytes)) {}

BankFile BankFile::read(const std::string& path) {
  const ReadOnlyFile file(path);
  if (file.size() > kMaxBankFileSize) throw RuntimeError(kErrBadFileFormat, path + " is too big to be a bank file");
  std::vector<std::uint8_t> bytes = file.readImage(file.size());
  bytes.pop_back();  // the image's extra zero byte
  if (bankSourceOf(bytes) == BankSource::Unknown) {
    throw RuntimeError(kErrBadFileFormat, path + " is neither an AMOS program nor a bank file");
  }
  return BankFile(std::move(bytes));
}

}  // namespace zarvex
