#include "bank_outputs.h"

#include <cstdio>

#include "bank_kinds.h"

namespace zarvex {

std::string numberedOutputName(const std::string& stem, const char* kind, int number, const char* extension) {
  char text[48];
  std::snprintf(text, sizeof text, ".%s%03d.%s", kind, number, extension);
  return stem + text;
}

std::string bankFileStem(const std::string& fileName, const Bank& bank) {
  char number[8];
  std::snprintf(number, sizeof number, "%02X", static_cast<unsigned>(bank.number));
  return fileName + ".bank" + number;
}

void forEachBankOutput(const std::string& fileName, const Bank& bank, BankOutputSink& sink) {
  const std::string stem = bankFileStem(fileName, bank);
  std::string name = stem + ".abk";
  if (sink.wants(name)) sink.take({std::move(name), {bank.bytes.begin(), bank.bytes.end()}, nullptr});
  if (const auto outputs = rulesOf(bank.kind).outputs) outputs(stem, bank, sink);
}

void forEachBankOutput(const std::string& fileName, const Bank& bank, const std::function<void(const BankOutput&)>& take) {
  struct Everything : BankOutputSink {
    explicit Everything(const std::function<void(const BankOutput&)>& take) : m_take(take) {}
    bool wants(const std::string&) const override { return true; }
    void take(const BankOutput& output) override { m_take(output); }
    const std::function<void(const BankOutput&)>& m_take;
  } sink(take);
  forEachBankOutput(fileName, bank, sink);
}

}  // namespace zarvex
