// The moderators' commands: --hide ID --reason TEXT, --unhide ID and --hidden, run against the store the
// server would use (the same --data or --database, from any machine that reaches it), then done. The
// servers on that store see the change within a second, without a restart.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

struct SModeration {
    enum class EAction { None, Hide, Unhide, List };
    EAction action = EAction::None;
    std::string id;
    std::string reason; // --hide's
};

// Why a reason cannot be kept (empty when it can): 1 to 500 bytes without control characters, so that the
// listing of hidden entries stays one line each.
std::string fCheckHideReason(std::string_view reason);

// Runs the command against SQLite in `dataFolder`, or PostgreSQL when `database` is given. What it did goes
// to `out`, why it failed to standard error; returns the exit status (0 done, 1 failed).
int fRunModeration(const SModeration& command, const std::filesystem::path& dataFolder,
                   const std::string& database, std::FILE* out);
