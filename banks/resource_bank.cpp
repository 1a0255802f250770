#include "resource_bank.h"

#include "bank_data.h"
#include "bank_text.h"

namespace zarvex {

namespace {

constexpr std::uint32_t kChunks = 3;  // graphics, messages, programs
constexpr std::uint32_t kMessagesEnd = 0xFF;
constexpr std::size_t kNameLength = 16;

void readImageTable(const BankData& data, std::uint64_t g, ResourceBank& out) {
  const std::uint32_t count = data.u16(g, "the image table lies outside the bank");
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t offset = data.u32(g + 2 + 4 * std::uint64_t{i}, "the image table is cut short");
    if (offset != 0) out.images.push_back({static_cast<int>(i + 1), static_cast<std::size_t>(20 + g + offset)});
  }
  out.coloursAt = g + 2 + 4 * std::uint64_t{count};
}

}  // namespace

void readResourceColours(const Bank& bank, ResourceBank& out) {
  if (out.images.empty()) return;
  const BankData data(bank);
  out.colours.displayMode = static_cast<std::uint16_t>(data.u16(out.coloursAt + 2, "the image palette is cut short"));
  out.colours.palette = readPalette(data.bytes(out.coloursAt + 4, 64, "the image palette is cut short").data());
}

void readResourceMessages(const Bank& bank, ResourceBank& out) {
  if (out.chunks[1] == 0) return;
  const BankData data(bank);
  for (std::uint64_t at = out.chunks[1];;) {
    const std::uint32_t length = data.u8(at + 1, "the message list runs past the bank's end");
    if (length == kMessagesEnd) return;
    out.messages.push_back(data.bytes(at + 2, length, "a message runs past the bank's end"));
    at += 2 + std::uint64_t{length};
  }
}

void readResourcePrograms(const Bank& bank, ResourceBank& out) {
  const std::uint64_t r = out.chunks[2];
  if (r == 0) return;
  const BankData data(bank);
  const std::uint32_t count = data.u16(r, "the program table lies outside the bank");
  for (std::uint32_t j = 0; j < count; ++j) {
    const std::uint32_t offset = data.u32(r + 2 + 4 * std::uint64_t{j}, "the program table is cut short");
    if (offset == 0) continue;
    const std::uint64_t a = r + offset;
    ResourceProgram program;
    program.number = static_cast<int>(j + 1);
    const std::uint32_t length = data.u16(a, "a program lies outside the bank");
    // The text ends at its first 0 byte or after L bytes: whichever comes
    // first must be inside the bank.
    std::uint64_t end = a + 2;
    while (end < a + 2 + length && data.u8(end, "a program runs past the bank's end") != 0) ++end;
    program.text = data.bytes(a + 2, end - (a + 2), "a program runs past the bank's end");
    if (a >= r + 20) {
      const auto mark = data.bytes(a - 4, 4, "a program's name lies outside the bank");
      if (mark[0] == 'J' && mark[1] == 'B' && mark[2] == 'B' && mark[3] == '.') {
        program.name = data.bytes(a - 20, kNameLength, "a program's name lies outside the bank");
      }
    }
    out.programs.push_back(program);
  }
}

ResourceBank readResourceTables(const Bank& bank) {
  const BankData data(bank);
  ResourceBank out;
  const std::uint32_t chunks = data.u16(0, "the chunk table is cut short");
  for (std::uint32_t k = 0; k < chunks && k < kChunks; ++k) {
    out.chunks[k] = data.u32(2 + 4 * std::uint64_t{k}, "the chunk table is cut short");
  }
  if (out.chunks[0] != 0) readImageTable(data, out.chunks[0], out);
  return out;
}

ResourceBank readResourceBank(const Bank& bank) {
  ResourceBank out = readResourceTables(bank);
  readResourceColours(bank, out);
  readResourceMessages(bank, out);
  readResourcePrograms(bank, out);
  return out;
}

BankPicture resourcePicture(const Bank& bank, const ResourceBank& resources, const ResourceImage& image) {
  return unpackPictureAt(bank, image.offset, resources.colours).picture;
}

std::string resourceMessagesText(const ResourceBank& resources) {
  std::string out;
  for (std::size_t i = 0; i < resources.messages.size(); ++i) {
    out += std::to_string(i + 1) + ':';
    if (!resources.messages[i].empty()) {
      out += ' ';
      appendBankText(out, resources.messages[i]);
    }
    out += '\n';
  }
  return out;
}

std::string resourceProgramsText(const ResourceBank& resources) {
  std::string out;
  for (const ResourceProgram& program : resources.programs) {
    out += "Program " + std::to_string(program.number);
    if (program.name) {
      out += " \"";
      appendQuotedBankText(out, withoutTrailingBlanks(*program.name));
      out += '"';
    }
    out += ": " + std::to_string(program.text.size()) + " bytes\n";
    for (const auto line : splitBankLines(program.text, '\n')) {
      out += "  ";
      appendBankText(out, line);
      out += '\n';
    }
  }
  return out;
}

std::string resourceSummary(const Bank& bank, const ResourceBank& resources) {
  return std::to_string(bank.number) + " Resource: " + std::to_string(resources.images.size()) + " images, " +
         std::to_string(resources.messages.size()) + " messages, " + std::to_string(resources.programs.size()) +
         " programs";
}

}  // namespace zarvex

namespace zarvex {

void resourceBankOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink) {
  ResourceBank resources = readResourceTables(bank);
  readResourceColours(bank, resources);
  for (const ResourceImage& image : resources.images) {
    std::string name = numberedOutputName(stem, "resource", image.number, "png");
    if (!sink.wants(name)) continue;
    const BankPicture picture = resourcePicture(bank, resources, image);
    sink.take({std::move(name), {}, &picture});
  }
  readResourceMessages(bank, resources);
  if (!resources.messages.empty()) {
    std::string name = stem + ".messages.txt";
    const std::string text = resourceMessagesText(resources);
    if (sink.wants(name)) sink.take({std::move(name), {text.begin(), text.end()}, nullptr});
  }
  readResourcePrograms(bank, resources);
  if (!resources.programs.empty()) {
    std::string name = stem + ".programs.txt";
    const std::string text = resourceProgramsText(resources);
    if (sink.wants(name)) sink.take({std::move(name), {text.begin(), text.end()}, nullptr});
  }
}

}  // namespace zarvex
