// Moving a ranking from one machine's SQLite folder into PostgreSQL.
#pragma once

#include "CRankingStore.h"

#include <filesystem>
#include <utility>

// Copies every entry of the SQLite ranking in `folder`, replay and result picture and all, into `target`,
// keeping ids, dates, versions and what the checks saw, oldest first; entries already there are left as
// they are, so it may be run again. Returns how many were copied and how many were there already. Throws
// std::runtime_error.
std::pair<int, int> fImportSqliteRanking(const std::filesystem::path& folder, CRankingStore& target);
