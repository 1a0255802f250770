// zarvex-list's bank commands: --banks lists the banks of programs and bank
// files, --summary describes the banks read in depth (AMAL, resources,
// menus, tracker modules, music), --extract writes each bank and the files
// made of it, --render writes the sound of music and tracker banks.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zarvex {

// Exit statuses, as for listings: 0 success, 1 a file could not be read or a
// file could not be written, 3 a bank was damaged (what came before it done).
int listBanks(const std::vector<std::string>& files, std::FILE* out, std::FILE* messages);
int summariseBanks(const std::vector<std::string>& files, std::FILE* out, std::FILE* messages);
// --extract puts a run's files in place together, each whole, after one
// flush to disk: a file that cannot be written, or two inputs that would
// write the same file, leave none of them.
int extractBanks(const std::string& folder, const std::vector<std::string>& files, std::FILE* messages);
// NAME.bankNN.music.wav for each music and tracker bank: 16-bit stereo at
// 44,100 Hz, the song played once (at most 10 minutes).
int renderBanks(const std::string& folder, const std::vector<std::string>& files, std::FILE* messages);

}  // namespace zarvex
