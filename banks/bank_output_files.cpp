#include "bank_output_files.h"

#include "png_encoder.h"

namespace zarvex {

std::vector<std::uint8_t> bankOutputFile(const BankOutput& output) {
  return output.picture != nullptr ? encodePng(*output.picture) : output.bytes;
}

std::optional<std::vector<std::uint8_t>> bankOutputFile(const std::string& fileName, const Bank& bank,
                                                        const std::string& name) {
  struct One : BankOutputSink {
    explicit One(const std::string& name) : m_name(name) {}
    bool wants(const std::string& name) const override { return !m_file && name == m_name; }
    void take(const BankOutput& output) override { m_file = bankOutputFile(output); }
    const std::string& m_name;
    std::optional<std::vector<std::uint8_t>> m_file;
  } sink(name);
  try {
    forEachBankOutput(fileName, bank, sink);
  } catch (const BankDamage&) {
    if (!sink.m_file) throw;  // damage after the output wanted does not touch it
  }
  return std::move(sink.m_file);
}

}  // namespace zarvex
