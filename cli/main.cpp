// zarvex-list: prints the listing of tokenised AMOS programs to standard output.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <string>
#include <vector>

#include <unistd.h>

#include "amos_loader.h"
#include "bank_commands.h"
#include "bank_set.h"
#include "console_host.h"
#include "console_output.h"
#include "file_system.h"
#include "latin1_text.h"
#include "complete_walk.h"
#include "container_commands.h"
#include "container_files.h"
#include "listing_style.h"
#include "runtime_error.h"
#include "version_record.h"

namespace {

enum ExitStatus { kOk = 0, kCannotLoad = 1, kUsage = 2, kDamaged = 3, kIncomplete = 4 };

// Of two outcomes, the one to report: a file not loaded (or not written)
// outweighs an incomplete listing, which outweighs a damaged file.
int worse(int a, int b) {
  const auto rank = [](int status) { return status == kCannotLoad ? 3 : status == kIncomplete ? 2 : status == kDamaged ? 1 : 0; };
  return rank(b) > rank(a) ? b : a;
}

constexpr const char* kUsageText =
    "Usage: zarvex-list [--complete] [--text | --rtf] [--quiet] FILE...\n"
    "       zarvex-list --asc [--quiet] FILE...\n"
    "       zarvex-list --banks FILE...\n"
    "       zarvex-list --summary FILE...\n"
    "       zarvex-list --extract FOLDER FILE...\n"
    "       zarvex-list --render FOLDER FILE...\n"
    "       zarvex-list --files FILE...\n"
    "       zarvex-list --find TEXT [-i] FILE...\n"
    "Prints the listing of each tokenised AMOS program to standard output, or\n"
    "lists and extracts the memory banks of programs and bank files (.abk, .abs).\n"
    "\n"
    "  --text      plain listing in UTF-8, one line per program line (default)\n"
    "  --rtf       the highlighted listing document, byte for byte\n"
    "  --complete  list every token as the AMOS editor writes it (the complete\n"
    "              vocabulary) instead of the classic 207-token vocabulary\n"
    "  --asc       the complete listing as the AMOS editor saves it as text:\n"
    "              ISO-8859-1 bytes, a line feed after every line; unlike the\n"
    "              editor, every procedure is written whole, folded or locked\n"
    "  --quiet     leave out the count of extension and undecodable tokens\n"
    "  --banks     one line a bank: number, type, chip or fast, length in bytes,\n"
    "              and the number of images or samples\n"
    "  --summary   one line for each AMAL, resource, menu, tracker and music bank:\n"
    "              what it holds, or why it is damaged\n"
    "  --extract FOLDER\n"
    "              write each bank into FOLDER as NAME.bankNN.abk, with its images\n"
    "              (.imageMMM.png), packed picture (.picture.png), samples\n"
    "              (.sampleMMM.wav), AMAL text (.amal.txt), resource images\n"
    "              (.resourceMMM.png), messages and programs (.messages.txt,\n"
    "              .programs.txt), menu (.menu.txt), tracker module (.mod)\n"
    "  --render FOLDER\n"
    "              write the sound of each music and tracker bank into FOLDER as\n"
    "              NAME.bankNN.music.wav (16-bit stereo, 44,100 Hz, at most 10\n"
    "              minutes; a music bank's songs after the first as\n"
    "              NAME.bankNN.songK.music.wav)\n"
    "  --files     the inventory of disk images, archives and folders: one line\n"
    "              a member file (path, size, recorded size, kind, status), tab\n"
    "              separated, after a line \"# NAME\" for each\n"
    "  --find TEXT print NAME:LINE:TEXT for each line of the complete listing of\n"
    "              each program that holds TEXT; -i for any case. Exit status as\n"
    "              grep: 0 found, 1 nothing found, 2 an error\n"
    "  --help      show this help\n"
    "  --version   show the version\n"
    "\n"
    "Every FILE may be a folder (searched through), an Amiga disk image (.adf),\n"
    "an LHA, ZIP or TAR archive, or a file inside one, named by its path in it:\n"
    "games.adf/Games/Quatro.AMOS (containers nest: pack.zip/disk1.adf/X.AMOS).\n"
    "The listings of the programs found in a folder or container each follow a\n"
    "line \"==> NAME <==\"; --extract writes their files in their own folders.\n"
    "\n"
    "Messages go to standard error. Exit status: 0 success, 1 a file could not be\n"
    "loaded or a file written, 2 wrong usage, 3 a file or bank was damaged (listed\n"
    "as far as it goes), 4 the listing is incomplete (an error while decoding, or\n"
    "memory ran out).\n";

// A listing printed piece by piece as the decoder makes it (the plain
// listing in UTF-8 or the file's own ISO-8859-1, or the document as it is),
// after a heading when it has one, which is printed with the first piece or,
// for an empty listing, at the end. The pieces are converted straight into a
// buffer of its own, written when full: a megabyte of listing is 32 writes,
// not the 256 of stdio's own buffer.
class PrintedListing final : public zarvex::TextSink {
 public:
  PrintedListing(bool utf8, std::string heading) : m_utf8(utf8), m_heading(std::move(heading)) {}

  void take(std::string_view text) override {
    if (!m_heading.empty()) {
      put(m_heading, false);
      m_heading.clear();
    }
    put(text, m_utf8);
  }

  // Once the file is listed: false when any of it could not be written.
  bool finish() {
    take({});
    writeOut();
    return m_written;
  }

  // False once any of it could not be written.
  bool written() const { return m_written; }

  // Writes what is held now. Done before any message about the file, so
  // that a message keeps its place after the lines it follows.
  void writeOut() {
    if (m_used == 0) return;
    m_written = std::fflush(stdout) == 0 && writeWhole(STDOUT_FILENO, s_buffer, m_used) && m_written;
    m_used = 0;
  }

 private:
  static constexpr std::size_t kCapacity = 32 * 1024;

  void put(std::string_view text, bool toUtf8) {
    while (!text.empty()) {
      // A character takes two bytes at most in UTF-8.
      const std::size_t room = kCapacity - m_used;
      const std::size_t count = std::min(text.size(), toUtf8 ? room / 2 : room);
      if (count == 0) {
        writeOut();
        continue;
      }
      const std::string_view piece = text.substr(0, count);
      if (toUtf8) {
        m_used += zarvex::latin1ToUtf8(piece, s_buffer + m_used);
      } else {
        std::memcpy(s_buffer + m_used, piece.data(), count);
        m_used += count;
      }
      text.remove_prefix(count);
    }
  }

  // Past stdio, whose buffer would cut the block in two writes; what stdio
  // holds goes first (writeOut).
  static bool writeWhole(int fd, const char* bytes, std::size_t count) {
    while (count > 0) {
      const ssize_t written = ::write(fd, bytes, count);
      if (written < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (written == 0) {
        errno = EIO;  // nothing taken and no reason given: trying again would never end
        return false;
      }
      bytes += written;
      count -= static_cast<std::size_t>(written);
    }
    return true;
  }

  // One listing is printed at a time, each emptying the buffer at its end.
  static inline char s_buffer[kCapacity];
  bool m_utf8;
  std::string m_heading;
  std::size_t m_used = 0;
  bool m_written = true;
};

// Every byte written reached its destination: the last buffered bytes too.
bool outputDelivered() { return std::fflush(stdout) == 0 && std::ferror(stdout) == 0; }

int reportWriteFailure() {
  const int error = errno;
  zarvex::writeTo(stderr, {"zarvex-list: cannot write the listing to standard output: ", std::strerror(error), "\n"});
  return kCannotLoad;
}

// A message on standard error.
void tell(std::initializer_list<std::string_view> pieces) { zarvex::writeTo(stderr, pieces); }

int run(int argc, char** argv);

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    tell({"zarvex-list: out of memory: the listing is incomplete\n"});
    return kIncomplete;
  }
}

namespace {

int run(int argc, char** argv) {
  enum class Output { Text, Rtf, Asc, Banks, Summary, Extract, Render, Files, Find };
  Output output = Output::Text;
  zarvex::ListingStyle style = zarvex::ListingStyle::Classic;
  bool quiet = false;
  std::string extractFolder;
  std::string findText;
  bool ignoreCase = false;
  bool optionsEnd = false;
  std::vector<std::string> files;
  // Each of these chooses what is printed; one of them at most.
  std::string chosen;
  const auto choose = [&](const std::string& option, Output what) {
    if (!chosen.empty() && chosen != option) {
      tell({"zarvex-list: ", chosen, " and ", option, " do not go together\n\n", kUsageText});
      return false;
    }
    chosen = option;
    output = what;
    return true;
  };
  bool completeAsked = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!optionsEnd && arg == "--") {
      optionsEnd = true;
    } else if (!optionsEnd && arg == "--rtf") {
      if (!choose(arg, Output::Rtf)) return kUsage;
    } else if (!optionsEnd && arg == "--text") {
      if (!choose(arg, Output::Text)) return kUsage;
    } else if (!optionsEnd && arg == "--asc") {
      if (!choose(arg, Output::Asc)) return kUsage;
      style = zarvex::ListingStyle::Complete;  // the editor's text has every token
    } else if (!optionsEnd && arg == "--banks") {
      if (!choose(arg, Output::Banks)) return kUsage;
    } else if (!optionsEnd && arg == "--files") {
      if (!choose(arg, Output::Files)) return kUsage;
    } else if (!optionsEnd && arg == "--find") {
      if (i + 1 >= argc) {
        tell({"zarvex-list: --find needs a text\n\n", kUsageText});
        return kUsage;
      }
      if (!choose(arg, Output::Find)) return kUsage;
      findText = argv[++i];
    } else if (!optionsEnd && (arg == "-i" || arg == "--ignore-case")) {
      ignoreCase = true;
    } else if (!optionsEnd && arg == "--summary") {
      if (!choose(arg, Output::Summary)) return kUsage;
    } else if (!optionsEnd && (arg == "--extract" || arg == "--render")) {
      if (i + 1 >= argc) {
        tell({"zarvex-list: ", arg, " needs a folder\n\n", kUsageText});
        return kUsage;
      }
      if (!choose(arg, arg == "--extract" ? Output::Extract : Output::Render)) return kUsage;
      extractFolder = argv[++i];
      if (extractFolder.empty()) {
        // An empty name would write into whatever folder is current.
        tell({"zarvex-list: ", arg, " needs a folder, not an empty name\n\n", kUsageText});
        return kUsage;
      }
    } else if (!optionsEnd && (arg == "--quiet" || arg == "-q")) {
      quiet = true;
    } else if (!optionsEnd && arg == "--complete") {
      style = zarvex::ListingStyle::Complete;
      completeAsked = true;
    } else if (!optionsEnd && (arg == "--help" || arg == "-h")) {
      return zarvex::writeTo(stdout, {kUsageText}) && outputDelivered() ? kOk : reportWriteFailure();
    } else if (!optionsEnd && arg == "--version") {
      const bool written = zarvex::writeTo(
          stdout, {"zarvex-list ", std::to_string(zarvex::version::kMajor), ".", std::to_string(zarvex::version::kMinor),
                   ".", std::to_string(zarvex::version::kRevision), " (file version ",
                   std::string(zarvex::version::kFileVersion), ")\n"});
      return written && outputDelivered() ? kOk : reportWriteFailure();
    } else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
      tell({"zarvex-list: unknown option ", arg, "\n\n", kUsageText});
      return kUsage;
    } else {
      files.push_back(arg);
    }
  }
  const bool aboutBanks = output == Output::Banks || output == Output::Summary || output == Output::Extract ||
                          output == Output::Render || output == Output::Files || output == Output::Find;
  if (aboutBanks && (completeAsked || quiet)) {
    tell({"zarvex-list: ", chosen, " lists banks, not programs: --complete and --quiet do not apply\n\n", kUsageText});
    return kUsage;
  }
  if (files.empty()) {
    tell({"zarvex-list: no file named\n\n", kUsageText});
    return kUsage;
  }
  if (ignoreCase && output != Output::Find) {
    tell({"zarvex-list: -i goes with --find only\n\n", kUsageText});
    return kUsage;
  }
  if (output == Output::Files) {
    const int listed = zarvex::listContainerFiles(files, stdout, stderr);
    return std::ferror(stdout) == 0 && outputDelivered() ? listed : reportWriteFailure();
  }
  if (output == Output::Find) {
    const int searched = zarvex::findInPrograms(findText, ignoreCase, files, stdout, stderr);
    return std::ferror(stdout) == 0 && outputDelivered() ? searched : (reportWriteFailure(), 2);
  }
  if (output == Output::Banks) {
    const int listed = zarvex::listBanks(files, stdout, stderr);
    return std::ferror(stdout) == 0 && outputDelivered() ? listed : reportWriteFailure();
  }
  if (output == Output::Summary) {
    const int described = zarvex::summariseBanks(files, stdout, stderr);
    return std::ferror(stdout) == 0 && outputDelivered() ? described : reportWriteFailure();
  }
  if (output == Output::Extract) return zarvex::extractBanks(zarvex::absolutePath(extractFolder), files, stderr);
  if (output == Output::Render) return zarvex::renderBanks(zarvex::absolutePath(extractFolder), files, stderr);

  int status = kOk;
  // Both styles give their plain text beside the document, so the view is
  // never read: the host's keeps nothing.
  zarvex::ConsoleHost host(stderr);
  host.setQuiet(quiet);
  // Lists one file: from its path on the host, or from the bytes a container
  // held. False when the output cannot be written.
  const auto listOne = [&](zarvex::SourceFile& file, bool headed) {
    host.setCurrentFile(file.name);
    zarvex::ListingState state;
    // Only what is printed is made, and the plain listing is printed as it
    // is made. Programs found in a folder or a container are each headed by
    // their name.
    state.WantsDocument = output == Output::Rtf;
    state.WantsPlainListing = output != Output::Rtf;
    PrintedListing printed(output == Output::Text, headed ? "==> " + file.name + " <==\n" : std::string());
    if (output == Output::Text || output == Output::Asc) state.PlainListingSink = &printed;
    if (output == Output::Rtf) state.RtfDocumentSink = &printed;
    // Messages about the file come after what is printed of it so far.
    host.setBeforeMessage([&printed] { printed.writeOut(); });
    struct ForgetHook {
      zarvex::ConsoleHost& host;
      ~ForgetHook() { host.setBeforeMessage({}); }
    } forgetHook{host};
    const auto tell = [&printed](std::initializer_list<std::string_view> pieces) {
      printed.writeOut();
      ::tell(pieces);
    };
    try {
      // A host program read whole when its kind was found is not read again.
      const auto result = !file.image.empty()   ? zarvex::ListFileImage(file.name, std::move(file.image), state, host, style)
                          : file.hostPath.empty() ? zarvex::ListFileBytes(file.name, file.bytes, state, host, style)
                                                  : zarvex::LoadListing(file.hostPath, state, host, style);
      using Outcome = zarvex::LoadResult::Outcome;
      if (result.outcome == Outcome::TooBig) {
        status = worse(status, kCannotLoad);
        return true;
      }
      if (!result.startsLikeProgram) {
        tell({"zarvex-list: ", file.name, ": does not start like an AMOS program; the listing may be meaningless\n"});
      }
      if (result.errorsAsked > 0 || result.outcome == Outcome::Cancelled) {
        status = worse(status, kIncomplete);
      } else if (result.outcome != Outcome::Loaded || file.damaged) {
        status = worse(status, kDamaged);
      }
      if (file.damaged) tell({"zarvex-list: ", file.name, ": damaged in its container: listed as far as it was read\n"});
      // The lines may be whole while the banks after them are not: say so.
      const std::span<const std::uint8_t> bytes(state.FileBytes.data(), static_cast<std::size_t>(state.FileLength));
      if (result.outcome == Outcome::Loaded && result.startsLikeProgram) {
        const zarvex::BankSet banks = zarvex::readBanks(bytes);
        if (banks.damaged) {
          tell({"zarvex-list: ", file.name, ": its banks are damaged at offset ", std::to_string(banks.damageOffset), ": ",
                banks.damage, "\n"});
          status = worse(status, kDamaged);
        }
      }
    } catch (const zarvex::RuntimeError& e) {
      tell({"zarvex-list: ", file.name, ": Error loading file: ", e.description(), "\n"});
      status = worse(status, e.number() == zarvex::kErrOutOfMemory ? kIncomplete : kCannotLoad);
      return printed.written();  // what was printed before the error went out with the message
    }
    switch (output) {
      case Output::Rtf:
      case Output::Asc:
      case Output::Text:
        return printed.finish();
      case Output::Banks:
      case Output::Summary:
      case Output::Extract:
      case Output::Render:
      case Output::Files:
      case Output::Find:
        break;
    }
    return true;
  };
  // Thrown out of a walk once the output fails: the files after it are not read.
  struct WriteFailed {};
  for (const auto& name : files) {
    bool found = false;
    try {
      found = zarvex::forEachSourceFile(
          name,
          [&](zarvex::SourceFile& file) {
            // A file named itself is listed whatever it holds; inside a folder
            // or a container, only programs are.
            const bool named = file.named;
            if (!named && file.kind != zarvex::MemberKind::Program) return;
            if (!listOne(file, !named)) throw WriteFailed{};
          },
          [&](const std::string& note) {
            tell({"zarvex-list: ", note, "\n"});
            status = worse(status, kDamaged);
          },
          zarvex::HostReads::ProgramsWhole);
    } catch (const WriteFailed&) {
      return reportWriteFailure();
    }
    if (found) continue;
    const zarvex::ResolvedName resolved = zarvex::resolveName(name);
    if (resolved.error == "ambiguous") {
      tell({"zarvex-list: ", name, ": more than one file of its container has that name (they differ in case only)\n"});
      status = worse(status, kCannotLoad);
    } else if (zarvex::SourceFile named{name, name, {}, {}, false, zarvex::MemberKind::Other, false, {}}; !listOne(named, false)) {
      return reportWriteFailure();  // reports the missing file as any load does
    }
  }
  if (!outputDelivered()) return reportWriteFailure();
  return status;
}

}  // namespace
