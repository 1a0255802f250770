// The complete token table against the tables it was generated from (read in
// place beside the corpus when they are there), and its lookups.
#include "complete_vocabulary.h"

#include <gtest/gtest.h>

#include <sstream>

#include "corpus.h"
#include "rtf_text.h"

namespace zarvex {
namespace {

std::filesystem::path tablesFolder() { return testing::corpusFolder().parent_path() / "vocabulary"; }

std::vector<std::vector<std::string>> readTable(const std::string& name) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(testing::readBytes(tablesFolder() / name));
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) continue;
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
      fields.push_back(line.substr(start, tab - start));
    }
    fields.push_back(line.substr(start));
    rows.push_back(fields);
  }
  return rows;
}

const char* blankName(BlankRule rule) {
  switch (rule) {
    case BlankRule::Before: return "before";
    case BlankRule::Strip: return "strip";
    case BlankRule::None: break;
  }
  return "none";
}

TEST(CompleteVocabulary, EveryRowOfTheSourceTablesIsInTheProgramsTable) {
  if (!std::filesystem::exists(tablesFolder() / "tokens.tsv")) GTEST_SKIP() << "no tables at " << tablesFolder();
  const auto tokens = readTable("tokens.tsv");
  ASSERT_EQ(tokens.size(), CompleteVocabulary::tokens().size());
  for (const auto& row : tokens) {
    ASSERT_EQ(row.size(), 5u);
    const auto code = static_cast<std::uint16_t>(std::stoul(row[0], nullptr, 16));
    const CompleteToken* token = CompleteVocabulary::token(code);
    ASSERT_NE(token, nullptr) << row[0];
    EXPECT_EQ(token->keyword, row[1]) << row[0];
    if (row[4] != "-") {
      EXPECT_STREQ(blankName(token->blank), row[4].c_str()) << row[0];
    }
  }
  const auto extensions = readTable("extensions.tsv");
  ASSERT_EQ(extensions.size(), CompleteVocabulary::extensions().size());
  for (const auto& row : extensions) {
    const ExtensionKeyword* keyword = CompleteVocabulary::extension(
        static_cast<std::uint8_t>(std::stoul(row[0])), static_cast<std::uint16_t>(std::stoul(row[1], nullptr, 16)));
    ASSERT_NE(keyword, nullptr) << row[0] << ':' << row[1];
    EXPECT_EQ(keyword->keyword, row[2]);
    EXPECT_STREQ(blankName(keyword->blank), row[4].c_str());
  }
}

TEST(CompleteVocabulary, PayloadsOfTheTokensThatCarryOne) {
  const std::pair<std::uint16_t, TokenPayload> rows[] = {
      {0x0000, TokenPayload::EndOfLine}, {0x0006, TokenPayload::Name},      {0x0018, TokenPayload::Name},
      {0x001E, TokenPayload::Long},      {0x0026, TokenPayload::Text},      {0x0046, TokenPayload::Float},
      {0x004E, TokenPayload::Extension}, {0x023C, TokenPayload::Skip2},     {0x0290, TokenPayload::Skip4},
      {0x2A40, TokenPayload::Skip6},     {0x0376, TokenPayload::Procedure}, {0x258C, TokenPayload::MachineCode},
      {0x2B6A, TokenPayload::Double},    {0x0476, TokenPayload::None},      {0x064A, TokenPayload::Text},
  };
  for (const auto& [code, payload] : rows) {
    const CompleteToken* token = CompleteVocabulary::token(code);
    ASSERT_NE(token, nullptr) << code;
    EXPECT_EQ(token->payload, payload) << code;
  }
}

TEST(CompleteVocabulary, CodesAndOffsetsWithoutARowAreNull) {
  EXPECT_EQ(CompleteVocabulary::token(0x0002), nullptr);
  EXPECT_EQ(CompleteVocabulary::token(0x0477), nullptr);
  EXPECT_EQ(CompleteVocabulary::token(0xFFFF), nullptr);
  EXPECT_EQ(CompleteVocabulary::extension(1, 0x0007), nullptr);
  EXPECT_EQ(CompleteVocabulary::extension(4, 0x0006), nullptr);
  EXPECT_EQ(CompleteVocabulary::extension(255, 0xFFFF), nullptr);
  ASSERT_NE(CompleteVocabulary::extension(1, 0x0006), nullptr);
  EXPECT_EQ(CompleteVocabulary::extension(1, 0x0006)->keyword, "Mubase");
}

// Listing lines copy a keyword into the document unescaped unless its row
// says otherwise; one row (a marker of backslashes) does.
TEST(CompleteVocabulary, RowsKnowWhetherTheirKeywordNeedsEscaping) {
  for (const CompleteToken& row : CompleteVocabulary::tokens()) {
    EXPECT_EQ(row.escapes, needsRtfEscape(row.keyword)) << std::hex << row.code;
  }
  for (const ExtensionKeyword& row : CompleteVocabulary::extensions()) {
    EXPECT_EQ(row.escapes, needsRtfEscape(row.keyword)) << row.keyword.view();
  }
  EXPECT_TRUE(CompleteVocabulary::token(0x2562)->escapes);
}

}  // namespace
}  // namespace zarvex
