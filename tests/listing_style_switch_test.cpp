// Options > Complete Vocabulary: listing the file in memory again in the
// other style, keeping the highlight mode, caret and selection; the choice
// remembered; the status bar; files the complete style refuses.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QScrollBar>
#include <filesystem>

#include "amos_program_builder.h"
#include "complete_walk.h"
#include "outline.h"
#include "corpus.h"
#include "rich_text_view.h"
#include "temp_folder.h"
#include "window_fakes.h"

namespace zarvex {
namespace {

using testing::TestWindow;
using testing::TokenLine;

constexpr std::uint16_t kPrint = 0x0476;
constexpr std::uint16_t kDialogBox = 0x26E8;  // in the complete table only
constexpr std::uint16_t kOpenBracket = 0x0074;

class ListingStyleSwitchTest : public ::testing::Test {
 protected:
  // `lines` lines, each with a token the classic vocabulary cannot decode.
  std::string writeProgram(int lines, const std::string& name = "styles.AMOS") {
    std::vector<TokenLine> program;
    for (int i = 0; i < lines; ++i) {
      program.push_back(TokenLine(2).variable("r").token(0xFFA2).token(kDialogBox).token(kOpenBracket).string(
          "line").token(0x007C).token(0x0054).token(kPrint).decimal(i));
    }
    const std::string path = folder.file(name);
    testing::writeFile(path, testing::amosFile(program));
    return path;
  }

  static std::string completeText(const std::string& path) {
    const std::string bytes = testing::readBytes(path);
    return WalkCompleteListing({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}).text;
  }

  testing::TempFolder folder;
};

TEST_F(ListingStyleSwitchTest, TickingListsTheImageInMemoryAgainInEitherHighlightMode) {
  const std::string path = writeProgram(3);
  const std::string complete = completeText(path);
  for (bool highlighted : {true, false}) {
    TestWindow t(QString::fromStdString(path));
    frmZarvex& w = *t.window;
    if (!highlighted) w.mnuOptionHighlight_Click();
    const std::string classicDocument = w.RtfDocument();
    const std::string classicText = w.txtOutput->plainText();
    t.messages->shown.clear();
    const std::string copy = folder.file("gone.AMOS");
    std::filesystem::rename(path, copy);  // nothing may read the file again

    w.mnuOptionComplete->trigger();
    EXPECT_TRUE(w.mnuOptionComplete->isChecked());
    EXPECT_EQ(w.listingStyle(), ListingStyle::Complete);
    EXPECT_EQ(w.mnuOptionHighlight->isChecked(), highlighted);
    EXPECT_EQ(w.txtOutput->showsRtf(), highlighted);
    EXPECT_EQ(w.txtOutput->plainText(), complete);
    EXPECT_TRUE(t.messages->shown.empty()) << "a switch tells its counts in the status bar only";

    w.mnuOptionComplete->trigger();
    EXPECT_FALSE(w.mnuOptionComplete->isChecked());
    EXPECT_EQ(w.RtfDocument(), classicDocument);
    EXPECT_EQ(w.txtOutput->plainText(), classicText);
    std::filesystem::rename(copy, path);
  }
}

TEST_F(ListingStyleSwitchTest, StyleAndHighlightSwitchesInEitherOrderKeepTheLineAndGiveTheSelectionBack) {
  // Every line reads otherwise in the two styles (a token only the complete
  // vocabulary knows): a style switch keeps the caret's program line, and the
  // switch back gives the selection back while nothing else moved.
  TestWindow t(QString::fromStdString(writeProgram(400)));
  frmZarvex& w = *t.window;
  RichTextView& view = *w.txtOutput;
  for (const auto& [start, length] : {std::pair{5000, 12}, std::pair{10, 0}}) {
    view.setSelectionStart(start);
    view.setSelectionLength(length);
    const int line = view.currentLine();
    for (int step = 0; step < 4; ++step) {
      // style, highlight, style, highlight: every combination passes by.
      if (step % 2 == 0) {
        w.mnuOptionComplete_Click();
      } else {
        w.mnuOptionHighlight_Click();
      }
      EXPECT_EQ(view.lineOf(view.selectionStart()) + 1, line) << "step " << step;
      if (step < 2) {
        EXPECT_EQ(view.selectionStart(), view.lineStart(line)) << "another text there: the line's start, step " << step;
        EXPECT_EQ(view.selectionLength(), 0) << "step " << step;
      } else {
        EXPECT_EQ(view.selectionStart(), start) << "step " << step;
        EXPECT_EQ(view.selectionLength(), length) << "step " << step;
      }
    }
  }
}

TEST_F(ListingStyleSwitchTest, TheChoiceIsRememberedAndUsedByTheNextRunsLoads) {
  const std::string path = writeProgram(2);
  auto settings = testing::freshSettings();
  {
    TestWindow first(QString(), settings);
    first.window->mnuOptionComplete_Click();  // before any load: just the choice
    EXPECT_TRUE(first.window->mnuOptionComplete->isChecked());
  }
  TestWindow second(QString::fromStdString(path), settings);
  EXPECT_TRUE(second.window->mnuOptionComplete->isChecked());
  EXPECT_EQ(second.window->txtOutput->plainText(), completeText(path));
  second.window->mnuOptionComplete_Click();
  TestWindow third(QString(), settings);
  EXPECT_FALSE(third.window->mnuOptionComplete->isChecked());
}

TEST_F(ListingStyleSwitchTest, StatusBarNamesTheStyleAndPointsClassicReadersToTheCompleteOne) {
  TestWindow t;
  frmZarvex& w = *t.window;
  EXPECT_EQ(w.lblStatus->text(), "Classic vocabulary");
  t.dialog->paths = {QString::fromStdString(writeProgram(4))};
  w.mnuOpen_Click();
  EXPECT_TRUE(w.lblStatus->text().startsWith("Classic vocabulary"));
  EXPECT_TRUE(w.lblStatus->text().contains("4 tokens undecoded")) << w.lblStatus->text().toStdString();
  EXPECT_TRUE(w.lblStatus->text().contains("Complete Vocabulary decodes them"));
  w.mnuOptionComplete_Click();
  EXPECT_TRUE(w.lblStatus->text().startsWith("Complete vocabulary"));
}

TEST_F(ListingStyleSwitchTest, AFileThatIsNoProgramIsRefusedByTheCompleteStyleAndNothingChanges) {
  const std::string picture = folder.file("picture.AMOS");
  testing::writeFile(picture, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                               0, 0, 1, 0, 0, 0, 0, 200});
  TestWindow t(QString::fromStdString(picture));
  frmZarvex& w = *t.window;
  EXPECT_TRUE(w.lblStatus->text().contains("picture.AMOS does not start like an AMOS program; the listing may be meaningless"))
      << w.lblStatus->text().toStdString();
  const std::string document = w.RtfDocument();
  const QString title = w.windowTitle();
  t.messages->shown.clear();
  w.mnuOptionComplete_Click();
  ASSERT_EQ(t.messages->shown.size(), 1u);
  EXPECT_TRUE(t.messages->shown[0].text.contains("picture.AMOS does not start like an AMOS program"))
      << t.messages->shown[0].text.toStdString();
  EXPECT_FALSE(w.mnuOptionComplete->isChecked());
  EXPECT_EQ(w.RtfDocument(), document);

  // Opened while the complete style is on: refused like a missing file.
  const std::string program = writeProgram(1);
  TestWindow c(QString::fromStdString(program));
  c.window->mnuOptionComplete_Click();
  const std::string shown = c.window->txtOutput->plainText();
  c.messages->shown.clear();
  c.dialog->paths = {QString::fromStdString(picture)};
  c.window->mnuOpen_Click();
  ASSERT_EQ(c.messages->shown.size(), 1u);
  EXPECT_TRUE(c.messages->shown[0].text.startsWith("Error loading file:"));
  EXPECT_EQ(c.window->txtOutput->plainText(), shown);
  EXPECT_TRUE(c.window->windowTitle().endsWith("styles.AMOS"));
  EXPECT_NE(title, c.window->windowTitle());
}

}  // namespace
}  // namespace zarvex

namespace zarvex {
namespace {

using testing::TestWindow;

// The text of the listing line that holds the caret.
std::string caretLineText(const RichTextView& view) {
  const std::string_view text = view.characters();
  const std::size_t start = static_cast<std::size_t>(view.lineStart(view.currentLine()));
  return std::string(text.substr(start, text.find('\n', start) - start));
}

TEST(ListingStyleSwitch, KeepsTheProgramLineWhereTheStylesLayItOutInDifferentLines) {
  SKIP_WITHOUT_CORPUS();
  // The classic listing reads an extension token of this program with the
  // wrong length and loses its lines for a while: 140 lines against 134.
  TestWindow t(QString::fromStdString((testing::corpusFolder() / "Examples/Examples/H-0/Help_9.AMOS").string()));
  frmZarvex& w = *t.window;
  w.show();
  RichTextView& view = *w.txtOutput;
  ASSERT_EQ(view.lineCount(), 141);
  const auto at = view.characters().find("   For N=1 To 15\n");
  ASSERT_NE(at, std::string_view::npos);
  view.select(static_cast<std::int32_t>(at) + 7, static_cast<std::int32_t>(at) + 10);
  ASSERT_EQ(view.selectedText(), "N=1");
  const int line = view.currentLine();
  view.verticalScrollBar()->setValue(line - 20);
  const int below = line - view.firstVisibleLine();
  ASSERT_GT(below, 10) << "lines between the top and the caret, where the styles differ";
  const std::string topText = std::string(view.characters().substr(static_cast<std::size_t>(view.lineStart(line - below)), 20));

  const std::span<const std::uint8_t> file(w.FileBytes().data(), static_cast<std::size_t>(w.FileLength()));
  const auto classicOrigins = listingLineOrigins(file, ListingStyle::Classic);
  const auto completeOrigins = listingLineOrigins(file, ListingStyle::Complete);
  const int top = view.firstVisibleLine();

  w.mnuOptionComplete_Click();
  EXPECT_EQ(view.lineCount(), 135);
  EXPECT_EQ(caretLineText(view), "   For N=1 To 15");
  EXPECT_EQ(view.selectedText(), "N=1") << "the same characters there: the selection stays";
  // At the top, the complete line of the program line the classic top line
  // came from (that one a line of the classic listing's own making), as far
  // as the view scrolls.
  const std::int64_t topOrigin = classicOrigins[static_cast<std::size_t>(top - 1)];
  const auto wanted = static_cast<int>(std::upper_bound(completeOrigins.begin(), completeOrigins.end(), topOrigin) -
                                       completeOrigins.begin());
  EXPECT_EQ(view.firstVisibleLine(), std::min(wanted, view.verticalScrollBar()->maximum() + 1));
  EXPECT_LT(wanted, view.currentLine());

  // Back again, untouched: exactly where it was.
  w.mnuOptionComplete_Click();
  EXPECT_EQ(view.currentLine(), line);
  EXPECT_EQ(view.selectedText(), "N=1");
  EXPECT_EQ(view.firstVisibleLine(), top);
  EXPECT_EQ(std::string(view.characters().substr(static_cast<std::size_t>(view.lineStart(top)), 20)), topText);

  // A line that reads otherwise in the other style: the caret goes to its start.
  const auto rem = view.characters().find("Rem  *** Wait");
  ASSERT_NE(rem, std::string_view::npos);
  view.select(static_cast<std::int32_t>(rem) + 5, static_cast<std::int32_t>(rem) + 8);
  const int remLine = view.currentLine();
  w.mnuOptionComplete_Click();
  EXPECT_EQ(view.selectionLength(), 0);
  EXPECT_EQ(caretLineText(view), "   Rem *** Wait for user input");
  EXPECT_EQ(view.caretPosition(), view.lineStart(remLine));
}

}  // namespace
}  // namespace zarvex
