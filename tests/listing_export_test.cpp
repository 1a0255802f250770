// The listing as Save As and Export write it: each format's bytes, and a web
// page that real parsers read without a complaint.
#include "listing_export.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

#include "amos_program_builder.h"
#include "corpus.h"
#include "demo_program.h"
#include "latin1_text.h"
#include "listing_style.h"
#include "recording_host.h"
#include "rtf_text.h"
#include "temp_folder.h"

namespace zarvex {
namespace {

ListingState listed(const testing::Bytes& file, ListingStyle style) {
  ListingState state;
  state.FileBytes.assign(file.begin(), file.end());
  state.FileBytes.push_back(0);
  state.FileLength = static_cast<std::int32_t>(file.size());
  testing::RecordingHost host;
  DecodeListing(state, host, style);
  return state;
}

// Runs a checker on `text` written to a file; its exit status and output.
std::pair<int, std::string> check(const std::string& command, const std::string& text) {
  testing::TempFolder folder;
  const std::string path = folder.file("page.html");
  testing::writeFile(path, testing::Bytes(text.begin(), text.end()));
  FILE* pipe = popen((command + " '" + path + "' 2>&1").c_str(), "r");
  std::string output;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(ListingExport, FileTypesNameTheFormat) {
  EXPECT_EQ(exportFormatOf("a.rtf"), ExportFormat::Rtf);
  EXPECT_EQ(exportFormatOf("A.TXT"), ExportFormat::Text);
  EXPECT_EQ(exportFormatOf("dir.x/b.Asc"), ExportFormat::Asc);
  EXPECT_EQ(exportFormatOf("b.htm"), ExportFormat::Html);
  EXPECT_EQ(exportFormatOf("b.HTML"), ExportFormat::Html);
  EXPECT_EQ(exportFormatOf("b.AMOS"), std::nullopt);
  EXPECT_EQ(exportFormatOf("noname"), std::nullopt);
}

TEST(ListingExport, TextRtfAndTheEditorsTextOfEitherStyle) {
  const testing::Bytes demo = testing::demoProgram();
  const ListingState classic = listed(demo, ListingStyle::Classic);
  const ListingState complete = listed(demo, ListingStyle::Complete);
  // For a word processor: the code page, a monospaced font, the body as the
  // document's with its bytes above 127 escaped.
  const std::string rtf = exportListing(classic, ExportFormat::Rtf, "demo");
  EXPECT_TRUE(rtf.starts_with("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}{\\colortbl;"));
  EXPECT_TRUE(std::none_of(rtf.begin(), rtf.end(), [](char c) { return static_cast<unsigned char>(c) > 127; }));
  EXPECT_TRUE(rtf.ends_with(classic.RtfDocument.substr(classic.RtfDocument.size() - 40)));
  ListingState accented;
  accented.RtfDocument = std::string(kRtfHeader) + "Caf\xE9\\par\r\n}";
  EXPECT_TRUE(exportListing(accented, ExportFormat::Rtf, "x").ends_with("Caf\\'e9\\par\r\n}"));
  const std::string classicText = exportListing(classic, ExportFormat::Text, "demo");
  EXPECT_TRUE(classicText.starts_with("` Zarvex demo: a bouncing ball\nRem  Open"));
  EXPECT_TRUE(classicText.ends_with("End Proc\n"));
  EXPECT_EQ(exportListing(complete, ExportFormat::Text, "demo"), latin1ToUtf8(complete.PlainListing));
  // The editor's text comes from the file, whichever style is shown.
  EXPECT_EQ(exportListing(classic, ExportFormat::Asc, "demo"), complete.PlainListing);
  ListingState picture;
  picture.FileBytes = {'G', 'I', 'F', '8', '9', 'a', 0};
  picture.FileLength = 6;
  EXPECT_EQ(exportListing(picture, ExportFormat::Asc, "p"), "");
}

TEST(ListingExport, TheWebPageIsValidAndShowsTheWindowsColours) {
  const testing::Bytes file = testing::amosFile(
      {testing::TokenLine().token(0x0476).string("<a & \"b\"> \xE9\x01\x85").token(0x0054).decimal(7)});
  const ListingState state = listed(file, ListingStyle::Classic);
  const std::string page = exportListing(state, ExportFormat::Html, "Tom & <Jerry>");
  EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\n<html lang=\"en\">"));
  EXPECT_NE(page.find("<title>Tom &amp; &lt;Jerry&gt;</title>"), std::string::npos);
  EXPECT_NE(page.find("<span style=\"font-weight: bold;\">Print </span>"), std::string::npos) << page;
  EXPECT_NE(page.find("<span style=\"color: #0000ff;\">&quot;&lt;a &amp; &quot;b&quot;&gt; \xC3\xA9\xE2\x90\x81\xEF\xBF\xBD&quot;</span>"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("<span style=\"color: #ff0000;\">7</span>"), std::string::npos);

  // libxml2 reads it as XML (well formed) and as HTML, without a complaint.
  const auto asXml = check("xmllint --noout", page);
  EXPECT_EQ(asXml.first, 0) << asXml.second;
  EXPECT_EQ(asXml.second, "");
  const auto asHtml = check("xmllint --html --noout", page);
  EXPECT_EQ(asHtml.first, 0) << asHtml.second;
  EXPECT_EQ(asHtml.second, "");
}

TEST(ListingExport, TheWebPagesTitleKeepsAUtf8FileNameAndReadsOtherBytesAsLatin1) {
  ListingState state;
  state.RtfDocument = std::string(kRtfHeader) + "Print\\par\r\n}";
  const std::string utf8 = exportListing(state, ExportFormat::Html, "caf\xC3\xA9.AMOS");
  EXPECT_NE(utf8.find("<title>caf\xC3\xA9.AMOS</title>"), std::string::npos);
  const std::string latin1 = exportListing(state, ExportFormat::Html, "caf\xE9.AMOS");
  EXPECT_NE(latin1.find("<title>caf\xC3\xA9.AMOS</title>"), std::string::npos);
}

TEST(ListingExport, EveryRealProgramMakesAValidPage) {
  SKIP_WITHOUT_CORPUS();
  for (const std::string& program : testing::corpusPrograms()) {
    const std::string bytes = testing::readBytes(testing::corpusFolder() / program);
    const ListingState state = listed(testing::Bytes(bytes.begin(), bytes.end()), ListingStyle::Complete);
    const auto result = check("xmllint --noout", exportListing(state, ExportFormat::Html, program));
    EXPECT_EQ(result.first, 0) << program << ": " << result.second.substr(0, 300);
  }
}

}  // namespace
}  // namespace zarvex
