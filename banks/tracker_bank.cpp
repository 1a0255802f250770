#include "tracker_bank.h"

#include <algorithm>
#include <cstring>

#include "bank_data.h"
#include "bank_text.h"

namespace zarvex {

namespace {

constexpr std::uint64_t kHeader = 1084;
constexpr std::uint64_t kSignature = 1080;
constexpr std::uint64_t kPatternSize = 1024;
constexpr int kSamples = 31;

bool knownSignature(std::span<const std::uint8_t> s) {
  for (const char* known : {"M.K.", "M!K!", "FLT4", "4CHN"}) {
    if (std::memcmp(s.data(), known, 4) == 0) return true;
  }
  return false;
}

}  // namespace

TrackerModule readTrackerModule(const Bank& bank) {
  const BankData data(bank);
  if (data.size() < kHeader || !knownSignature(data.bytes(kSignature, 4, ""))) {
    data.fail(0, "not a 31-sample, 4-channel module that Zarvex can take apart");
  }
  TrackerModule module;
  module.title = withoutTrailingBlanks(upToZero(data.bytes(0, 20, "")));
  module.positions = static_cast<int>(data.u8(950, ""));
  const auto order = data.bytes(952, 128, "");
  module.patterns = 1 + *std::max_element(order.begin(), order.end());
  std::uint64_t length = kHeader + kPatternSize * static_cast<std::uint64_t>(module.patterns);
  for (int s = 0; s < kSamples; ++s) {
    const std::uint64_t record = 20 + 30 * static_cast<std::uint64_t>(s);
    TrackerSample sample;
    sample.number = s + 1;
    sample.name = upToZero(data.bytes(record, 22, ""));
    sample.length = 2 * data.u16(record + 22, "");
    length += sample.length;
    module.samples.push_back(sample);
  }
  if (length > data.size()) data.fail(data.size(), "the module is longer than the bank");
  module.bytes = data.bytes(0, length, "");
  return module;
}

std::string trackerSummary(const Bank& bank, const TrackerModule& module) {
  std::string out = std::to_string(bank.number) + " Tracker: \"";
  appendQuotedBankText(out, module.title);
  const auto samples = std::count_if(module.samples.begin(), module.samples.end(),
                                     [](const TrackerSample& sample) { return sample.length != 0; });
  out += "\", " + std::to_string(module.patterns) + " patterns, " + std::to_string(module.positions) +
         " positions, " + std::to_string(samples) + " samples, " + std::to_string(module.bytes.size()) + " bytes";
  return out;
}

}  // namespace zarvex

namespace zarvex {

void trackerBankOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink) {
  std::string name = stem + ".mod";
  if (!sink.wants(name)) return;
  const TrackerModule module = readTrackerModule(bank);
  sink.take({std::move(name), {module.bytes.begin(), module.bytes.end()}, nullptr});
}

}  // namespace zarvex
