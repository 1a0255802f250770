// zarvex-list: prints the listing of tokenised AMOS programs to standard output.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "amos_loader.h"
#include "console_host.h"
#include "file_system.h"
#include "latin1_text.h"
#include "runtime_error.h"
#include "version_record.h"

namespace {

enum ExitStatus { kOk = 0, kCannotLoad = 1, kUsage = 2, kDamaged = 3 };

constexpr const char* kUsageText =
    "Usage: zarvex-list [--rtf | --text] FILE...\n"
    "Prints the listing of each tokenised AMOS program to standard output.\n"
    "\n"
    "  --text     plain listing in UTF-8, one line per program line (default)\n"
    "  --rtf      the highlighted listing document, byte for byte\n"
    "  --help     show this help\n"
    "  --version  show the version\n"
    "\n"
    "Messages go to standard error. Exit status: 0 success, 1 a file could not be\n"
    "loaded, 2 wrong usage, 3 a file was damaged (listed as far as it goes).\n";

void writeAll(const std::string& bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

}  // namespace

int main(int argc, char** argv) {
  bool rtf = false;
  bool optionsEnd = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!optionsEnd && arg == "--") {
      optionsEnd = true;
    } else if (!optionsEnd && arg == "--rtf") {
      rtf = true;
    } else if (!optionsEnd && arg == "--text") {
      rtf = false;
    } else if (!optionsEnd && (arg == "--help" || arg == "-h")) {
      std::cout << kUsageText;
      return kOk;
    } else if (!optionsEnd && arg == "--version") {
      std::cout << "zarvex-list " << zarvex::version::kMajor << '.' << zarvex::version::kMinor << '.'
                << zarvex::version::kRevision << " (file version " << zarvex::version::kFileVersion << ")\n";
      return kOk;
    } else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
      std::cerr << "zarvex-list: unknown option " << arg << "\n\n" << kUsageText;
      return kUsage;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    std::cerr << "zarvex-list: no file named\n\n" << kUsageText;
    return kUsage;
  }
  // Loading makes the program's folder current, so fix every path first.
  for (auto& file : files) file = zarvex::absolutePath(file);

  int status = kOk;
  zarvex::ConsoleHost host(rtf, std::cerr);
  for (const auto& file : files) {
    host.setCurrentFile(file);
    zarvex::ListingState state;
    try {
      const auto result = zarvex::LoadAmosFile(file, state, host);
      using Outcome = zarvex::LoadResult::Outcome;
      if (result.outcome == Outcome::TooBig) {
        status = kCannotLoad;
        continue;
      }
      if (result.outcome != Outcome::Loaded && status == kOk) status = kDamaged;
    } catch (const zarvex::RuntimeError& e) {
      std::cerr << "zarvex-list: " << file << ": Error loading file: " << e.description() << '\n';
      status = kCannotLoad;
      continue;
    }
    if (rtf) {
      writeAll(state.RtfDocument);
    } else {
      writeAll(zarvex::latin1ToUtf8(host.view().plainText()));
    }
  }
  std::fflush(stdout);
  return status;
}
