// zarvex-list when things go wrong: every failure is a message and a status
// other than 0, and a listing cut short says so.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "amos_program_builder.h"
#include "corpus.h"
#include "demo_program.h"
#include "temp_folder.h"

namespace zarvex {
namespace {

struct Outcome {
  int status;
  std::string out, err;
};

class ZarvexListFailureTest : public ::testing::Test {
 protected:
  // Runs `command` through the shell; standard error is kept apart.
  Outcome run(const std::string& command) {
    const std::string errFile = folder.file("stderr.txt");
    FILE* pipe = popen(("(" + command + ") 2>'" + errFile + "'").c_str(), "r");
    Outcome result{-1, {}, {}};
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = testing::readBytes(errFile);
    return result;
  }

  std::string write(const std::string& name, const testing::Bytes& bytes) {
    const std::string path = folder.file(name);
    testing::writeFile(path, bytes);
    return "'" + path + "'";
  }

  // Nearly 1 MiB of lines: more listing than a pipe holds.
  std::string writeBig() {
    std::vector<testing::TokenLine> lines;
    for (int i = 0; i < 20000; ++i) lines.push_back(testing::TokenLine().token(0x0476).string(std::string(36, 'x')));
    return write("big.AMOS", testing::amosFile(lines));
  }

  const std::string list = ZARVEX_LIST_PATH;
  testing::TempFolder folder;
};

TEST_F(ZarvexListFailureTest, TheReaderLibraryOutOfReachMakesTheListingIncomplete) {
  // The tool alone in a folder: no libMorvane.so beside it or below it.
  const std::string lonely = folder.file("zarvex-list");
  std::filesystem::copy_file(list, lonely);
  const Outcome r = run("'" + lonely + "' " + write("demo.AMOS", testing::demoProgram()));
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find("Error 48"), std::string::npos) << r.err;
}

TEST_F(ZarvexListFailureTest, AnOutputThatCannotBeWrittenIsAFailure) {
  const std::string demo = write("demo.AMOS", testing::demoProgram());
  for (const char* options : {"--text", "--rtf", "--asc"}) {
    const Outcome r = run(list + " " + options + " " + demo + " > /dev/full");
    EXPECT_EQ(r.status, 1) << options;
    EXPECT_NE(r.err.find("cannot write the listing"), std::string::npos) << options << ": " << r.err;
  }
  // A closed standard output, and a reader that went away with SIGPIPE ignored.
  EXPECT_EQ(run(list + " " + demo + " >&-").status, 1);
  const Outcome piped =
      run("bash -c \"trap '' PIPE; " + list + " --rtf " + writeBig() + " | head -c 1 >/dev/null; exit \\${PIPESTATUS[0]}\"");
  EXPECT_EQ(piped.status, 1) << piped.err;
  EXPECT_EQ(run(list + " --banks " + demo + " > /dev/full").status, 1);
}

TEST_F(ZarvexListFailureTest, RunningOutOfMemoryIsAMessageNotAnAbort) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs far more address space than the limit leaves";
#else
  // Its listing needs more than the limit leaves.
  const std::string big = writeBig();
  // Limits from too small to start at all to large enough to finish: each run
  // either starts and says it ran out, or finishes; none aborts.
  for (const char* options : {"--text", "--rtf", "--asc"}) {
    int ranOut = 0;
    for (int limit = 4000; limit <= 15000; limit += 500) {
      const Outcome r = run("ulimit -v " + std::to_string(limit) + "; " + list + " " + options + " " + big + " >/dev/null");
      EXPECT_TRUE(r.status == 0 || r.status == 4 || r.status == 127) << options << " at " << limit << ": " << r.status;
      if (r.status == 4) {
        ++ranOut;
        EXPECT_NE(r.err.find("ut of memory"), std::string::npos) << options << ": " << r.err;
      }
    }
    EXPECT_GT(ranOut, 0) << options << ": no limit made it run out";
  }
#endif
}

TEST_F(ZarvexListFailureTest, AFileThatIsNoProgramIsWarnedOfOrRefused) {
  const std::string picture = write("picture.AMOS", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  Outcome r = run(list + " " + picture);
  EXPECT_NE(r.err.find("picture.AMOS: does not start like an AMOS program; the listing may be meaningless"),
            std::string::npos)
      << r.err;
  r = run(list + " --complete " + picture);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.empty());
  // A program of the described header rules starts with its own text: warned of, listed.
  r = run(list + " " + write("old.AMOS", testing::programFile("Old header", {testing::TokenLine().token(0x0476)})));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Print \n");
  EXPECT_NE(r.err.find("does not start like an AMOS program"), std::string::npos);
}

TEST_F(ZarvexListFailureTest, AnAmosFileThatEndsBeforeItsLinesIsDamagedInBothStyles) {
  const std::string cut = write("cut.AMOS", {'A', 'M', 'O', 'S', ' ', 'P', 'r', 'o', '1', '0', '1', 'V', 0, 0, 0, 0});
  for (const char* options : {"", "--complete"}) {
    const Outcome r = run(list + " " + options + " " + cut);
    EXPECT_EQ(r.status, 3) << options;
    EXPECT_NE(r.err.find("The file ends early, at offset 16"), std::string::npos) << options << ": " << r.err;
  }
  // The offset named is never past the file's end.
  const Outcome empty = run(list + " " + write("empty.AMOS", {}));
  EXPECT_EQ(empty.status, 3);
  EXPECT_NE(empty.err.find("at offset 0"), std::string::npos) << empty.err;
}

// Standard output and standard error in one stream: what is said of a file
// comes after the lines printed of it, not before.
TEST_F(ZarvexListFailureTest, AMessageAboutAFileComesAfterTheLinesPrintedOfIt) {
  std::vector<testing::TokenLine> lines;
  for (int i = 0; i < 3; ++i) lines.push_back(testing::TokenLine().token(0x0476).string("line " + std::to_string(i)));
  testing::Bytes cut = testing::amosFile(lines);
  cut.resize(cut.size() - 10);  // into the last line
  const std::string whole = write("whole.AMOS", testing::amosFile(lines));
  const Outcome r = run(list + " " + whole + " " + write("cut.AMOS", cut) + " 2>&1");
  EXPECT_EQ(r.status, 3);
  const std::size_t message = r.out.find("cut.AMOS: The file ends early");
  ASSERT_NE(message, std::string::npos) << r.out;
  EXPECT_LT(r.out.rfind("line 1"), message) << r.out;
  EXPECT_GT(r.out.find("line 1", r.out.find("line 2")), r.out.find("line 2")) << "both listings: " << r.out;
}

TEST_F(ZarvexListFailureTest, AFifoIsRefusedWithoutWaiting) {
  const std::string fifo = folder.file("fifo.AMOS");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const Outcome r = run("timeout 10 " + list + " '" + fifo + "'");
  EXPECT_EQ(r.status, 1) << "124 would mean it waited for a writer";
  EXPECT_NE(r.err.find("is not a file"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace zarvex

namespace zarvex {
namespace {

TEST(ZarvexListUsage, AnEmptyFolderNameIsAUsageError) {
  const std::string list = ZARVEX_LIST_PATH;
  for (const char* option : {"--extract", "--render"}) {
    const int status = std::system((list + " " + option + " '' /dev/null >/dev/null 2>&1").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2) << option;
  }
}

}  // namespace
}  // namespace zarvex
