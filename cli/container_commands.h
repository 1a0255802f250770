// zarvex-list's commands on where programs live: --files prints the
// inventory of disk images, archives and folders, --find searches the
// complete listings of every program in them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zarvex {

// One line a member file: path, size, recorded size ('-' in archives),
// kind (program, bank, container, other) and status (ok, damaged), tab
// separated, after a line "# NAME" for each container or folder. Warnings go
// to `messages`. 0 success, 1 a container refused or a name that leads
// nowhere, 3 warnings (a damaged container, listed as far as it goes).
int listContainerFiles(const std::vector<std::string>& names, std::FILE* out, std::FILE* messages);

// "NAME:LINE:TEXT" for each line of the complete listing of each program
// below `names` that holds `text` (UTF-8; `ignoreCase`: A-Z and the Latin-1
// letters in either case). As grep: 0 something found, 1 nothing, 2 an error.
int findInPrograms(const std::string& text, bool ignoreCase, const std::vector<std::string>& names, std::FILE* out,
                   std::FILE* messages);

}  // namespace zarvex
