// Find in Files' core: the hits over the corpus and inside an archive equal
// a plain search of the expected listings in both styles, with and without
// case; progress counts every program, a cancel stops the search where it
// is asked, and searches run side by side on threads of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <sstream>
#include <thread>

#include "corpus.h"
#include "latin1_text.h"
#include "listing_style.h"
#include "program_search.h"
#include "silent_host.h"

namespace zarvex {
namespace {

std::filesystem::path containerFolder() { return testing::corpusFolder().parent_path() / "containers"; }

#define SKIP_WITHOUT_CONTAINERS()                                               \
  if (!std::filesystem::exists(containerFolder() / "README.md")) GTEST_SKIP() \
      << "no containers at " << containerFolder()

std::string corpusName() { return testing::corpusFolder().lexically_normal().string(); }

// A hit as one comparable line: FILE:LINE:COLUMN:LENGTH:TEXT.
std::string lineOf(const std::string& file, std::int32_t line, std::int32_t column, std::int32_t length,
                   const std::string& text) {
  return file + ":" + std::to_string(line) + ":" + std::to_string(column) + ":" + std::to_string(length) + ":" + text;
}

// UTF-8 as characters and back.
std::u32string charactersOf(const std::string& text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t value = more == 0 ? c : c & (0x3F >> more);
    for (int k = 1; k <= more && i + static_cast<std::size_t>(k) < text.size(); ++k) {
      value = value << 6 | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
    }
    out.push_back(value);
    i += 1 + static_cast<std::size_t>(more);
  }
  return out;
}

// Upper case as the search folds it: a-z and the Latin-1 letters.
char32_t upper(char32_t c) {
  if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
  return c;
}

// The hits a plain search of `listing` (UTF-8, a line a '\n') finds.
void searchListing(const std::string& file, const std::string& listing, const std::string& text, bool ignoreCase,
                   std::vector<std::string>& hits) {
  std::u32string wanted = charactersOf(text);
  if (ignoreCase) std::transform(wanted.begin(), wanted.end(), wanted.begin(), upper);
  std::istringstream in(listing);
  std::int32_t number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    std::u32string characters = charactersOf(line);
    if (ignoreCase) std::transform(characters.begin(), characters.end(), characters.begin(), upper);
    const auto at = characters.find(wanted);
    if (at != std::u32string::npos) {
      hits.push_back(lineOf(file, number, static_cast<std::int32_t>(at), static_cast<std::int32_t>(wanted.size()), line));
    }
  }
}

// The expected listing of a corpus program (relative to the corpus), UTF-8.
std::string expectedListing(const std::string& program, ListingStyle style) {
  const auto expected = testing::corpusFolder() / "expected";
  if (style == ListingStyle::Classic) return testing::readBytes(expected / (program + ".txt"));
  return latin1ToUtf8(testing::readBytes(expected / (program + ".asc")));
}

struct Found {
  std::vector<std::string> hits;
  std::vector<std::string> notes;
  std::vector<std::pair<int, int>> progress;
  SearchSummary summary;
};

Found search(const std::vector<std::string>& names, const std::string& text, bool ignoreCase, ListingStyle style,
             std::function<bool(int, int)> stop = {}, std::size_t heldBytes = 64 * 1024 * 1024) {
  Found found;
  found.summary = searchPrograms(
      names, text, ignoreCase, style,
      [&](const SearchHit& hit) { found.hits.push_back(lineOf(hit.file, hit.line, hit.column, hit.length, hit.text)); },
      [&](int done, int total) {
        found.progress.emplace_back(done, total);
        return !stop || !stop(done, total);
      },
      [&](const std::string& note) { found.notes.push_back(note); }, heldBytes);
  return found;
}

TEST(ProgramSearch, HitsOverTheCorpusEqualAPlainSearchOfItsListingsInBothStyles) {
  SKIP_WITHOUT_CORPUS();
  const auto programs = testing::corpusPrograms();
  for (const ListingStyle style : {ListingStyle::Classic, ListingStyle::Complete}) {
    for (const bool ignoreCase : {false, true}) {
      // Keywords, a Latin-1 letter in either case, and a text in no listing.
      for (const char* text : {"Rainbow", "Screen Open 0", "procedure", "FRANÇOIS", "ç", "Zzq€"}) {
        std::vector<std::string> expected;
        for (const std::string& program : programs) {
          searchListing((std::filesystem::path(corpusName()) / program).string(), expectedListing(program, style), text,
                        ignoreCase, expected);
        }
        const Found found = search({corpusName()}, text, ignoreCase, style);
        const std::string what = std::string(text) + (ignoreCase ? " ignoring case, " : ", ") + std::string(styleName(style));
        EXPECT_EQ(found.hits, expected) << what;
        EXPECT_EQ(found.summary.hits, static_cast<std::int64_t>(expected.size())) << what;
        EXPECT_FALSE(found.summary.failed) << what;
        EXPECT_FALSE(found.summary.cancelled) << what;
      }
    }
  }
  // The texts above do find something, and case matters where it should.
  EXPECT_GT(search({corpusName()}, "Rainbow", false, ListingStyle::Complete).hits.size(), 0u);
  EXPECT_LT(search({corpusName()}, "rainbow", false, ListingStyle::Complete).hits.size(),
            search({corpusName()}, "rainbow", true, ListingStyle::Complete).hits.size());
  EXPECT_GT(search({corpusName()}, "FRANÇOIS", true, ListingStyle::Complete).hits.size(), 0u);
}

TEST(ProgramSearch, HitsInsideAnArchiveAndTheDiskInItEqualTheirSourcesListings) {
  SKIP_WITHOUT_CORPUS();
  SKIP_WITHOUT_CONTAINERS();
  const std::string zip = (containerFolder() / "programs.zip").string();
  // Members and the corpus programs they were made from, from the archive's
  // own listing and the disk's inside it.
  std::vector<std::pair<std::string, std::string>> members;
  const auto readList = [&](const std::filesystem::path& list, const std::string& prefix) {
    std::istringstream in(testing::readBytes(list));
    for (std::string line; std::getline(in, line);) {
      std::vector<std::string> fields;
      std::istringstream row(line);
      for (std::string field; std::getline(row, field, '\t');) fields.push_back(field);
      if (fields.size() == 7 && fields[3] == "program" && fields[6].starts_with("corpus/")) {
        members.emplace_back(prefix + fields[0], fields[6].substr(7));
      }
    }
  };
  readList(containerFolder() / "expected" / "programs.zip.list", zip + "/");
  readList(containerFolder() / "expected" / "programs.zip" / "Disks" / "small_dc.adf.list", zip + "/Disks/small_dc.adf/");
  ASSERT_EQ(members.size(), 24u);
  for (const ListingStyle style : {ListingStyle::Classic, ListingStyle::Complete}) {
    for (const char* text : {"", "Print", "wait vbl"}) {
      for (const bool ignoreCase : {false, true}) {
        std::vector<std::string> expected;
        for (const auto& [member, source] : members) {
          searchListing(member, expectedListing(source, style), text, ignoreCase, expected);
        }
        Found found = search({zip}, text, ignoreCase, style);
        std::sort(expected.begin(), expected.end());
        std::sort(found.hits.begin(), found.hits.end());
        EXPECT_EQ(found.hits, expected) << text << ", " << styleName(style);
        EXPECT_EQ(found.summary.programs, 24);
      }
    }
  }
  // A member path as the name: that program alone.
  const Found one = search({zip + "/Disks/small_dc.adf/Prog.AMOS"}, "", false, ListingStyle::Complete);
  EXPECT_EQ(one.summary.programs, 1);
  EXPECT_FALSE(one.hits.empty());
}

TEST(ProgramSearch, ProgressCountsEveryProgramAndACancelStopsWhereItIsAsked) {
  SKIP_WITHOUT_CORPUS();
  const int programs = static_cast<int>(testing::corpusPrograms().size());
  const Found whole = search({corpusName()}, "", true, ListingStyle::Complete);
  ASSERT_FALSE(whole.progress.empty());
  EXPECT_EQ(whole.progress.front(), std::make_pair(0, 0));  // counting
  EXPECT_EQ(whole.progress.back(), std::make_pair(programs, programs));
  EXPECT_EQ(whole.summary.programs, programs);
  // After the count, one report a program, each one further.
  const auto first = std::find(whole.progress.begin(), whole.progress.end(), std::make_pair(0, programs));
  ASSERT_NE(first, whole.progress.end());
  for (auto it = first; it != whole.progress.end(); ++it) {
    EXPECT_EQ(it->first, static_cast<int>(it - first));
    EXPECT_EQ(it->second, programs);
  }

  // Cancelled after the first program: only its lines, nothing more listed.
  const Found early = search({corpusName()}, "", true, ListingStyle::Complete, [](int done, int) { return done >= 1; });
  EXPECT_TRUE(early.summary.cancelled);
  EXPECT_EQ(early.summary.programs, 1);
  EXPECT_EQ(early.progress.back().first, 1);
  ASSERT_FALSE(early.hits.empty());
  const std::string firstFile = early.hits.front().substr(0, early.hits.front().find(".AMOS:") + 5);
  for (const std::string& hit : early.hits) EXPECT_TRUE(hit.starts_with(firstFile + ":")) << hit;
  EXPECT_EQ(std::vector<std::string>(whole.hits.begin(), whole.hits.begin() + static_cast<std::ptrdiff_t>(early.hits.size())),
            early.hits);

  // Cancelled while counting: nothing listed.
  const Found counting = search({corpusName()}, "", true, ListingStyle::Classic, [](int, int) { return true; });
  EXPECT_TRUE(counting.summary.cancelled);
  EXPECT_EQ(counting.summary.programs, 0);
  EXPECT_TRUE(counting.hits.empty());
  EXPECT_EQ(counting.progress.size(), 1u);

  // A cancel asked after the last program changes nothing.
  const Found late = search({corpusName()}, "", true, ListingStyle::Complete,
                            [&](int done, int) { return done == programs; });
  EXPECT_FALSE(late.summary.cancelled);
  EXPECT_EQ(late.hits, whole.hits);
}

TEST(ProgramSearch, ProgramsPastTheBytesHeldAreSearchedByASecondWalk) {
  SKIP_WITHOUT_CONTAINERS();
  const std::string zip = (containerFolder() / "programs.zip").string();
  const std::vector<std::string> names = {zip, (containerFolder() / "ofs_dd.adf").string()};
  const Found held = search(names, "Print", false, ListingStyle::Complete);
  ASSERT_FALSE(held.summary.failed);
  // Room for a few members only: the rest comes from the walk made again,
  // in the same order, with the same progress and no note told twice.
  const Found walked = search(names, "Print", false, ListingStyle::Complete, {}, 20'000);
  EXPECT_EQ(walked.hits, held.hits);
  EXPECT_EQ(walked.notes, held.notes);
  EXPECT_EQ(walked.summary.programs, held.summary.programs);
  EXPECT_EQ(walked.progress.back(), held.progress.back());
  for (std::size_t i = 1; i < walked.progress.size(); ++i) EXPECT_GE(walked.progress[i].first, walked.progress[i - 1].first);
  // A cancel in the second walk stops it at once.
  const int stopAt = held.summary.programs - 3;
  const Found cancelled = search(names, "Print", false, ListingStyle::Complete, [&](int done, int) { return done >= stopAt; }, 20'000);
  EXPECT_TRUE(cancelled.summary.cancelled);
  EXPECT_EQ(cancelled.summary.programs, stopAt);
}

TEST(ProgramSearch, NamesThatLeadNowhereAndDamagedContainersAreTold) {
  SKIP_WITHOUT_CONTAINERS();
  const std::string damaged = (containerFolder() / "damaged_range.adf").string();
  for (const ListingStyle style : {ListingStyle::Classic, ListingStyle::Complete}) {
    const Found found = search({"/no/such/folder", damaged}, "", false, style);
    EXPECT_TRUE(found.summary.failed);
    ASSERT_FALSE(found.notes.empty());
    EXPECT_EQ(found.notes.front(), "/no/such/folder: no such file, folder or member");
    EXPECT_TRUE(std::any_of(found.notes.begin(), found.notes.end(), [&](const std::string& note) { return note.starts_with(damaged + ": "); }));
    // What the damaged disk still holds is searched.
    EXPECT_GT(found.summary.programs, 0);
    EXPECT_GT(found.summary.hits, 0);
  }
  // Without progress nothing is counted first: the same hits.
  SearchSummary streamed = searchPrograms({damaged}, "", false, ListingStyle::Complete, {}, {}, {});
  EXPECT_EQ(streamed.hits, search({damaged}, "", false, ListingStyle::Complete).summary.hits);
}

TEST(ProgramSearch, ClassicSearchesRunOnThreadsBesideTheWindowsOwnListing) {
  SKIP_WITHOUT_CORPUS();
  // Two searches on threads of their own while this thread lists programs
  // with the program's shared bindings, as the window does; all three bind
  // the reader library's functions at once when this test runs alone.
  Found first, second;
  std::atomic<int> running{2};
  std::thread a([&] {
    first = search({corpusName()}, "Print", true, ListingStyle::Classic);
    --running;
  });
  std::thread b([&] {
    second = search({corpusName()}, "Print", true, ListingStyle::Classic);
    --running;
  });
  const std::string program = testing::corpusPrograms().front();
  const std::string bytes = testing::readBytes(testing::corpusFolder() / program);
  const std::string expected = testing::readBytes(testing::corpusFolder() / "expected" / (program + ".txt"));
  int listings = 0;
  while (running > 0 || listings == 0) {
    SilentHost host;
    ListingState state;
    ListFileBytes(program, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, state, host,
                  ListingStyle::Classic);
    ++listings;
    if (latin1ToUtf8(state.PlainListing) != expected) {
      ADD_FAILURE() << "listing " << listings << " on this thread differs";
      break;
    }
  }
  a.join();
  b.join();
  const Found alone = search({corpusName()}, "Print", true, ListingStyle::Classic);
  ASSERT_FALSE(alone.hits.empty());
  EXPECT_EQ(first.hits, alone.hits);
  EXPECT_EQ(second.hits, alone.hits);
}

}  // namespace
}  // namespace zarvex
