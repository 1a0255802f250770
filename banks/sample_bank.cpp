#include "sample_bank.h"

#include "big_endian.h"

namespace zarvex {

namespace {

constexpr std::size_t kDataStart = 20;

[[noreturn]] void fail(std::size_t offset, std::size_t size, const char* what) {
  throw BankDamage{static_cast<std::int64_t>(std::min(offset, size)), what};
}

void putLittle(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<Sample> readSamples(const Bank& bank) {
  const std::span<const std::uint8_t> b = bank.bytes;
  const auto need = [&](std::size_t offset, std::uint64_t count, const char* what) {
    if (offset > b.size() || count > b.size() - offset) fail(offset, b.size(), what);
  };
  need(kDataStart, 2, "the sample table is cut short");
  const std::uint32_t count = u16At(b.data() + kDataStart);
  need(kDataStart + 2, std::uint64_t{count} * 4, "the sample table is cut short");
  std::vector<Sample> samples;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = kDataStart + u32At(b.data() + kDataStart + 2 + 4 * i);
    need(at, 14, "a sample's header lies outside the bank");
    Sample sample;
    sample.slot = static_cast<int>(i + 1);
    for (std::size_t c = 0; c < 8 && b[at + c] >= 32; ++c) sample.name.push_back(static_cast<char>(b[at + c]));
    while (!sample.name.empty() && sample.name.back() == ' ') sample.name.pop_back();
    sample.rate = u16At(b.data() + at + 8);
    const std::uint32_t length = u32At(b.data() + at + 10);
    need(at + 14, length, "a sample's sound runs past the bank's end");
    sample.sound = b.subspan(at + 14, length);
    samples.push_back(std::move(sample));
  }
  return samples;
}

std::vector<std::uint8_t> wavFile(const Sample& sample) {
  std::vector<std::uint8_t> out;
  const auto size = static_cast<std::uint32_t>(sample.sound.size());
  out.reserve(44 + size + 1);
  const auto tag = [&](const char* text) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(text[i]));
  };
  tag("RIFF");
  putLittle(out, 36 + size + (size & 1), 4);
  tag("WAVE");
  tag("fmt ");
  putLittle(out, 16, 4);
  putLittle(out, 1, 2);             // PCM
  putLittle(out, 1, 2);             // mono
  putLittle(out, sample.rate, 4);   // samples a second
  putLittle(out, sample.rate, 4);   // bytes a second
  putLittle(out, 1, 2);             // bytes a frame
  putLittle(out, 8, 2);             // bits a sample
  tag("data");
  putLittle(out, size, 4);
  for (std::uint8_t s : sample.sound) out.push_back(static_cast<std::uint8_t>(s ^ 0x80));
  if ((size & 1) != 0) out.push_back(0);  // chunks are padded to an even size
  return out;
}

}  // namespace zarvex

namespace zarvex {

void sampleBankOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink) {
  for (const Sample& sample : readSamples(bank)) {
    std::string name = numberedOutputName(stem, "sample", sample.slot, "wav");
    if (sink.wants(name)) sink.take({std::move(name), wavFile(sample), nullptr});
  }
}

}  // namespace zarvex
