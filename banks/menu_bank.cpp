#include "menu_bank.h"

#include <set>

#include "bank_data.h"
#include "bank_text.h"

namespace zarvex {

namespace {

constexpr std::uint64_t kNodeSize = 70;
// AMOS menus go eight levels deep; a deeper tree is not one AMOS made, and
// its paths would grow with the square of its nodes.
constexpr std::size_t kMaxLevels = 16;

enum Flag : std::uint8_t {
  kFixed = 1 << 1,
  kSeparate = 1 << 2,
  kBar = 1 << 3,
  kInactive = 1 << 4,
  kTotal = 1 << 5,
  kMovable = 1 << 6,
  kItemMovable = 1 << 7,
};

// The commands of the menu-object language that take numbers, by code / 4.
struct Command {
  const char* name;
  int operands;
};
constexpr Command kCommands[] = {
    {nullptr, 0},  // $00 end
    {nullptr, 0},  // $04 text
    {"BA", 2}, {"LI", 2}, {"EL", 2}, {"PA", 1}, {"IN", 2}, {"BO", 1}, {"IC", 1}, {"LO", 2},
    {"OU", 1}, {"SL", 1}, {"SF", 1},
    {nullptr, 0},  // $34 procedure call
    {"RE", 1}, {"SS", 1},
};
constexpr std::uint32_t kText = 0x04;
constexpr std::uint32_t kProcedure = 0x34;

// The object at `at`, rendered as the Menu$ string that makes it.
std::string renderObject(const BankData& data, std::uint64_t at) {
  const std::uint32_t length = data.u16(at, "a menu object lies outside the bank");
  const std::uint64_t end = at + length;
  const auto need = [&](std::uint64_t from, std::uint64_t count) {
    if (from + count > end) data.fail(from, "a menu object's command runs past its end");
  };
  std::string out;
  for (std::uint64_t p = at + 2;;) {
    need(p, 2);
    const std::uint32_t code = data.u16(p, "a menu object runs past the bank's end");
    p += 2;
    if (code == 0) return out;
    if (code == kText || code == kProcedure) {
      need(p, 2);
      const std::uint32_t count = data.u16(p, "a menu object runs past the bank's end");
      const std::uint64_t padded = count + (count & 1);
      need(p + 2, padded);
      auto bytes = data.bytes(p + 2, count, "a menu object runs past the bank's end");
      if (code == kText) {
        appendQuotedBankText(out, bytes);
      } else {
        while (!bytes.empty() && bytes.back() == 0) bytes = bytes.first(bytes.size() - 1);
        out += "(PR ";
        appendQuotedBankText(out, bytes);
        out += ')';
      }
      p += 2 + padded;
      continue;
    }
    if (code % 4 != 0 || code / 4 >= std::size(kCommands) || kCommands[code / 4].name == nullptr) {
      data.fail(p - 2, "a menu object holds an unknown command");
    }
    const Command& command = kCommands[code / 4];
    need(p, 2 * std::uint64_t(command.operands));
    out += '(';
    out += command.name;
    for (int i = 0; i < command.operands; ++i) {
      out += i == 0 ? ' ' : ',';
      out += std::to_string(data.s16(p, "a menu object runs past the bank's end"));
      p += 2;
    }
    out += ')';
  }
}

MenuNode readNode(const BankData& data, std::uint64_t at) {
  const auto node = data.bytes(at, kNodeSize, "a menu node lies outside the bank");
  MenuNode out;
  out.flags = node[14];
  out.called = node[15] != 0;
  out.x = static_cast<std::int16_t>(node[16] << 8 | node[17]);
  out.y = static_cast<std::int16_t>(node[18] << 8 | node[19]);
  out.key = node[34];
  out.character = node[35];
  out.scanCode = node[36];
  out.shift = node[37];
  // Bytes 38-53 hold the background, normal, selected and inactive objects.
  const std::uint32_t background = data.u32(at + 38, "a menu node lies outside the bank");
  const std::uint32_t normal = data.u32(at + 42, "a menu node lies outside the bank");
  const std::uint32_t selected = data.u32(at + 46, "a menu node lies outside the bank");
  const std::uint32_t inactive = data.u32(at + 50, "a menu node lies outside the bank");
  const std::uint32_t objects[4] = {normal, selected, inactive, background};
  for (int i = 0; i < 4; ++i) {
    if (objects[i] == 0) continue;
    out.hasObject[i] = true;
    out.objects[i] = renderObject(data, objects[i]);
  }
  for (int i = 0; i < 6; ++i) out.inks[i] = node[64 + static_cast<std::size_t>(i)];
  return out;
}

}  // namespace

MenuBank readMenuBank(const Bank& bank) {
  const BankData data(bank);
  MenuBank menu;
  std::set<std::uint64_t> seen;
  // Depth first without recursion: a stack of the nodes still to visit with
  // their parents' paths; a node's next sibling waits below its children.
  struct Pending {
    std::uint64_t at;
    std::vector<int> parentPath;
  };
  std::vector<Pending> stack{{0, {}}};
  while (!stack.empty()) {
    Pending pending = std::move(stack.back());
    stack.pop_back();
    if (!seen.insert(pending.at).second) data.fail(pending.at, "a menu link leads back to a node already read");
    MenuNode node = readNode(data, pending.at);
    node.path = std::move(pending.parentPath);
    node.path.push_back(static_cast<int>(data.u16(pending.at + 12, "a menu node lies outside the bank")));
    (node.path.size() == 1 ? menu.titles : menu.items) += 1;
    const std::uint32_t next = data.u32(pending.at + 4, "a menu node lies outside the bank");
    const std::uint32_t below = data.u32(pending.at + 8, "a menu node lies outside the bank");
    std::vector<int> parentPath(node.path.begin(), node.path.end() - 1);
    if (next != 0) stack.push_back({next, std::move(parentPath)});
    if (below != 0) {
      if (node.path.size() >= kMaxLevels) data.fail(pending.at + 8, "the menu is nested deeper than AMOS allows");
      stack.push_back({below, node.path});
    }
    menu.nodes.push_back(std::move(node));
  }
  return menu;
}

std::string menuText(const Bank& bank, const MenuBank& menu) {
  std::string out = "Menu bank " + std::to_string(bank.number) + ": " + std::to_string(menu.titles) + " titles, " +
                    std::to_string(menu.items) + " items\n";
  for (const MenuNode& node : menu.nodes) {
    out.append(2 * (node.path.size() - 1), ' ');
    out += "Menu$(";
    for (std::size_t i = 0; i < node.path.size(); ++i) {
      if (i > 0) out += ',';
      out += std::to_string(node.path[i]);
    }
    out += ")=";
    int last = -1;
    for (int i = 0; i < 4; ++i) {
      if (node.hasObject[i]) last = i;
    }
    for (int i = 0; i <= std::max(last, 0); ++i) {
      if (i > 0) out += ',';
      out += '"' + node.objects[i] + '"';
    }
    const std::uint8_t f = node.flags;
    out += "  ' ";
    out += (f & kBar) != 0 ? "bar" : (f & kTotal) != 0 ? "tline" : "line";
    out += (f & kMovable) != 0 ? " movable" : " static";
    out += (f & kItemMovable) != 0 ? " item-movable" : " item-static";
    out += (f & kSeparate) != 0 ? " separate" : " linked";
    out += (f & kInactive) != 0 ? " inactive" : " active";
    out += node.called ? " called" : " once";
    out += " inks ";
    for (int i = 0; i < 6; ++i) out += (i > 0 ? "," : "") + std::to_string(node.inks[i]);
    if ((f & kFixed) != 0) out += " at " + std::to_string(node.x) + ',' + std::to_string(node.y);
    if (node.key == 1) {
      out += " key \"";
      appendQuotedBankText(out, std::span<const std::uint8_t>(&node.character, 1));
      out += '"';
    } else if (node.key == 0xFF) {
      out += " key scancode " + std::to_string(node.scanCode) + " shift " + std::to_string(node.shift);
    }
    out += '\n';
  }
  return out;
}

std::string menuSummary(const Bank& bank, const MenuBank& menu) {
  return std::to_string(bank.number) + " Menu: " + std::to_string(menu.titles) + " titles, " +
         std::to_string(menu.items) + " items";
}

}  // namespace zarvex

namespace zarvex {

void menuBankOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink) {
  std::string name = stem + ".menu.txt";
  if (!sink.wants(name)) return;
  const std::string text = menuText(bank, readMenuBank(bank));
  sink.take({std::move(name), {text.begin(), text.end()}, nullptr});
}

}  // namespace zarvex
