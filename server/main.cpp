// tavoni-ranking-server: the online ranking, one command to start it. Stops on SIGINT or SIGTERM.
#include "CPostgresConnections.h"
#include "CPostgresRankingStore.h"
#include "CRankingServer.h"
#include "RankingImport.h"
#include "ServerLog.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace {

// --import-sqlite: the SQLite ranking moved into the --database; returns the exit status.
int fImport(const SServerOptions& options) {
    try {
        CPostgresConnections connections(options.database, 1);
        CPostgresRankingStore store(connections);
        const SImportCounts counts = fImportSqliteRanking(options.importSqlite, store);
        std::printf("imported %d entries from %s into %s (%d were there already, %d refused)\n",
                    counts.copied, options.importSqlite.c_str(), connections.fDescription().c_str(),
                    counts.present, counts.refused);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tavoni-ranking-server: import: %s\n", e.what());
        return 1;
    }
}

// Waits for a stop signal, which it returns; SIGHUP meanwhile reopens the access log.
int fAwaitStop(CRankingServer& server, const sigset_t& signals) {
    int signal = 0;
    while (sigwait(&signals, &signal) == 0 && signal == SIGHUP) {
        server.fReopenLogs();
    }
    return signal;
}

} // namespace

int main(int argc, char** argv) {
    std::string message;
    int exitStatus = 0;
    const std::optional<SServerOptions> options = fParseServerOptions(argc, argv, message, exitStatus);
    if (!options) {
        std::fputs(message.c_str(), exitStatus == 0 ? stdout : stderr);
        return exitStatus;
    }
    // No core dump, and no /proc/<pid>/ of the server (its environment, command line, memory, files) open
    // to another process of its user: a check gone wrong included.
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    // A client that hangs up must not end the server; the stop signals are awaited below, not handled, and
    // so is SIGHUP, which reopens the access log after a rotation.
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    // Each connection is a descriptor; the usual soft limit of 1,024 would turn clients away long before
    // --max-connections does.
    rlimit files{};
    const rlim_t wanted = static_cast<rlim_t>(options->front.maxConnections) + 256;
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < wanted) {
        files.rlim_cur = std::min(wanted, files.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &files);
        if (files.rlim_cur < wanted) {
            fServerLog("only " + std::to_string(files.rlim_cur) +
                       " open files are allowed; fewer connections than --max-connections will be served");
        }
    }

    if (!options->importSqlite.empty()) {
        return fImport(*options);
    }
    if (options->moderation.action != SModeration::EAction::None) {
        return fRunModeration(options->moderation, options->dataFolder, options->database, stdout);
    }

    try {
        CRankingServer server(*options);
        const SServerOptions& running = server.fOptions();
        if (running.role == EServerRole::Checker) {
            fServerLog("checking uploads, " + server.fStoreDescription() + ", " +
                       std::to_string(running.parallelChecks) + " at once with " + running.game.string());
            std::printf("checking uploads\n");
        } else {
            fServerLog("listening on port " + std::to_string(server.fPort()) + ", " +
                       server.fStoreDescription() +
                       (running.role == EServerRole::Web ? ", checks done by checkers"
                                                         : ", checking with " + running.game.string()) +
                       (running.front.readOnly ? ", read-only" : ""));
            std::printf("listening on port %d\n", server.fPort());
        }
        std::fflush(stdout);
        fServerLog("stopping on signal " + std::to_string(fAwaitStop(server, stop)));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tavoni-ranking-server: %s\n", e.what());
        return 1;
    }
    return 0;
}
