// Timed harness for the window on Qt's offscreen platform: loading and
// presenting the 1 MiB benchmark program, switching Highlight each way and
// the listing style, scrolling a page, going to a line, and its outline.
// Prints medians and the process's peak memory.
//
//   QT_QPA_PLATFORM=offscreen zarvex_window_bench bench.AMOS [runs]
//   QT_QPA_PLATFORM=offscreen zarvex_window_bench --tabs FOLDER
//
// The second form opens the ten largest programs under FOLDER in tabs of one
// window and prints the process's peak memory with them open.
#include <sys/resource.h>

#include <QApplication>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <functional>
#include <vector>

#include <QScrollBar>

#include "frm_zarvex.h"
#include "outline.h"
#include "rich_text_view.h"
#include "window_fakes.h"

namespace {

double medianMs(int runs, const std::function<void()>& setUp, const std::function<void()>& body) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    setUp();
    const auto start = std::chrono::steady_clock::now();
    body();
    QApplication::processEvents();  // layout and paint of what was just shown
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

double peakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

int tenTabs(const char* folder, char** argv) {
  std::vector<std::filesystem::path> programs;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::string extension = entry.path().extension().string();
    if (entry.is_regular_file() && (extension == ".AMOS" || extension == ".amos")) {
      programs.push_back(std::filesystem::absolute(entry.path()));  // the window changes folder as it opens
    }
  }
  std::sort(programs.begin(), programs.end(), [](const auto& a, const auto& b) {
    return std::filesystem::file_size(a) > std::filesystem::file_size(b);
  });
  programs.resize(std::min<std::size_t>(programs.size(), 10));
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  zarvex::testing::TestWindow t;
  t.window->show();
  std::uintmax_t bytes = 0;
  for (const auto& program : programs) {
    t.dialog->paths = {QString::fromStdString(program.string())};
    t.window->mnuOpen_Click();
    QApplication::processEvents();
    bytes += std::filesystem::file_size(program);
  }
  std::printf("window: ten tabs (%d open, %.0f KB of programs), peak resident memory %.1f MB\n", t.window->tabCount(),
              static_cast<double>(bytes) / 1024.0, peakMegabytes());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || (std::string_view(argv[1]) == "--tabs" && argc < 3)) {
    std::fprintf(stderr, "usage: zarvex_window_bench FILE [runs]\n       zarvex_window_bench --tabs FOLDER\n");
    return 2;
  }
  if (std::string_view(argv[1]) == "--tabs") return tenTabs(argv[2], argv);
  const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 11;
  int qtArgc = 1;
  QApplication app(qtArgc, argv);

  zarvex::testing::TestWindow t;
  zarvex::frmZarvex& window = *t.window;
  window.show();
  QApplication::processEvents();

  const double load = medianMs(runs, [&] { t.dialog->paths = {path}; }, [&] { window.mnuOpen_Click(); });
  const std::size_t characters = window.txtOutput->plainText().size();
  if (characters == 0) {
    std::fprintf(stderr, "the benchmark program did not load: %s\n",
                 t.messages->shown.empty() ? "no message" : qPrintable(t.messages->shown.back().text));
    return 1;
  }
  window.txtOutput->setSelectionStart(static_cast<std::int32_t>(characters / 2));

  // Each run switches off then on; time each direction separately.
  std::vector<double> toPlain, toHighlighted;
  for (int i = 0; i < runs; ++i) {
    toPlain.push_back(medianMs(1, [] {}, [&] { window.mnuOptionHighlight_Click(); }));
    toHighlighted.push_back(medianMs(1, [] {}, [&] { window.mnuOptionHighlight_Click(); }));
  }
  std::sort(toPlain.begin(), toPlain.end());
  std::sort(toHighlighted.begin(), toHighlighted.end());

  // A style switch each way, a page of scrolling, a jump to a line, and the
  // outline of the program.
  std::vector<double> styleSwitches;
  for (int i = 0; i < runs; ++i) styleSwitches.push_back(medianMs(1, [] {}, [&] { window.mnuOptionComplete_Click(); }));
  std::sort(styleSwitches.begin(), styleSwitches.end());
  if (window.listingStyle() != zarvex::ListingStyle::Classic) window.mnuOptionComplete_Click();
  QScrollBar* scroll = window.txtOutput->verticalScrollBar();
  const double page = medianMs(runs, [&] { scroll->setValue(scroll->maximum() / 3); },
                               [&] { scroll->setValue(scroll->value() + scroll->pageStep()); });
  int target = 1;
  const double jump = medianMs(runs, [&] { target = (target * 7919) % 20000 + 1; }, [&] { window.goToLine(target); });
  const std::span<const std::uint8_t> file(window.FileBytes().data(), static_cast<std::size_t>(window.FileLength()));
  std::size_t entries = 0;
  const double outline = medianMs(runs, [] {}, [&] { entries = zarvex::buildOutline(file, zarvex::ListingStyle::Complete).size(); });

  std::printf("window: %zu characters in the pane, %d runs\n", characters, runs);
  std::printf("window: load and present, median %.1f ms\n", load);
  std::printf("window: Highlight off (to plain), median %.1f ms\n", toPlain[toPlain.size() / 2]);
  std::printf("window: Highlight on (from document), median %.1f ms\n", toHighlighted[toHighlighted.size() / 2]);
  std::printf("window: style switch, median %.1f ms\n", styleSwitches[styleSwitches.size() / 2]);
  std::printf("window: a page of scrolling, median %.1f ms\n", page);
  std::printf("window: Go to Line, median %.1f ms\n", jump);
  std::printf("window: outline (%zu entries), median %.2f ms\n", entries, outline);
  std::printf("window: peak resident memory %.1f MB\n", peakMegabytes());
  return 0;
}
