#include "amal_bank.h"

#include "bank_data.h"
#include "bank_text.h"

namespace zarvex {

namespace {

constexpr std::uint8_t kLineEnd = '~';

void appendTextLines(std::string& out, std::span<const std::uint8_t> text) {
  for (const auto line : splitBankLines(text, kLineEnd)) {
    out += "  ";
    appendBankText(out, line);
    out += '\n';
  }
}

void appendSteps(std::string& out, const char* axis, std::span<const std::uint8_t> steps) {
  out += "  ";
  out += axis;
  out += ':';
  for (const std::uint8_t c : steps) {
    out += ' ';
    if (c >= 128) {
      out += 'w' + std::to_string(c - 127);
    } else {
      const int move = c <= 63 ? c : c - 128;
      out += (move >= 0 ? '+' : '-') + std::to_string(move >= 0 ? move : -move);
    }
  }
  out += '\n';
}

}  // namespace

int amalSteps(std::span<const std::uint8_t> steps) {
  int ticks = 0;
  for (const std::uint8_t c : steps) ticks += c >= 128 ? c - 127 : 1;
  return ticks;
}

AmalBank readAmalBank(const Bank& bank) {
  const BankData data(bank);
  AmalBank amal;
  const std::uint64_t programs = data.u32(0, "the AMAL bank's header is cut short");
  const std::uint32_t slots = data.u16(4, "the AMAL bank's header is cut short");
  for (std::uint32_t i = 0; i < slots; ++i) {
    const std::uint32_t offset = data.u16(6 + 2 * std::uint64_t{i}, "the movement table is cut short");
    if (offset == 0) continue;
    ++amal.slotsInUse;
    AmalMovement movement;
    movement.slot = static_cast<int>(i + 1);
    movement.name = data.bytes(6 + 4 * std::uint64_t{slots} + 8 * std::uint64_t{i}, 8, "a movement's name lies outside the bank");
    const std::uint64_t m = 4 + 2 * std::uint64_t{offset};
    movement.speed = data.u16(m, "a movement lies outside the bank");
    const std::uint32_t w = data.u16(m + 2, "a movement lies outside the bank");
    movement.x = data.until(m + 5, 0, "a movement's X steps run past the bank's end");
    movement.y = data.until(m + w + 1, 0, "a movement's Y steps run past the bank's end");
    amal.movements.push_back(movement);
  }
  const std::uint32_t highest = data.u16(programs, "the program table lies outside the bank");
  const std::uint64_t table = programs + 2;
  for (std::uint32_t p = 0; p <= highest; ++p) {
    const std::uint32_t offset = data.u16(table + 2 * std::uint64_t{p}, "the program table is cut short");
    if (offset == 0) continue;
    const std::uint64_t at = table + 2 * std::uint64_t{offset};
    const std::uint32_t length = data.u16(at, "a program lies outside the bank");
    const auto text = data.bytes(at + 2, length, "a program runs past the bank's end");
    if (length > 0) amal.programs.push_back({static_cast<int>(p), text});
  }
  const std::uint64_t environment = table + 2 * (std::uint64_t{highest} + 1);
  const std::uint32_t length = data.u16(environment, "the environment lies outside the bank");
  amal.environment = data.bytes(environment + 2, length, "the environment runs past the bank's end");
  return amal;
}

std::string amalText(const Bank& bank, const AmalBank& amal) {
  std::string out = "AMAL bank " + std::to_string(bank.number) + ": " + std::to_string(amal.slotsInUse) +
                    " movements, " + std::to_string(amal.programs.size()) + " programs\n";
  if (!amal.environment.empty()) {
    out += "Environment:\n";
    appendTextLines(out, amal.environment);
  }
  for (const AmalProgram& program : amal.programs) {
    out += "Program " + std::to_string(program.number) + ":\n";
    appendTextLines(out, program.text);
  }
  for (const AmalMovement& movement : amal.movements) {
    out += "Movement " + std::to_string(movement.slot) + " \"";
    appendQuotedBankText(out, withoutTrailingBlanks(movement.name));
    out += "\": speed " + std::to_string(movement.speed) + ", X " + std::to_string(amalSteps(movement.x)) +
           " steps, Y " + std::to_string(amalSteps(movement.y)) + " steps\n";
    appendSteps(out, "X", movement.x);
    appendSteps(out, "Y", movement.y);
  }
  return out;
}

std::string amalSummary(const Bank& bank, const AmalBank& amal) {
  return std::to_string(bank.number) + " Amal: " + std::to_string(amal.slotsInUse) + " movements, " +
         std::to_string(amal.programs.size()) + " programs, environment " +
         std::to_string(splitBankLines(amal.environment, kLineEnd).size()) + " lines";
}

}  // namespace zarvex

namespace zarvex {

void amalBankOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink) {
  std::string name = stem + ".amal.txt";
  if (!sink.wants(name)) return;
  const std::string text = amalText(bank, readAmalBank(bank));
  sink.take({std::move(name), {text.begin(), text.end()}, nullptr});
}

}  // namespace zarvex
