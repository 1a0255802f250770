// The bundled demo program: made by the builder, and a listing of every kind
// of token.
#include "demo_program.h"

#include <gtest/gtest.h>

#include "amos_loader.h"
#include "listing_style.h"
#include "corpus.h"
#include "recording_host.h"

namespace zarvex {
namespace {

TEST(DemoProgram, BundledFileIsWhatTheBuilderMakes) {
  const testing::Bytes built = testing::demoProgram();
  const std::string bundled = testing::readBytes(ZARVEX_DEMO_PATH);
  EXPECT_TRUE(bundled == std::string(built.begin(), built.end()))
      << "examples/demo.AMOS is stale: rebuild it with build/default/bin/make_demo examples/demo.AMOS";
}

TEST(DemoProgram, ListsEveryKindOfToken) {
  ListingState state;
  testing::RecordingHost host;
  const auto result = LoadAmosFile(ZARVEX_DEMO_PATH, state, host);
  EXPECT_EQ(result.outcome, LoadResult::Outcome::Loaded);
  EXPECT_EQ(result.extensionCalls, 1);
  EXPECT_EQ(result.undefinedCalls, 3);
  const std::string& doc = state.RtfDocument;
  for (const char* piece : {"{\\b Screen Open }{\\cf1 0}", "DX#{\\b =}{\\cf1 1.5}", "NAME${\\b =}{\\cf3 \"Ball \\{1\\} in C:\\\\demo\"}",
                            "{\\cf1 $DFF180}", "MOVE_BALL:", "{\\b Procedure }DRAW_BALL", "{\\cf7 Rem  Open",
                            "{\\cf7 ` Zarvex", "{\\b Extension}{\\b 14A012} SCORE", "{\\cf2 <!-- 10768 -->}",
                            "{\\cf1 0.25}"}) {
    EXPECT_NE(doc.find(piece), std::string::npos) << piece;
  }
}

TEST(DemoProgram, TheCompleteVocabularyDecodesItsAmosProfessionalLines) {
  ListingState state;
  testing::RecordingHost host;
  const auto result = LoadListing(ZARVEX_DEMO_PATH, state, host, ListingStyle::Complete);
  EXPECT_EQ(result.outcome, LoadResult::Outcome::Loaded);
  EXPECT_EQ(result.undefinedCalls, 2) << "only the two tokens no table names";
  for (const char* line : {"\n  Exit If SCORE>=100\n", "\nR=Dialog Box(\"Well played!\")\n", "\n  {2A10}\n"}) {
    EXPECT_NE(state.PlainListing.find(line), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace zarvex
