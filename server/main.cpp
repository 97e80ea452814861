// tavoni-ranking-server: the online ranking, one command to start it. Stops on SIGINT or SIGTERM.
#include "CRankingServer.h"
#include "ServerLog.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>
#include <pthread.h>
#include <sys/resource.h>

int main(int argc, char** argv) {
    std::string message;
    int exitStatus = 0;
    const std::optional<SServerOptions> options = fParseServerOptions(argc, argv, message, exitStatus);
    if (!options) {
        std::fputs(message.c_str(), exitStatus == 0 ? stdout : stderr);
        return exitStatus;
    }
    // A client that hangs up must not end the server; the stop signals are awaited below, not handled.
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
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

    try {
        CRankingServer server(*options);
        fServerLog("listening on port " + std::to_string(server.fPort()) + ", data in " +
                   server.fOptions().dataFolder.string() + ", checking with " +
                   server.fOptions().game.string());
        std::printf("listening on port %d\n", server.fPort());
        std::fflush(stdout);
        int signal = 0;
        sigwait(&stop, &signal);
        fServerLog("stopping on signal " + std::to_string(signal));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tavoni-ranking-server: %s\n", e.what());
        return 1;
    }
    return 0;
}
