// Every real program of the shared corpus against its independently made
// listing: the document byte for byte, the plain text, and the counts.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "amos_loader.h"
#include "complete_decoder.h"
#include "corpus.h"
#include "latin1_text.h"
#include "listing_style.h"
#include "recording_host.h"
#include "rtf_text.h"
#include "string_appender.h"

namespace zarvex {
namespace {

using testing::corpusFolder;
using testing::readBytes;

std::string runCommand(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "<popen failed>";
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  pclose(pipe);
  return output;
}

class CorpusTest : public ::testing::TestWithParam<std::string> {
 protected:
  std::filesystem::path program() const { return corpusFolder() / GetParam(); }
  std::filesystem::path expected(const std::string& suffix) const {
    return corpusFolder() / "expected" / (GetParam() + suffix);
  }
};

TEST_P(CorpusTest, ListingMatchesExpectedDocumentTextAndCounts) {
  ListingState state;
  testing::RecordingHost host;
  const auto result = LoadAmosFile(program().string(), state, host);
  EXPECT_EQ(result.outcome, LoadResult::Outcome::Loaded);
  EXPECT_TRUE(state.RtfDocument == readBytes(expected(".rtf"))) << "document differs";

  int extensions = -1, undefined = -1;
  std::istringstream(readBytes(expected(".counts"))) >> extensions >> undefined;
  EXPECT_EQ(result.extensionCalls, extensions);
  EXPECT_EQ(result.undefinedCalls, undefined);

  const std::string text = readBytes(expected(".txt"));
  EXPECT_TRUE(latin1ToUtf8(host.view().plainText()) == text) << "view's plain text differs";
  EXPECT_TRUE(latin1ToUtf8(state.PlainListing) == text) << "plain listing differs";

  host.highlight = false;
  LoadAmosFile(program().string(), state, host);
  EXPECT_TRUE(latin1ToUtf8(host.view().plainText()) == text) << "plain mode differs";
}

// A load asked for one of the two listings makes it as a load of both does,
// and leaves the other empty: in both styles.
TEST_P(CorpusTest, EitherListingAloneIsTheSameAsBesideTheOther) {
  const std::string bytes = readBytes(program());
  const std::span<const std::uint8_t> file(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  for (ListingStyle style : {ListingStyle::Classic, ListingStyle::Complete}) {
    testing::RecordingHost host;
    ListingState both;
    const LoadResult whole = ListFileBytes(GetParam(), file, both, host, style);
    ListingState textOnly;
    textOnly.WantsDocument = false;
    const LoadResult text = ListFileBytes(GetParam(), file, textOnly, host, style);
    EXPECT_TRUE(textOnly.PlainListing == both.PlainListing) << styleName(style);
    EXPECT_EQ(textOnly.RtfDocument, std::string(kRtfHeader) + "}") << "the header and the end only";
    ListingState documentOnly;
    documentOnly.WantsPlainListing = false;
    const LoadResult document = ListFileBytes(GetParam(), file, documentOnly, host, style);
    EXPECT_TRUE(documentOnly.RtfDocument == both.RtfDocument) << styleName(style);
    EXPECT_TRUE(documentOnly.PlainListing.empty());
    // Handed over piece by piece as it is made, either listing is whole: the
    // document with its header first and its "}" last.
    struct Collected : TextSink {
      std::string text;
      int pieces = 0;
      void take(std::string_view piece) override {
        text += piece;
        ++pieces;
      }
    };
    const auto streamedAlone = [&](bool document, const std::string& expected) {
      Collected collected;
      ListingState streamed;
      (document ? streamed.WantsPlainListing : streamed.WantsDocument) = false;
      (document ? streamed.RtfDocumentSink : streamed.PlainListingSink) = &collected;
      const LoadResult result = ListFileBytes(GetParam(), file, streamed, host, style);
      EXPECT_TRUE(collected.text == expected) << styleName(style) << (document ? ", document" : ", text");
      EXPECT_TRUE((document ? streamed.RtfDocument : streamed.PlainListing).empty());
      if (expected.size() > 3 * StringAppender::kCapacity) {
        EXPECT_GT(collected.pieces, 2) << "not held whole";
      }
      return result;
    };
    const LoadResult piecewise = streamedAlone(false, both.PlainListing);
    const LoadResult documentPiecewise = streamedAlone(true, both.RtfDocument);
    for (const LoadResult& one : {text, document, piecewise, documentPiecewise}) {
      EXPECT_EQ(one.outcome, whole.outcome);
      EXPECT_EQ(one.extensionCalls, whole.extensionCalls);
      EXPECT_EQ(one.undefinedCalls, whole.undefinedCalls);
    }
  }
}

TEST_P(CorpusTest, CompleteListingIsWhatTheEditorSaves) {
  ListingState state;
  testing::RecordingHost host;
  const auto result = LoadListing(program().string(), state, host, ListingStyle::Complete);
  EXPECT_EQ(result.outcome, LoadResult::Outcome::Loaded);
  EXPECT_EQ(result.undefinedCalls, 0) << "every token of a real program has a row";
  const std::string asc = readBytes(expected(".asc"));
  EXPECT_TRUE(state.PlainListing == asc) << "listing text differs";
  // The document shows the same characters, read as the views read it.
  EXPECT_TRUE(host.view().plainText() == asc) << "document's text differs";
  host.highlight = false;
  DecodeListing(state, host, ListingStyle::Complete);
  EXPECT_TRUE(host.view().plainText() == asc) << "plain mode differs";

  const std::string quoted = "'" + program().string() + "'";
  EXPECT_TRUE(runCommand(std::string(ZARVEX_LIST_PATH) + " --asc " + quoted) == asc) << "--asc differs";
  EXPECT_TRUE(runCommand(std::string(ZARVEX_LIST_PATH) + " --complete --text " + quoted) == latin1ToUtf8(asc))
      << "--complete --text differs";
}

TEST_P(CorpusTest, CommandLineToolPrintsTheExpectedListing) {
  const std::string quoted = "'" + program().string() + "'";
  EXPECT_TRUE(runCommand(std::string(ZARVEX_LIST_PATH) + " --text " + quoted) == readBytes(expected(".txt")));
  EXPECT_TRUE(runCommand(std::string(ZARVEX_LIST_PATH) + " --rtf " + quoted) == readBytes(expected(".rtf")));
}

std::string testName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name;
  for (char c : info.param) name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
  return name;
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusTest);
INSTANTIATE_TEST_SUITE_P(Programs, CorpusTest, ::testing::ValuesIn(testing::corpusPrograms()), testName);

TEST(Corpus, HoldsTheRealPrograms) {
  SKIP_WITHOUT_CORPUS();
  EXPECT_EQ(testing::corpusPrograms().size(), 129u) << "corpus folder: " << corpusFolder();
}

}  // namespace
}  // namespace zarvex
