// Moving a ranking from one machine's SQLite folder into PostgreSQL.
#pragma once

#include "CRankingStore.h"

#include <filesystem>

struct SImportCounts {
    int copied = 0;
    int present = 0; // there already, left as they were
    int refused = 0; // rows breaking today's rules, or without a readable replay: each named in the log
};

// Copies every entry of the SQLite ranking in `folder`, replay and result picture and all, into `target`,
// keeping ids, dates, versions, what the checks saw and whether a moderator hid it, oldest first; entries
// already there are left as they are, so it may be run again. The source is only read: opened read-only as
// it is, whatever its schema, with nothing made, upgraded or removed in its folder. Throws
// std::runtime_error when it cannot be read at all.
SImportCounts fImportSqliteRanking(const std::filesystem::path& folder, CRankingStore& target);
