// Damaged programs: every truncation of real programs and random byte flips.
// The decoder must never crash or read outside the image (the sanitizer
// build checks the reads), and says at most once that the file ends early.
#include <gtest/gtest.h>

#include <random>

#include "amos_loader.h"
#include "complete_decoder.h"
#include "corpus.h"
#include "recording_host.h"

namespace zarvex {
namespace {

using testing::RecordingHost;

class DamagedFileTest : public ::testing::Test {
 protected:
  void setImage(const std::string& bytes) {
    state = ListingState{};
    state.FileBytes.assign(bytes.begin(), bytes.end());
    state.FileBytes.push_back(0);
    state.FileLength = static_cast<std::int32_t>(bytes.size());
    host.messages.clear();
  }

  LoadResult decode(const std::string& bytes) {
    setImage(bytes);
    return DecodeFileImage(state, host);
  }

  LoadResult decodeComplete(const std::string& bytes) {
    setImage(bytes);
    return DecodeCompleteListing(state, host);
  }

  // Only one damage notice and the summary may appear, each at most once.
  void expectAtMostOneNotice(const std::string& what) {
    int damage = 0, summary = 0;
    for (const auto& m : host.messages) {
      if (m.text.starts_with("The file ends early") || m.text.starts_with("The program is damaged")) ++damage;
      else if (m.text.starts_with("Document contains:")) ++summary;
      else ADD_FAILURE() << what << ": unexpected message " << m.text;
    }
    EXPECT_LE(damage, 1) << what;
    EXPECT_LE(summary, 1) << what;
    EXPECT_TRUE(state.RtfDocument.ends_with("}")) << what;
  }

  ListingState state;
  RecordingHost host;
};

// The document without its closing brace and without its last paragraph.
std::string completeLines(const std::string& doc) {
  const std::string marker = "\\par\r\n";
  if (doc.size() < marker.size() + 2) return {};
  const auto last = doc.rfind(marker, doc.size() - marker.size() - 2);
  return last == std::string::npos ? std::string() : doc.substr(0, last + marker.size());
}

TEST_F(DamagedFileTest, EveryTruncationListsWhatIsThereAndSaysSoOnce) {
  SKIP_WITHOUT_CORPUS();
  for (const char* name : {"APSystem/Header_AMOS.AMOS", "Examples/Examples/H-8/Help_82.AMOS",
                           "Tutorial/Tutorials/Interface/Simple_Requester.AMOS"}) {
    const std::string whole = testing::readBytes(testing::corpusFolder() / name);
    ASSERT_FALSE(whole.empty()) << name;
    decode(whole);
    const std::string full = state.RtfDocument;
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
      const auto result = decode(whole.substr(0, cut));
      const std::string what = std::string(name) + " cut at " + std::to_string(cut);
      expectAtMostOneNotice(what);
      if (cut >= 20 && result.outcome == LoadResult::Outcome::EndedEarly) {
        EXPECT_TRUE(full.starts_with(completeLines(state.RtfDocument))) << what;
        EXPECT_LE(result.earlyEndOffset, static_cast<std::int64_t>(cut)) << what;
      }
    }
  }
}

TEST_F(DamagedFileTest, EveryTruncationListsCompletelyWhatIsThereAndSaysSoOnce) {
  SKIP_WITHOUT_CORPUS();
  for (const char* name : {"APSystem/Header_AMOS.AMOS", "Tutorial/ReTokenise.AMOS",
                           "Tutorial/Tutorials/Interface/Simple_Requester.AMOS"}) {
    const std::string whole = testing::readBytes(testing::corpusFolder() / name);
    ASSERT_FALSE(whole.empty()) << name;
    decodeComplete(whole);
    const std::string full = state.PlainListing;
    for (std::size_t cut = 4; cut < whole.size(); ++cut) {
      const auto result = decodeComplete(whole.substr(0, cut));
      const std::string what = std::string(name) + " cut at " + std::to_string(cut);
      expectAtMostOneNotice(what);
      if (result.outcome == LoadResult::Outcome::Loaded) continue;
      EXPECT_EQ(result.outcome, LoadResult::Outcome::EndedEarly) << what;
      EXPECT_LE(result.earlyEndOffset, static_cast<std::int64_t>(cut)) << what;
      // Every line but the one cut short is the whole program's.
      const std::string& text = state.PlainListing;
      const auto lastBreak = text.size() < 2 ? std::string::npos : text.rfind('\n', text.size() - 2);
      const std::string kept = lastBreak == std::string::npos ? std::string() : text.substr(0, lastBreak + 1);
      EXPECT_TRUE(full.starts_with(kept)) << what;
    }
  }
}

TEST_F(DamagedFileTest, RandomByteFlipsNeverHurt) {
  SKIP_WITHOUT_CORPUS();
  std::mt19937 random(20261207);
  for (const char* name : {"Examples/Examples/H-4/Help_42.AMOS", "Tutorial/Tutorials/Interface/Autocentering.AMOS",
                           "Accessories/Disc_Manager.AMOS"}) {
    const std::string whole = testing::readBytes(testing::corpusFolder() / name);
    ASSERT_FALSE(whole.empty()) << name;
    for (int round = 0; round < 150; ++round) {
      std::string damaged = whole;
      const int flips = 1 + static_cast<int>(random() % 8);
      for (int i = 0; i < flips; ++i) {
        damaged[random() % damaged.size()] = static_cast<char>(random() & 0xFF);
      }
      decode(damaged);
      expectAtMostOneNotice(std::string(name) + " round " + std::to_string(round));
      damaged.replace(0, 4, "AMOS");  // so that the complete style takes it
      decodeComplete(damaged);
      expectAtMostOneNotice(std::string(name) + " complete, round " + std::to_string(round));
    }
  }
}

TEST_F(DamagedFileTest, HugeCodeLengthAndLineSizesStopAtTheFileEnd) {
  // A signature file claiming 4 GiB of lines, each line claiming 510 bytes.
  std::string file = "AMOS Basic V134 ";
  file += std::string("\xFF\xFF\xFF\xFF", 4);
  file += std::string("\xFF\x01\x02\x86", 4);  // a line of 510 bytes holding "Loop" then nothing
  const auto result = decode(file);
  EXPECT_EQ(result.outcome, LoadResult::Outcome::EndedEarly);
  EXPECT_EQ(result.earlyEndOffset, 24);
  EXPECT_TRUE(state.RtfDocument.ends_with(";}{\\b Loop}\\par\r\n}"));
}

}  // namespace
}  // namespace zarvex
