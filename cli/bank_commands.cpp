#include "bank_commands.h"

#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <stdexcept>

#include "atomic_file.h"
#include "music_bank.h"
#include "music_render.h"
#include "tracker_bank.h"
#include "wav_file.h"
#include "bank_file.h"
#include "bank_output_files.h"
#include "container_files.h"
#include "bank_kinds.h"
#include "console_output.h"
#include "runtime_error.h"

namespace zarvex {

namespace {

enum { kOk = 0, kCannotLoad = 1, kDamaged = 3 };

void reportDamage(const std::string& path, std::int64_t offset, const std::string& what, std::FILE* messages) {
  writeTo(messages, {"zarvex-list: ", path, ": damaged bank at offset ", std::to_string(offset), ": ", what, "\n"});
}

int worse(int a, int b) { return a == kCannotLoad || b == kCannotLoad ? kCannotLoad : std::max(a, b); }

}  // namespace

namespace {

constexpr int kStop = -1;  // from a body: a write failed, and the next would too

// A file whose banks are read: on the host or in a container.
struct BankInput {
  std::string name;      // as shown in messages
  std::string fileName;  // what the output names start with
  std::string folder;    // below the extraction folder: a container member's own folders
  std::size_t size = 0;  // the file's bytes
};

// Reads the banks of each file named, or of each program and bank file in
// the folders and containers named, and hands them to `use`, which answers a
// status; a damaged bank set is reported after. A file that cannot be read
// counts as such and the others go on; kStop ends the run.
template <typename Use>
int forEachBankSet(const std::vector<std::string>& names, std::FILE* messages, Use use) {
  int status = kOk;
  bool stopped = false;
  const auto useFile = [&](const BankInput& input, BankFile file, bool damaged) {
    const BankSet& set = file.banks();
    const int used = use(input, set);
    if (used == kStop) {
      stopped = true;
      return;
    }
    status = worse(status, used);
    if (set.damaged) {
      reportDamage(input.name, set.damageOffset, set.damage, messages);
      status = worse(status, kDamaged);
    }
    if (damaged) {
      writeTo(messages, {"zarvex-list: ", input.name, ": damaged in its container: read as far as it goes\n"});
      status = worse(status, kDamaged);
    }
  };
  // A host file, from the image the walk read while it found the file's kind
  // (so each file is opened once), or from its path when it has none.
  const auto readHost = [&](const std::string& path, const std::string& folder, std::vector<std::uint8_t> image) {
    try {
      BankFile file = image.empty() ? BankFile::read(path) : BankFile::fromImage(path, std::move(image));
      const std::size_t size = file.bytes().size();
      useFile({path, std::filesystem::path(path).filename().string(), folder, size}, std::move(file), false);
    } catch (const RuntimeError& e) {
      writeTo(messages, {"zarvex-list: Error loading file: ", e.description(), "\n"});
      status = kCannotLoad;
    }
  };
  // Thrown out of a walk that `use` stopped: the files after it are not read.
  struct WalkStopped {};
  for (const std::string& name : names) {
    bool found = false;
    try {
      found = forEachSourceFile(
          name,
          [&](SourceFile& source) {
            if (source.named && !source.hostPath.empty()) {
              readHost(source.hostPath, {}, std::move(source.image));
            } else if (source.kind != MemberKind::Program && source.kind != MemberKind::Bank) {
              return;
            } else if (!source.hostPath.empty()) {
              readHost(source.hostPath, source.inside, std::move(source.image));
            } else {
              const std::string fileName = source.name.substr(source.name.rfind('/') + 1);
              const std::size_t size = source.bytes.size();
              useFile({source.name, fileName, source.inside, size}, BankFile(std::move(source.bytes)), source.damaged);
            }
            if (stopped) throw WalkStopped{};
          },
          [&](const std::string& note) {
            writeTo(messages, {"zarvex-list: ", note, "\n"});
            status = worse(status, kDamaged);
          },
          HostReads::ProgramsAndBanksWhole);
    } catch (const WalkStopped&) {
      return kCannotLoad;
    }
    if (stopped) return kCannotLoad;
    if (!found) readHost(name, {}, {});  // reports what is wrong with the name
  }
  return status;
}

}  // namespace

int listBanks(const std::vector<std::string>& files, std::FILE* out, std::FILE* messages) {
  return forEachBankSet(files, messages, [&](const BankInput& input, const BankSet& set) {
    int status = kOk;
    for (const Bank& bank : set.banks) {
      if (!writeTo(out, {bankListingLine(bank), "\n"})) return kStop;
      // What --extract would find damaged is damaged here too: every output
      // is made (and dropped), with the same checks.
      try {
        forEachBankOutput(input.fileName, bank, [](const BankOutput&) {});
      } catch (const BankDamage& damage) {
        reportDamage(input.name, static_cast<std::int64_t>(bank.offset) + damage.offset, damage.what, messages);
        status = kDamaged;
      }
    }
    return status;
  });
}

int summariseBanks(const std::vector<std::string>& files, std::FILE* out, std::FILE* messages) {
  return forEachBankSet(files, messages, [&](const BankInput&, const BankSet& set) {
    int status = kOk;
    for (const Bank& bank : set.banks) {
      const auto summary = bankSummary(bank);
      if (!summary) continue;
      if (!writeTo(out, {summary->line, "\n"})) return kStop;
      if (summary->damaged) status = kDamaged;
    }
    return status;
  });
}

namespace {

// The modules libxmp is handed for a bank, each with the name of its WAV
// file: every song of a music bank (song 1 as "music.wav", song K after it as
// "songK.music.wav"), or a tracker bank's module; none for other banks.
std::vector<std::pair<std::string, std::vector<std::uint8_t>>> playableModules(const std::string& stem, const Bank& bank) {
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> modules;
  if (bank.kind == BankKind::Music) {
    const int songs = static_cast<int>(readMusicBank(bank, false).songNames.size());
    for (int song = 1; song <= songs; ++song) {
      const std::string name = song == 1 ? ".music.wav" : ".song" + std::to_string(song) + ".music.wav";
      modules.emplace_back(stem + name, musicBankForPlayer(bank.bytes, song));
    }
  } else if (bank.kind == BankKind::Tracker) {
    const TrackerModule module = readTrackerModule(bank);
    modules.emplace_back(stem + ".music.wav", std::vector<std::uint8_t>(module.bytes.begin(), module.bytes.end()));
  }
  return modules;
}

// Writes files of each bank of each file through `write`, which answers a
// status; damage ends the bank it is found in, a file that cannot be written
// ends the run.
template <typename Write>
int writeEachBank(const std::vector<std::string>& files, std::FILE* messages, Write write) {
  return forEachBankSet(files, messages, [&](const BankInput& input, const BankSet& set) {
    const std::string& path = input.name;
    int status = kOk;
    try {
      for (const Bank& bank : set.banks) {
        try {
          status = worse(status, write(input, bank));
        } catch (const BankDamage& damage) {
          reportDamage(path, static_cast<std::int64_t>(bank.offset) + damage.offset, damage.what, messages);
          status = worse(status, kDamaged);
        }
      }
    } catch (const RuntimeError& e) {
      writeTo(messages, {"zarvex-list: ", e.description(), "\n"});
      return kStop;
    } catch (const std::runtime_error& e) {
      writeTo(messages, {"zarvex-list: ", path, ": ", e.what(), "\n"});
      return kStop;
    }
    return status;
  });
}

}  // namespace

namespace {

// What one input may make at most: a hostile bank can point every entry of a
// table at one big sound and ask for gigabytes from a small file.
std::uint64_t outputAllowance(std::size_t inputBytes) { return 64 * std::uint64_t{inputBytes} + (64u << 20); }

// The folders a run makes for container members' files. Only those this run
// made are its own: unless kept, they are removed again (when still empty) as
// it ends, so that a run that puts none of its files in place leaves none.
class MadeFolders {
 public:
  MadeFolders() = default;
  MadeFolders(const MadeFolders&) = delete;
  MadeFolders& operator=(const MadeFolders&) = delete;
  ~MadeFolders() {
    for (auto folder = m_made.rbegin(); folder != m_made.rend(); ++folder) ::rmdir(folder->c_str());
  }

  // Makes `folder` and whatever is missing above it, one level at a time.
  void make(const std::filesystem::path& folder) {
    if (!m_ready.insert(folder).second) return;
    std::vector<std::filesystem::path> missing;
    for (std::filesystem::path at = folder; !at.empty() && !std::filesystem::exists(at); at = at.parent_path()) {
      missing.push_back(at);
      if (at == at.parent_path()) break;
    }
    for (auto at = missing.rbegin(); at != missing.rend(); ++at) {
      // False when it was there after all ("new/.." in a path is), or made
      // by someone else meanwhile: not this run's own.
      if (std::filesystem::create_directory(*at)) m_made.push_back(*at);
    }
  }
  // The run's files are in place: its folders stay.
  void keep() { m_made.clear(); }

 private:
  std::set<std::filesystem::path> m_ready;  // folders made or found already
  std::vector<std::filesystem::path> m_made;  // in the order made
};

}  // namespace

int extractBanks(const std::string& folder, const std::vector<std::string>& files, std::FILE* messages) {
  // Every file goes under a new name beside its target first, and takes the
  // target's place only when the whole run is written: one flush to disk
  // makes them all durable before any is put in place (a flush a file would
  // cost more than the rest of the run). So a run that stops early puts none
  // of its files in place: one with a file that cannot be written, and one
  // where two inputs (or one bank number twice) would write the same file.
  MadeFolders folders;  // outlives the batch, whose new files go first
  AtomicFileBatch batch;
  std::map<std::string, std::string> makers;  // target -> the input that makes it
  std::map<std::string, std::uint64_t> written;  // by input
  bool failed = false;
  const int status = writeEachBank(files, messages, [&](const BankInput& input, const Bank& bank) {
    try {
      const std::filesystem::path target = std::filesystem::path(folder) / input.folder;
      if (!input.folder.empty()) folders.make(target);
      std::uint64_t& total = written[input.name];
      const std::uint64_t allowance = outputAllowance(input.size);
      bool over = false;
      forEachBankOutput(input.fileName, bank, [&](const BankOutput& output) {
        if (over) return;
        const std::vector<std::uint8_t> bytes = bankOutputFile(output);
        if (total + bytes.size() > allowance) {
          over = true;
          return;
        }
        const std::string path = (target / output.name).string();
        const auto [maker, fresh] = makers.emplace(std::filesystem::path(path).lexically_normal().string(), input.name);
        if (!fresh) {
          throw RuntimeError(kErrPathAccess, "nothing written: " + maker->first + " would be written for both " +
                                                 maker->second + " and " + input.name);
        }
        total += bytes.size();
        batch.add(path, bytes);
      });
      if (!over) return int{kOk};
      writeTo(messages, {"zarvex-list: ", input.name, ": its banks would make more than ", std::to_string(allowance),
                         " bytes of files: the rest is not written\n"});
      return int{kDamaged};
    } catch (const std::exception&) {
      failed = true;
      throw;
    }
  });
  if (failed) return status;  // the batch removes its new files, then the folders go
  try {
    batch.commit();
  } catch (const RuntimeError& e) {
    writeTo(messages, {"zarvex-list: ", e.description(), "\n"});
    return kCannotLoad;  // folders holding the files put in place stay
  }
  folders.keep();
  return status;
}

int renderBanks(const std::string& folder, const std::vector<std::string>& files, std::FILE* messages) {
  return writeEachBank(files, messages, [&](const BankInput& input, const Bank& bank) {
    int status = kOk;
    const std::filesystem::path target = std::filesystem::path(folder) / input.folder;
    for (const auto& [wavName, module] : playableModules(bankFileStem(input.fileName, bank), bank)) {
      const RenderedMusic music = renderModule(module);
      if (!music.ok()) {
        writeTo(messages, {"zarvex-list: ", input.name, ": bank ", std::to_string(bank.number), ": ", music.error, "\n"});
        status = kDamaged;
        continue;
      }
      if (!input.folder.empty()) std::filesystem::create_directories(target);
      writeFileAtomically((target / wavName).string(), stereoWavFile(music.pcm));
    }
    return status;
  });
}

}  // namespace zarvex
