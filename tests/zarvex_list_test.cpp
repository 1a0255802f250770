// zarvex-list as a user runs it: options, output streams and exit status.
#include <gtest/gtest.h>
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

struct ListRun {
  int status;
  std::string out;
};

// Runs zarvex-list with `arguments`; standard error goes to `errFile`.
ListRun runList(const std::string& arguments, const std::string& errFile) {
  const std::string command = std::string(ZARVEX_LIST_PATH) + " " + arguments + " 2>" + errFile;
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

class ZarvexListTest : public ::testing::Test {
 protected:
  std::string err() const {
    FILE* f = std::fopen(errFile.c_str(), "rb");
    std::string text;
    char buffer[4096];
    std::size_t got;
    while (f != nullptr && (got = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, got);
    if (f != nullptr) std::fclose(f);
    return text;
  }
  testing::TempFolder folder;
  std::string errFile = folder.file("stderr.txt");
};

TEST_F(ZarvexListTest, PrintsPlainTextByDefaultAndTheDocumentWithRtf) {
  const std::string path = folder.file("p.AMOS");
  testing::writeFile(path, testing::programFile("T", {testing::TokenLine().token(0x0476).string("\xE9")}));
  ListRun run = runList("'" + path + "'", errFile);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Print \"\xC3\xA9\"\n") << "ISO-8859-1 becomes UTF-8";
  run = runList("--rtf '" + path + "'", errFile);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.ends_with("{\\b Print }{\\cf3 \"\xE9\"}\\par\r\n}"));
  EXPECT_NE(err().find("does not start like an AMOS program"), std::string::npos) << "its header is \"T\"";
}

TEST_F(ZarvexListTest, ExitStatusTellsWhatWentWrong) {
  const std::string good = folder.file("good.AMOS");
  testing::writeFile(good, testing::programFile("T", {testing::TokenLine().token(0x1234)}));
  const std::string damaged = folder.file("damaged.AMOS");
  testing::Bytes cut = testing::programFile("T", {testing::TokenLine().string("long text here")});
  cut.resize(cut.size() - 4);
  testing::writeFile(damaged, cut);
  const std::string big = folder.file("big.AMOS");
  testing::writeFile(big, testing::Bytes(1048577, 0));

  EXPECT_EQ(runList("'" + good + "'", errFile).status, 0);
  EXPECT_NE(err().find("Document contains:"), std::string::npos) << "the summary goes to standard error";
  EXPECT_EQ(runList("'" + damaged + "'", errFile).status, 3);
  EXPECT_NE(err().find("ends early"), std::string::npos);
  EXPECT_EQ(runList("'" + folder.file("absent.AMOS") + "'", errFile).status, 1);
  EXPECT_NE(err().find("File not found"), std::string::npos);
  EXPECT_EQ(runList("'" + big + "'", errFile).status, 1);
  EXPECT_NE(err().find("File too big protection error"), std::string::npos);
  EXPECT_EQ(runList("'" + damaged + "' '" + folder.file("absent.AMOS") + "'", errFile).status, 1);
  EXPECT_EQ(runList("", errFile).status, 2);
  EXPECT_NE(err().find("Usage:"), std::string::npos);
  EXPECT_EQ(runList("--bogus '" + good + "'", errFile).status, 2);
  // Options that choose different outputs, or do not apply, are wrong usage.
  for (const char* options : {"--asc --rtf", "--text --rtf", "--banks --asc", "--banks --complete", "--banks --quiet"}) {
    EXPECT_EQ(runList(std::string(options) + " '" + good + "'", errFile).status, 2) << options;
    EXPECT_NE(err().find("Usage:"), std::string::npos) << options;
  }
  EXPECT_EQ(runList("--rtf --rtf '" + good + "'", errFile).status, 0) << "the same choice twice is no conflict";
}

TEST_F(ZarvexListTest, CompleteStyleAndTheEditorsText) {
  const std::string path = folder.file("c.AMOS");
  // Print "é" : Dialog Box, a token only the complete vocabulary knows.
  testing::writeFile(path, testing::amosFile({testing::TokenLine().token(0x0476).string("\xE9").token(0x0054).token(
                               0x26E8)}));
  ListRun run = runList("--asc '" + path + "'", errFile);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Print \"\xE9\" : Dialog Box\n") << "ISO-8859-1 bytes, as the editor saves them";
  EXPECT_EQ(err(), "") << "every token decoded, so no summary";
  run = runList("--complete '" + path + "'", errFile);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Print \"\xC3\xA9\" : Dialog Box\n");
  run = runList("--complete --rtf '" + path + "'", errFile);
  EXPECT_TRUE(run.out.ends_with("{\\b Print }{\\cf3 \"\xE9\"} {\\b : Dialog Box}\\par\r\n}")) << run.out;
  run = runList("'" + path + "'", errFile);
  EXPECT_NE(run.out.find("<!--"), std::string::npos) << "classic stays the default";
  EXPECT_NE(err().find("1 Undefined calls"), std::string::npos);
  run = runList("--quiet '" + path + "'", errFile);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(err(), "") << "--quiet leaves the summary out";

  // A file that is no program is refused; a damaged one is listed up to the damage.
  const std::string picture = folder.file("picture.AMOS");
  testing::writeFile(picture, testing::Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  run = runList("--asc '" + picture + "'", errFile);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.out.empty());
  EXPECT_NE(err().find("picture.AMOS does not start like an AMOS program"), std::string::npos) << err();
  testing::Bytes cut = testing::amosFile({testing::TokenLine().token(0x0476), testing::TokenLine().string("long text")});
  cut.resize(20 + 4 + 6);
  testing::writeFile(path, cut);
  run = runList("--asc '" + path + "'", errFile);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out, "Print \n\n");
  EXPECT_NE(err().find("The file ends early, at offset 28"), std::string::npos) << err();
}

TEST_F(ZarvexListTest, EncipheredProceduresAreListedDeciphered) {
  SKIP_WITHOUT_LOCKED_PROGRAMS();
  for (const char* name : {"Menus_9.AMOS", "Tiny_Shell.AMOS", "Disc_Manager.AMOS"}) {
    const std::filesystem::path program = testing::lockedFolder() / name;
    const std::string before = testing::readBytes(program);
    const ListRun run = runList("--asc --quiet '" + program.string() + "'", errFile);
    EXPECT_EQ(run.status, 0) << name;
    EXPECT_EQ(err(), "") << name;
    EXPECT_TRUE(run.out == testing::readBytes(testing::lockedFolder() / "expected" / (std::string(name) + ".asc")))
        << name << ": --asc differs";
    EXPECT_TRUE(testing::readBytes(program) == before) << name;
  }
}

TEST_F(ZarvexListTest, AnEncipheredProcedureThatCannotBeDecipheredIsDamageAndTheRestIsListed) {
  // Size field 0: its range cannot be walked to an End Proc line.
  const std::string path = folder.file("locked.AMOS");
  using testing::TokenLine;
  const TokenLine procedure = TokenLine().token(0x0376, {0, 0, 0, 0, 0, 0, 0xE0, 0x5D}).variable("p").token(0);
  testing::writeFile(path, testing::amosFile({procedure, TokenLine(1).token(0x0476).decimal(1).token(0),
                                              TokenLine().token(0x0390).token(0), TokenLine().token(0x0476).token(0)}));
  const ListRun run = runList("--asc --quiet '" + path + "'", errFile);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out, "Procedure P\n {locked}\nEnd Proc\nPrint \n");
  EXPECT_NE(err().find("damaged at offset 20: the locked procedure there cannot be deciphered"), std::string::npos)
      << err();
}

TEST_F(ZarvexListTest, BanksAreListedAndExtractedWithHonestStatuses) {
  const std::string demo = folder.file("demo.AMOS");
  testing::writeFile(demo, testing::demoProgram());
  ListRun run = runList("--banks '" + demo + "'", errFile);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "1 Sprites chip 750 4 images\n5 Samples chip 2440 1 samples\n");

  const std::string text = folder.file("text.abk");
  testing::writeFile(text, {'n', 'o', 't', ' ', 'a', ' ', 'b', 'a', 'n', 'k'});
  run = runList("--banks '" + text + "'", errFile);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(err().find("neither an AMOS program nor a bank file"), std::string::npos);

  const std::string out = folder.file("out");
  std::filesystem::create_directory(out);
  run = runList("--extract '" + out + "' '" + demo + "'", errFile);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(std::filesystem::exists(out + "/demo.AMOS.bank05.sample001.wav"));
  // A folder that cannot take the files is a failure, never success.
  run = runList("--extract '" + folder.file("absent") + "' '" + demo + "'", errFile);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(err().find("Cannot write"), std::string::npos) << err();
  EXPECT_EQ(runList("--extract", errFile).status, 2);
}

TEST_F(ZarvexListTest, HelpAndVersion) {
  ListRun run = runList("--help", errFile);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.starts_with("Usage: zarvex-list"));
  run = runList("--version", errFile);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "zarvex-list 0.3.8 (file version 0.03.0008)\n");
}

TEST_F(ZarvexListTest, RelativePathsMeanTheCallersFolder) {
  testing::writeFile(folder.file("rel.AMOS"), testing::programFile("T", {testing::TokenLine().token(0x0286)}));
  const std::string command = "cd '" + folder.path().string() + "' && " + ZARVEX_LIST_PATH + " rel.AMOS 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[64] = {};
  const std::size_t got = std::fread(buffer, 1, sizeof buffer - 1, pipe);
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_EQ(std::string(buffer, got), "Loop\n");
}

}  // namespace
}  // namespace zarvex
