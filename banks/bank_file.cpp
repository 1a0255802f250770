#include "bank_file.h"

#include "file_system.h"
#include "runtime_error.h"

namespace zarvex {

BankFile::BankFile(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)), m_banks(readBanks(m_bytes)) {}

BankFile BankFile::read(const std::string& path) {
  const ReadOnlyFile file(path);
  if (file.size() > kMaxBankFileSize) throw RuntimeError(kErrBadFileFormat, path + " is too big to be a bank file");
  return fromImage(path, file.readImage(file.size()));
}

BankFile BankFile::fromImage(const std::string& path, std::vector<std::uint8_t> image) {
  if (image.size() > static_cast<std::size_t>(kMaxBankFileSize) + 1) {
    throw RuntimeError(kErrBadFileFormat, path + " is too big to be a bank file");
  }
  if (!image.empty()) image.pop_back();  // the image's extra zero byte
  if (bankSourceOf(image) == BankSource::Unknown) {
    throw RuntimeError(kErrBadFileFormat, path + " is neither an AMOS program nor a bank file");
  }
  return BankFile(std::move(image));
}

}  // namespace zarvex
