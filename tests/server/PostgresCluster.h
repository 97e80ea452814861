// A PostgreSQL cluster of the tests' own: made with initdb in a scratch folder, listening on a free port of
// 127.0.0.1, started on first use and stopped when the test binary ends (or killed with it, however it
// ends). PostgreSQL refuses to run as root, so under root it runs as "nobody" in a folder that user owns.
#pragma once

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <string>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace servertest {

class CPostgresCluster {
public:
    // The one cluster of this test binary's run.
    static CPostgresCluster& fShared() {
        static CPostgresCluster cluster;
        return cluster;
    }

    // A connection string to a new, empty database; empty with `why` set when there is no cluster.
    std::string fNewDatabase(std::string& why) {
        if (!mStarted && mWhy.empty()) {
            fStart();
        }
        if (!mStarted) {
            why = mWhy;
            return {};
        }
        const std::string name = "t" + std::to_string(mDatabases++);
        return fAdmin("CREATE DATABASE " + name, why) ? fConnection(name) : std::string();
    }

    // Runs `sql` in the cluster's "postgres" database; false with `why` set when it fails.
    bool fAdmin(const std::string& sql, std::string& why) const {
        PGconn* admin = PQconnectdb(fConnection("postgres").c_str());
        PGresult* result = PQexec(admin, sql.c_str());
        const bool done = PQresultStatus(result) == PGRES_COMMAND_OK;
        if (!done) {
            why = sql + ": " + PQerrorMessage(admin);
        }
        PQclear(result);
        PQfinish(admin);
        return done;
    }

    std::string fConnection(const std::string& database) const {
        return "host=127.0.0.1 port=" + std::to_string(mPort) + " user=postgres dbname=" + database;
    }

    CPostgresCluster(const CPostgresCluster&) = delete;
    CPostgresCluster& operator=(const CPostgresCluster&) = delete;

private:
    CPostgresCluster() = default;
    ~CPostgresCluster() {
        if (mServer > 0) {
            ::kill(mServer, SIGINT); // a fast shutdown
            ::waitpid(mServer, nullptr, 0);
        }
        std::error_code ignored;
        std::filesystem::remove_all(mFolder, ignored);
    }

    static std::string fBinaries() {
        for (const char* folder : {"/usr/lib/postgresql/15/bin", "/usr/lib/postgresql/16/bin",
                                   "/usr/lib/postgresql/17/bin", "/usr/lib/postgresql/14/bin"}) {
            if (::access((std::string(folder) + "/postgres").c_str(), X_OK) == 0) {
                return folder;
            }
        }
        return {};
    }

    // Runs `args` as the cluster's user with its output in `log`; returns the child's pid, -1 when it
    // cannot. The child is killed when this thread ends, so no cluster outlives its test binary.
    pid_t fSpawn(std::vector<std::string> args, const std::filesystem::path& log) const {
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        const std::string logFile = log.string();
        const std::string folder = mFolder.string();
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (mUser >= 0 &&
                (::setgroups(0, nullptr) != 0 || ::setgid(mGroup) != 0 || ::setuid(mUser) != 0)) {
                ::_exit(125);
            }
            // After the change of user, which clears it.
            if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent ||
                ::chdir(folder.c_str()) != 0) {
                ::_exit(126);
            }
            const int out = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            if (out >= 0) {
                ::dup2(out, 1);
                ::dup2(out, 2);
            }
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        return pid;
    }

    static int fFreePort() {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        int port = 0;
        if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
            port = ntohs(address.sin_port);
        }
        if (fd >= 0) {
            ::close(fd);
        }
        return port;
    }

    std::string fLogTail(const std::filesystem::path& log) const {
        std::ifstream in(log, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return text.size() > 600 ? text.substr(text.size() - 600) : text;
    }

    void fStart() {
        const std::string bin = fBinaries();
        if (bin.empty()) {
            mWhy = "PostgreSQL is not installed (scripts/install-deps installs postgresql)";
            return;
        }
        mFolder = std::filesystem::temp_directory_path() / ("tavoni-postgres-" + std::to_string(::getpid()));
        std::error_code ignored;
        std::filesystem::remove_all(mFolder, ignored);
        std::filesystem::create_directories(mFolder);
        if (::geteuid() == 0) {
            const passwd* user = ::getpwnam("nobody");
            if (user == nullptr) {
                mWhy = "running as root and there is no user \"nobody\" to run PostgreSQL as";
                return;
            }
            mUser = static_cast<int>(user->pw_uid);
            mGroup = user->pw_gid;
            if (::chown(mFolder.c_str(), user->pw_uid, user->pw_gid) != 0) {
                mWhy = "cannot give " + mFolder.string() + " to nobody: " + std::strerror(errno);
                return;
            }
        }
        const std::filesystem::path log = mFolder / "postgres.log";
        const std::string data = (mFolder / "data").string();
        int status = 0;
        const pid_t init = fSpawn({bin + "/initdb", "-D", data, "-U", "postgres", "-A", "trust", "--no-sync",
                                   "-E", "UTF8", "--locale=C"},
                                  log);
        if (init < 0 || ::waitpid(init, &status, 0) != init || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            mWhy =
                "initdb failed (exit status " + std::to_string(WEXITSTATUS(status)) + "): " + fLogTail(log);
            return;
        }
        for (int attempt = 0; attempt < 3 && !mStarted; ++attempt) {
            mPort = fFreePort();
            mServer = fSpawn({bin + "/postgres", "-D", data, "-p", std::to_string(mPort), "-k",
                              mFolder.string(), "-c", "listen_addresses=127.0.0.1", "-c", "fsync=off", "-c",
                              "full_page_writes=off", "-c", "max_connections=300"},
                             log);
            for (int wait = 0; wait < 300 && mServer > 0; ++wait) {
                if (PQping(fConnection("postgres").c_str()) == PQPING_OK) {
                    mStarted = true;
                    break;
                }
                if (::waitpid(mServer, &status, WNOHANG) == mServer) {
                    mServer = -1; // it gave up, perhaps on a port taken meanwhile
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        if (!mStarted) {
            if (mServer > 0) {
                ::kill(mServer, SIGKILL);
                ::waitpid(mServer, nullptr, 0);
                mServer = -1;
            }
            mWhy = "postgres did not start: " + fLogTail(log);
        }
    }

    std::filesystem::path mFolder;
    int mUser = -1;
    gid_t mGroup = 0;
    int mPort = 0;
    pid_t mServer = -1;
    bool mStarted = false;
    std::string mWhy;
    int mDatabases = 0;
};

} // namespace servertest
