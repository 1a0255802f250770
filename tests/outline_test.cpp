// The outline: procedures and labels of real programs on the very lines of
// their expected listings in both styles, hand-built programs with compiled,
// enciphered and locked bodies, damaged and cut files, and a program of
// 10,000 procedures.
#include "outline.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <sstream>

#include "amos_loader.h"
#include "amos_program_builder.h"
#include "complete_walk.h"
#include "corpus.h"
#include "latin1_text.h"
#include "procedure_cipher.h"
#include "recording_host.h"

namespace zarvex {

void PrintTo(const OutlineEntry& entry, std::ostream* out) {
  *out << (entry.kind == OutlineEntry::Kind::Procedure ? "Procedure " : "Label ") << entry.name << " on line "
       << entry.line;
}

namespace {

using testing::amosFile;
using testing::Bytes;
using testing::TokenLine;
using Kind = OutlineEntry::Kind;

enum : std::uint16_t {
  kComma = 0x005C,
  kOpenParameters = 0x0084,
  kCloseParameters = 0x008C,
  kProcedure = 0x0376,
  kEndProc = 0x0390,
  kPrint = 0x0476,
  kMachineCode = 0x258C,
};

Bytes fileBytes(const std::string& bytes) { return {bytes.begin(), bytes.end()}; }

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string withoutIndentation(const std::string& line) {
  const auto first = line.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : line.substr(first);
}

// The expected listing of a corpus program in `style`, one string per line,
// ISO-8859-1 for the complete listing and UTF-8 for the classic one.
std::vector<std::string> expectedLines(const std::string& program, ListingStyle style) {
  const auto path = testing::corpusFolder() / "expected" / (program + (style == ListingStyle::Complete ? ".asc" : ".txt"));
  return linesOf(testing::readBytes(path));
}

// The classic listing of `file` by the classic decoder, one string per line,
// ISO-8859-1.
std::vector<std::string> classicListing(const Bytes& file) {
  ListingState state;
  state.FileBytes = file;
  state.FileBytes.push_back(0);
  state.FileLength = static_cast<std::int32_t>(file.size());
  testing::RecordingHost host;
  DecodeFileImage(state, host);
  return linesOf(state.PlainListing);
}

// True when the listing line `line` (from 1) holds `entry`: a Procedure line
// with its name and parameters, or a line that starts with the label. The
// expected classic listings are UTF-8.
::testing::AssertionResult holds(const std::vector<std::string>& listing, const OutlineEntry& entry, ListingStyle style,
                                 bool utf8 = false) {
  if (entry.line < 1 || static_cast<std::size_t>(entry.line) > listing.size()) {
    return ::testing::AssertionFailure() << entry.name << " on line " << entry.line << " of " << listing.size();
  }
  std::string name = utf8 ? latin1ToUtf8(entry.name) : entry.name;
  const std::string text = withoutIndentation(listing[static_cast<std::size_t>(entry.line - 1)]);
  if (entry.kind == Kind::Procedure) {
    const std::string wanted = "Procedure " + name;
    if (text == wanted || text == wanted + " ") return ::testing::AssertionSuccess();
  } else {
    // The classic listing writes a colon after line number labels too, and
    // what follows a label straight after it.
    if (style == ListingStyle::Classic && !name.ends_with(':')) name += ':';
    const bool ends = style == ListingStyle::Classic || text.size() == name.size() || text[name.size()] == ' ';
    if (text.starts_with(name) && ends) {
      return ::testing::AssertionSuccess();
    }
  }
  return ::testing::AssertionFailure() << entry.name << " is not on line " << entry.line << ": \"" << text << "\"";
}

std::vector<OutlineEntry> outlineOf(const Bytes& file, ListingStyle style) { return buildOutline(file, style); }

std::vector<std::string> namesOf(const std::vector<OutlineEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.name);
  return names;
}

TEST(Outline, DiscManagerListsItsProceduresWithParametersAndItsLabelsOnTheirLines) {
  SKIP_WITHOUT_CORPUS();
  const std::string program = "Accessories/Disc_Manager.AMOS";
  const Bytes file = fileBytes(testing::readBytes(testing::corpusFolder() / program));
  for (const ListingStyle style : {ListingStyle::Classic, ListingStyle::Complete}) {
    SCOPED_TRACE(std::string(styleName(style)));
    const auto entries = outlineOf(file, style);
    std::vector<OutlineEntry> procedures;
    for (const auto& entry : entries) {
      if (entry.kind == Kind::Procedure) procedures.push_back(entry);
    }
    // Read off the listings by hand: 51 Procedure lines, the first and the
    // last (the machine-code one, whose body the classic listing walks as
    // lines after it) on the same line in both.
    ASSERT_EQ(procedures.size(), 51u);
    EXPECT_EQ(procedures.front(), (OutlineEntry{Kind::Procedure, "_NEW_DIR[D]", 1005}));
    EXPECT_EQ(procedures[11], (OutlineEntry{Kind::Procedure, "_ALERT[A$,N]", 1132}));
    EXPECT_EQ(procedures[12], (OutlineEntry{Kind::Procedure, "_INIT_WORK", 1138}));
    EXPECT_EQ(procedures.back(), (OutlineEntry{Kind::Procedure, "_CRUNCHIT[A,B,C,D]", 1677}));
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.front(), (OutlineEntry{Kind::Label, "_DIA0:", 79}));
    const auto lines = expectedLines(program, style);
    for (const auto& entry : entries) EXPECT_TRUE(holds(lines, entry, style, style == ListingStyle::Classic));
  }
}

TEST(Outline, ProceduresAndLabelsOfTheTutorials) {
  SKIP_WITHOUT_CORPUS();
  // Procedures_1: procedures without parameters, whose names the comments
  // above them also mention, holding line number labels; Help_3: labels only.
  const Bytes procedures = fileBytes(testing::readBytes(testing::corpusFolder() / "Tutorial/Tutorials/Procedures_1.AMOS"));
  const auto entries = outlineOf(procedures, ListingStyle::Complete);
  ASSERT_GE(entries.size(), 12u);
  EXPECT_EQ(entries[0], (OutlineEntry{Kind::Procedure, "BEGINING", 128}));
  EXPECT_EQ(entries[1], (OutlineEntry{Kind::Label, "1", 134}));
  EXPECT_EQ(entries[10], (OutlineEntry{Kind::Label, "10", 143}));
  EXPECT_EQ(entries[11], (OutlineEntry{Kind::Procedure, "MIDDLE", 146}));
  const Bytes labels = fileBytes(testing::readBytes(testing::corpusFolder() / "Examples/Examples/H-0/Help_3.AMOS"));
  const auto help3 = outlineOf(labels, ListingStyle::Classic);
  ASSERT_GE(help3.size(), 2u);
  EXPECT_EQ(help3[0], (OutlineEntry{Kind::Label, "BEGIN:", 91}));
  EXPECT_EQ(help3[1], (OutlineEntry{Kind::Label, "LABEL1:", 106}));
}

TEST(Outline, EveryEntryOfEveryCorpusProgramSitsOnItsLineInBothListings) {
  SKIP_WITHOUT_CORPUS();
  std::size_t procedures = 0;
  std::size_t labels = 0;
  for (const std::string& program : testing::corpusPrograms()) {
    SCOPED_TRACE(program);
    const Bytes file = fileBytes(testing::readBytes(testing::corpusFolder() / program));
    const auto classic = outlineOf(file, ListingStyle::Classic);
    const auto complete = outlineOf(file, ListingStyle::Complete);
    ASSERT_EQ(namesOf(classic), namesOf(complete));
    const auto classicLines = expectedLines(program, ListingStyle::Classic);
    const auto completeLines = expectedLines(program, ListingStyle::Complete);
    for (const auto& entry : classic) EXPECT_TRUE(holds(classicLines, entry, ListingStyle::Classic, true));
    for (const auto& entry : complete) {
      EXPECT_TRUE(holds(completeLines, entry, ListingStyle::Complete));
      (entry.kind == Kind::Procedure ? procedures : labels) += 1;
    }
  }
  // Every Procedure line of the corpus, and labels enough to mean something.
  EXPECT_EQ(procedures, 176u);
  EXPECT_GT(labels, 100u);
}

// Every listing line of both styles has its origin, and where the two
// listings read the same program lines, the lines of each style come from the
// same offsets in the same order.
TEST(Outline, EveryListingLineKnowsTheProgramLineItComesFrom) {
  SKIP_WITHOUT_CORPUS();
  std::size_t differing = 0;
  for (const std::string& program : testing::corpusPrograms()) {
    SCOPED_TRACE(program);
    const Bytes file = fileBytes(testing::readBytes(testing::corpusFolder() / program));
    const auto classic = listingLineOrigins(file, ListingStyle::Classic);
    const auto complete = listingLineOrigins(file, ListingStyle::Complete);
    EXPECT_EQ(classic.size(), classicListing(file).size());
    EXPECT_EQ(complete.size(), linesOf(WalkCompleteListing(file).text).size());
    EXPECT_TRUE(std::is_sorted(complete.begin(), complete.end()));
    EXPECT_TRUE(std::is_sorted(classic.begin(), classic.end()));
    if (classic != complete) ++differing;
  }
  // The programs whose classic listing loses the lines at an unknown token.
  EXPECT_EQ(differing, 3u);
  EXPECT_TRUE(listingLineOrigins(Bytes{'x', 'y'}, ListingStyle::Classic).empty());
}

TEST(Outline, EncipheredProceduresGiveTheOutlineOfThePlainProgram) {
  SKIP_WITHOUT_LOCKED_PROGRAMS();
  SKIP_WITHOUT_CORPUS();
  for (const std::string program :
       {"Tutorial/Tutorials/Menus/Menus_9.AMOS", "Compiler/Tiny_Shell.AMOS", "Accessories/Disc_Manager.AMOS"}) {
    SCOPED_TRACE(program);
    const std::string leaf = std::filesystem::path(program).filename().string();
    const Bytes locked = fileBytes(testing::readBytes(testing::lockedFolder() / leaf));
    const Bytes plain = fileBytes(testing::readBytes(testing::corpusFolder() / program));
    const auto entries = outlineOf(locked, ListingStyle::Complete);
    EXPECT_EQ(entries, outlineOf(plain, ListingStyle::Complete));
    const auto listing = linesOf(testing::readBytes(testing::lockedFolder() / "expected" / (leaf + ".asc")));
    for (const auto& entry : entries) EXPECT_TRUE(holds(listing, entry, ListingStyle::Complete));
    // The classic listing walks the bodies enciphered: the same entries, on
    // lines in order wherever it reaches them.
    const auto classic = outlineOf(locked, ListingStyle::Classic);
    EXPECT_EQ(namesOf(classic), namesOf(entries));
    std::int32_t previous = 0;
    for (const auto& entry : classic) {
      if (entry.line == 0) continue;
      EXPECT_GE(entry.line, previous);
      previous = entry.line;
    }
  }
}

// Procedure NAME[parameters] with the given flags, body lines, End Proc.
std::vector<TokenLine> procedureLines(const std::string& name, const std::vector<std::string>& parameters,
                                      std::uint8_t flags, const std::vector<TokenLine>& body) {
  const auto line = [&](std::uint32_t distance) {
    Bytes payload;
    testing::put32(payload, distance);
    for (std::uint8_t b : {std::uint8_t{0}, std::uint8_t{0}, flags, std::uint8_t{0}}) payload.push_back(b);
    TokenLine procedure = TokenLine(0).token(kProcedure, payload).variable(name);
    if (!parameters.empty()) {
      procedure.token(kOpenParameters);
      for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (i > 0) procedure.token(kComma);
        const bool text = parameters[i].ends_with('$');
        procedure.variable(text ? parameters[i].substr(0, parameters[i].size() - 1) : parameters[i], text ? 2 : 0);
      }
      procedure.token(kCloseParameters);
    }
    return procedure.token(0);
  };
  // The End Proc line starts at the Procedure line's start + 8 + distance.
  std::uint32_t distance = static_cast<std::uint32_t>(line(0).bytes().size()) - 8;
  for (const auto& b : body) distance += static_cast<std::uint32_t>(b.bytes().size());
  std::vector<TokenLine> lines{line(distance)};
  lines.insert(lines.end(), body.begin(), body.end());
  lines.push_back(TokenLine().token(kEndProc).token(0));
  return lines;
}

TokenLine labelLine(const std::string& name, int indentation = 0) {
  return TokenLine(indentation).name(testing::kTokLabel, name).token(kPrint).token(0);
}

void append(std::vector<TokenLine>& to, const std::vector<TokenLine>& lines) { to.insert(to.end(), lines.begin(), lines.end()); }

TEST(Outline, HandBuiltProgramsNumberTheirLinesAsEachListingDoes) {
  std::vector<TokenLine> lines{labelLine("start"), TokenLine().token(kPrint).token(0)};
  append(lines, procedureLines("_draw", {"X", "Y", "T$"}, 0x80, {labelLine("again", 3), TokenLine(3).token(kPrint).token(0)}));
  lines.push_back(labelLine("100"));
  // A compiled body is one marker line in the complete listing and its
  // bytes are walked as lines in the classic one: two lines here, since the
  // code reads as tokens that fit them.
  append(lines, procedureLines("_fast", {"A"}, 0xD0,
                               {TokenLine(1).token(kMachineCode, {0, 0}).raw({0x4E, 0x75, 0, 0}),
                                TokenLine().raw({0x30, 0x3C, 0x00, 0x01})}));
  lines.push_back(labelLine("\xE9t\xE9"));
  const Bytes file = amosFile(lines);
  const auto complete = outlineOf(file, ListingStyle::Complete);
  const std::vector<OutlineEntry> expected{
      {Kind::Label, "START:", 1},         {Kind::Procedure, "_DRAW[X,Y,T$]", 3},
      {Kind::Label, "AGAIN:", 4},         {Kind::Label, "100", 7},
      {Kind::Procedure, "_FAST[A]", 8},   {Kind::Label, "\xC9T\xC9:", 11},
  };
  EXPECT_EQ(complete, expected);
  // The walk of the listing itself agrees.
  const auto listing = linesOf(WalkCompleteListing(file).text);
  for (const auto& entry : complete) EXPECT_TRUE(holds(listing, entry, ListingStyle::Complete));
  const auto classic = outlineOf(file, ListingStyle::Classic);
  std::vector<std::int32_t> classicLines;
  for (const auto& entry : classic) classicLines.push_back(entry.line);
  EXPECT_EQ(classicLines, (std::vector<std::int32_t>{1, 3, 4, 7, 8, 12}));
  const auto classicText = classicListing(file);
  for (const auto& entry : classic) EXPECT_TRUE(holds(classicText, entry, ListingStyle::Classic));
}

TEST(Outline, AProcedureLineThatHoldsMoreThanParametersReadsAsItIsListed) {
  Bytes payload;
  testing::put32(payload, 0);
  for (std::uint8_t b : {0, 0, 0, 0}) payload.push_back(b);
  const Bytes file = amosFile({TokenLine(2)
                                   .token(kProcedure, payload)
                                   .variable("odd")
                                   .token(kOpenParameters)
                                   .decimal(3)
                                   .token(kCloseParameters)
                                   .text(testing::kTokQuoteRem, "note")
                                   .token(0),
                               TokenLine(0).token(kEndProc).token(0)});
  EXPECT_EQ(WalkCompleteListing(file).text, "  Procedure ODD[3] 'note\nEnd Proc\n");
  for (const ListingStyle style : {ListingStyle::Classic, ListingStyle::Complete}) {
    EXPECT_EQ(outlineOf(file, style), (std::vector<OutlineEntry>{{Kind::Procedure, "ODD[3] 'note", 1}}));
  }
}

TEST(Outline, EncipheredAndLockedBodies) {
  std::vector<TokenLine> lines;
  append(lines, procedureLines("inner", {}, 0x00, {labelLine("hidden", 1), TokenLine(1).token(kPrint).token(0)}));
  lines.push_back(labelLine("after"));
  Bytes file = amosFile(lines);
  const auto plain = outlineOf(file, ListingStyle::Complete);
  ASSERT_EQ(plain.size(), 3u);
  EXPECT_EQ(plain[1], (OutlineEntry{Kind::Label, "HIDDEN:", 2}));
  // Enciphered with a key of its own: deciphered, the same outline.
  file[20 + 11] = 0x42;
  ASSERT_TRUE(toggleProcedureCipher(file, 20));
  EXPECT_EQ(outlineOf(file, ListingStyle::Complete), plain);
  // A size that does not fit: the body stays locked, its lines counted as
  // marker lines, and its label is not seen.
  const Bytes enciphered = file;
  file[20 + 7] += 2;
  const auto locked = outlineOf(file, ListingStyle::Complete);
  EXPECT_EQ(locked, (std::vector<OutlineEntry>{plain[0], plain[2]}));
  // The file itself is never changed.
  file[20 + 7] -= 2;
  EXPECT_EQ(file, enciphered);
}

TEST(Outline, DamagedAndCutProgramsStopWhereTheirListingStops) {
  std::vector<TokenLine> lines{labelLine("one")};
  append(lines, procedureLines("p", {"A$"}, 0x80, {labelLine("two", 1)}));
  lines.push_back(labelLine("three"));
  const Bytes whole = amosFile(lines);
  const auto all = outlineOf(whole, ListingStyle::Complete);
  ASSERT_EQ(all.size(), 4u);
  for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
    SCOPED_TRACE(cut);
    const Bytes prefix(whole.begin(), whole.begin() + static_cast<long>(cut));
    const auto listed = linesOf(WalkCompleteListing(prefix).text);
    const auto classicListed = classicListing(prefix);
    for (const ListingStyle style : {ListingStyle::Classic, ListingStyle::Complete}) {
      const auto entries = outlineOf(prefix, style);
      // What is there is a beginning of the whole outline, on the same lines
      // or (classic) on none, and never a line the listing does not have.
      ASSERT_LE(entries.size(), all.size());
      for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].kind, all[i].kind);
        if (entries[i].kind == Kind::Label) {
          EXPECT_EQ(entries[i].name, all[i].name);
        }
        if (style == ListingStyle::Complete) {
          EXPECT_EQ(entries[i].line, all[i].line);
          EXPECT_LE(static_cast<std::size_t>(entries[i].line), listed.size());
        } else {
          EXPECT_TRUE(entries[i].line == all[i].line || entries[i].line == 0);
          if (entries[i].line != 0 && entries[i].kind == Kind::Label) {
            EXPECT_TRUE(holds(classicListed, entries[i], style));
          }
        }
      }
    }
    // A procedure cut inside its line is named as far as its listing goes.
    const auto entries = outlineOf(prefix, ListingStyle::Complete);
    if (entries.size() >= 2) {
      EXPECT_TRUE(all[1].name.starts_with(entries[1].name));
      EXPECT_TRUE(holds(listed, entries[1], ListingStyle::Complete));
    }
  }
  // Lengths that point outside the program.
  Bytes file = whole;
  file[20] = 0xFF;  // a first line of 510 bytes, past the end of the file
  for (const ListingStyle style : {ListingStyle::Classic, ListingStyle::Complete}) {
    EXPECT_EQ(outlineOf(file, style), (std::vector<OutlineEntry>{{Kind::Label, "ONE:", 1}}));
  }
  file = whole;
  file[16] = 0x7F;  // lines far beyond the file
  EXPECT_EQ(namesOf(outlineOf(file, ListingStyle::Complete)), namesOf(all));
  // Not a program.
  EXPECT_TRUE(outlineOf(fileBytes("PK\3\4 and so on, not a program at all"), ListingStyle::Classic).empty());
  EXPECT_TRUE(outlineOf({}, ListingStyle::Complete).empty());
}

TEST(Outline, EveryByteFlippedNeverReadsOutsideTheFile) {
  std::vector<TokenLine> lines{labelLine("one")};
  append(lines, procedureLines("p", {"A$", "B"}, 0x80, {labelLine("two", 1)}));
  append(lines, procedureLines("q", {}, 0x20, {TokenLine(1).token(kPrint).token(0)}));
  append(lines, procedureLines("r", {}, 0x10, {TokenLine(1).raw({0x25, 0x8C, 0, 0})}));
  lines.push_back(labelLine("three"));
  const Bytes whole = amosFile(lines);
  for (std::size_t at = 0; at < whole.size(); ++at) {
    for (const std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0x01}, std::uint8_t{0x7F}, std::uint8_t{0xFF}}) {
      Bytes file = whole;
      file[at] = value;
      // Read from a buffer of exactly the file's size: a sanitizer build
      // catches a read past it. Every entry is on a line its listing has,
      // and a complete listing line that holds its name.
      const auto listed = linesOf(WalkCompleteListing(file).text);
      for (const auto& entry : outlineOf(file, ListingStyle::Complete)) {
        ASSERT_TRUE(entry.line >= 1 && static_cast<std::size_t>(entry.line) <= listed.size()) << at;
        EXPECT_NE(listed[static_cast<std::size_t>(entry.line - 1)].find(entry.name), std::string::npos)
            << at << " " << int{value} << " " << ::testing::PrintToString(entry) << ": "
            << listed[static_cast<std::size_t>(entry.line - 1)];
      }
      const auto classicLines = classicListing(file).size();
      for (const auto& entry : outlineOf(file, ListingStyle::Classic)) {
        ASSERT_TRUE(entry.line >= 0 && static_cast<std::size_t>(entry.line) <= classicLines) << at;
      }
    }
  }
}

TEST(Outline, TenThousandProceduresAreOutlinedQuickly) {
  std::vector<TokenLine> lines;
  for (int i = 0; i < 10000; ++i) {
    append(lines, procedureLines("_p" + std::to_string(i), {"A", "B$"}, 0x80, {labelLine("l" + std::to_string(i), 1)}));
  }
  const Bytes file = amosFile(lines);
  const auto start = std::chrono::steady_clock::now();
  const auto entries = outlineOf(file, ListingStyle::Complete);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(entries.size(), 20000u);
  for (int i = 0; i < 10000; ++i) {
    const auto n = static_cast<std::size_t>(i);
    ASSERT_EQ(entries[2 * n], (OutlineEntry{Kind::Procedure, "_P" + std::to_string(i) + "[A,B$]", 3 * i + 1}));
    ASSERT_EQ(entries[2 * n + 1], (OutlineEntry{Kind::Label, "L" + std::to_string(i) + ":", 3 * i + 2}));
  }
  EXPECT_EQ(outlineOf(file, ListingStyle::Classic), entries);
  // Generous: a machine busy with builds still does it in a few milliseconds.
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 250);
}

}  // namespace
}  // namespace zarvex
