// Options > Highlight: switching the shown listing between highlighted and
// plain without decoding again, keeping caret and selection.
#include "highlight_switch.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTextLayout>
#include <filesystem>

#include "amos_program_builder.h"
#include "rich_text_view.h"
#include "temp_folder.h"
#include "window_fakes.h"

namespace zarvex {
namespace {

using testing::TestWindow;
using testing::TokenLine;

// The first line's keyword, after its indentation.
bool firstLineIsBold(const RichTextView& view) {
  const auto keyword = view.plainText().find_first_not_of(' ');
  return keyword != std::string::npos && view.lookAt(static_cast<std::int32_t>(keyword)).bold;
}

class HighlightSwitchTest : public ::testing::Test {
 protected:
  // A listing of `lines` lines, about 40 characters each.
  std::string writeProgram(int lines) {
    std::vector<TokenLine> program;
    for (int i = 0; i < lines; ++i) {
      program.push_back(TokenLine(2).token(0x0476).string("line number").decimal(i).token(0xFFC0).number(0.5f));
    }
    const std::string path = folder.file("long.AMOS");
    testing::writeFile(path, testing::amosFile(program));
    return path;
  }

  testing::TempFolder folder;
};

TEST_F(HighlightSwitchTest, SwitchesModeFromTheStoredDocumentWithoutReadingTheFile) {
  const std::string path = writeProgram(3);
  TestWindow t;
  frmZarvex& w = *t.window;
  w.mnuOptionHighlight->trigger();  // off before the load
  EXPECT_FALSE(w.mnuOptionHighlight->isChecked());
  t.dialog->paths = {QString::fromStdString(path)};
  w.mnuOpen_Click();
  const std::string document = w.RtfDocument();
  const std::string text = w.txtOutput->plainText();
  EXPECT_FALSE(w.txtOutput->showsRtf());
  EXPECT_FALSE(firstLineIsBold(*w.txtOutput));

  std::filesystem::remove(path);  // nothing may read it again
  w.mnuOptionHighlight->trigger();
  EXPECT_TRUE(w.mnuOptionHighlight->isChecked());
  EXPECT_TRUE(w.txtOutput->showsRtf());
  EXPECT_TRUE(firstLineIsBold(*w.txtOutput));
  EXPECT_EQ(w.txtOutput->plainText(), text);
  EXPECT_EQ(w.RtfDocument(), document);

  w.mnuOptionHighlight->trigger();
  EXPECT_FALSE(w.mnuOptionHighlight->isChecked());
  EXPECT_FALSE(w.txtOutput->showsRtf());
  EXPECT_EQ(w.txtOutput->plainText(), text);
  EXPECT_EQ(w.RtfDocument(), document);
  EXPECT_TRUE(t.messages->shown.empty());
}

TEST_F(HighlightSwitchTest, KeepsCaretAndSelectionFarIntoALongListing) {
  TestWindow t(QString::fromStdString(writeProgram(6000)));
  frmZarvex& w = *t.window;
  ASSERT_GT(w.txtOutput->plainText().size(), 150000u);
  for (const auto& [start, length] : {std::pair{123457, 0}, std::pair{100001, 2345}, std::pair{0, 17}}) {
    w.txtOutput->setSelectionStart(start);
    w.txtOutput->setSelectionLength(length);
    for (int flip = 0; flip < 2; ++flip) {
      w.mnuOptionHighlight_Click();
      EXPECT_EQ(w.txtOutput->selectionStart(), start) << "flip " << flip;
      EXPECT_EQ(w.txtOutput->selectionLength(), length) << "flip " << flip;
    }
  }
}

TEST_F(HighlightSwitchTest, SwitchingTwiceGivesBackContentAndMode) {
  TestWindow t(QString::fromStdString(writeProgram(5)));
  frmZarvex& w = *t.window;
  const std::string text = w.txtOutput->plainText();
  w.txtOutput->setSelectionStart(10);
  w.txtOutput->setSelectionLength(5);
  w.mnuOptionHighlight_Click();
  w.mnuOptionHighlight_Click();
  EXPECT_TRUE(w.mnuOptionHighlight->isChecked());
  EXPECT_TRUE(w.txtOutput->showsRtf());
  EXPECT_TRUE(firstLineIsBold(*w.txtOutput));
  EXPECT_EQ(w.txtOutput->plainText(), text);
  EXPECT_EQ(w.txtOutput->selectionStart(), 10);
  EXPECT_EQ(w.txtOutput->selectionLength(), 5);
}

TEST_F(HighlightSwitchTest, BeforeAnyLoadTickingEmptiesAndUntickingKeepsText) {
  TestWindow t;
  frmZarvex& w = *t.window;
  w.txtOutput->setPlainText(std::string("typed text"));
  w.mnuOptionHighlight_Click();  // ticked -> plain: the view's own text, unformatted
  EXPECT_FALSE(w.mnuOptionHighlight->isChecked());
  EXPECT_EQ(w.txtOutput->plainText(), "typed text");
  w.mnuOptionHighlight_Click();  // unticked -> the empty document: an empty view
  EXPECT_TRUE(w.mnuOptionHighlight->isChecked());
  EXPECT_EQ(w.txtOutput->plainText(), "");
  EXPECT_TRUE(w.RtfDocument().empty());
}

TEST_F(HighlightSwitchTest, LoadPresentsInTheCurrentMode) {
  const std::string path = writeProgram(2);
  TestWindow t(QString::fromStdString(path));
  EXPECT_TRUE(t.window->txtOutput->showsRtf());
  t.window->mnuOptionHighlight_Click();
  t.dialog->paths = {QString::fromStdString(path)};
  t.window->mnuOpen_Click();
  EXPECT_FALSE(t.window->mnuOptionHighlight->isChecked()) << "a load never changes the mode";
  EXPECT_FALSE(t.window->txtOutput->showsRtf());
}

}  // namespace
}  // namespace zarvex
