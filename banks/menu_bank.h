// Menu banks ("Menu    "), made by Menu To Bank: the tree of Menu$(...)
// definitions, node by node. A node is 70 bytes: links to the next node of
// its level and to its first child (offsets from the data start, 0: none),
// its item number, flags, a fixed position, a key, four objects (normal,
// selected, inactive, background: offsets, 0 absent) and six inks. An object
// is a u16 length (itself included) and commands of the menu-object language
// (text, then two-letter commands such as "(IN 1,2)"), up to a code 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bank_outputs.h"
#include "bank_set.h"

namespace zarvex {

struct MenuNode {
  std::vector<int> path;  // item numbers from the title down
  std::uint8_t flags = 0;
  bool called = false;
  int x = 0, y = 0;
  std::uint8_t key = 0, character = 0, scanCode = 0, shift = 0;
  std::string objects[4];   // normal, selected, inactive, background, rendered as text
  bool hasObject[4] = {};
  std::uint8_t inks[6] = {};
};

struct MenuBank {
  int titles = 0;
  int items = 0;
  std::vector<MenuNode> nodes;  // depth first: a node, its sub-menu, then the next of its level
};

// Throws BankDamage when a node or object lies outside the data, a link
// leads to a node already seen, or an object holds an unknown command.
MenuBank readMenuBank(const Bank& bank);

// One line a node: "Menu$(1,2)="..."  ' attributes", indented by level.
std::string menuText(const Bank& bank, const MenuBank& menu);

// "B Menu: T titles, I items".
std::string menuSummary(const Bank& bank, const MenuBank& menu);

// The outputs after the bank's own bytes, named from `stem` ("NAME.bankNN").
void menuBankOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink);

}  // namespace zarvex
