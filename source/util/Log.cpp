#include "util/Log.h"

#include "GameMain/GameLog.h"

#include <cstdio>

void fLogWarning(const std::string& message) {
    std::fprintf(stderr, "warning: %s\n", message.c_str());
    std::fflush(stderr);
    // Also kept in a log file beside the game, where a player can find it later.
    fWriteLog("warning: " + message, 0);
}
