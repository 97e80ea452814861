// The server as an operator first meets it: a quiet start that says it created its store, its version,
// and error pages a browser can show on the web routes while the game's protocol keeps its plain replies.
#include "ServerTestSupport.h"

#include <cstdio>
#include <sys/wait.h>

using namespace servertest;

namespace {

// Standard output and the exit status of the server run with `args`.
std::pair<std::string, int> fRunServer(const std::string& args) {
    FILE* pipe = ::popen((std::string(TAVONI_SERVER_BINARY) + " " + args + " 2>/dev/null").c_str(), "r");
    std::string out;
    char buffer[256];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        out += buffer;
    }
    const int status = pipe != nullptr ? ::pclose(pipe) : -1;
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

} // namespace

TEST(ServerForOperators, StartsQuietlySaysItCreatedItsStoreAndItsVersion) {
    CTempFolder temp;
    const fs::path data = temp.fPath() / "data";
    const fs::path firstLog = temp.fPath() / "first.log";
    { CServerProcess server({"--data", data.string()}, true, firstLog); }
    const std::string first = fReadFile(firstLog);
    EXPECT_NE(first.find("store: created with schema version"), std::string::npos) << first;
    EXPECT_EQ(first.find("upgraded"), std::string::npos) << first;
    // Nothing from libmicrohttpd about the order of its options, or anything else.
    EXPECT_EQ(first.find("MHD_OPTION"), std::string::npos) << first;
    EXPECT_EQ(first.find("arning"), std::string::npos) << first;
    const fs::path secondLog = temp.fPath() / "second.log";
    { CServerProcess server({"--data", data.string()}, true, secondLog); }
    const std::string second = fReadFile(secondLog);
    EXPECT_EQ(second.find("created"), std::string::npos) << second;
    EXPECT_EQ(second.find("upgraded"), std::string::npos) << second;

    EXPECT_EQ(fRunServer("--version"),
              std::make_pair(std::string("tavoni-ranking-server " TAVONI_VERSION "\n"), 0));
    const auto [help, helpStatus] = fRunServer("--help");
    EXPECT_EQ(helpStatus, 0);
    EXPECT_NE(help.find("--version"), std::string::npos);
}

TEST(ServerForOperators, BrowsersGetErrorPagesAndTheGameItsPlainReplies) {
    CTempFolder temp;
    CServerProcess server({"--data", (temp.fPath() / "data").string()});
    const std::string root = "http://127.0.0.1:" + std::to_string(server.fPort());
    const struct {
        const char* path;
        long status;
    } pages[] = {
        {"/entry/not-an-id", 400},
        {"/entry/0123456789abcdef0123456789abcdef", 404},
        {"/?page=0", 400},
        {"/?sort=%3Cb%3E", 400},
    };
    for (const auto& page : pages) {
        const SHttpReply reply = fHttp("GET", root + page.path);
        EXPECT_EQ(reply.status, page.status) << page.path;
        EXPECT_TRUE(reply.body.starts_with("<!DOCTYPE html>")) << page.path << ": " << reply.body;
        EXPECT_NE(reply.body.find("(" + std::to_string(page.status) + ")"), std::string::npos) << reply.body;
        EXPECT_NE(reply.body.find("<a href=\"/\">"), std::string::npos) << reply.body;
    }
    // The game's protocol: plain text, as the game reads it.
    const SHttpReply protocol = fHttp("POST", fScriptUrl(server.fPort(), "DownloadReplay?not-an-id"));
    EXPECT_EQ(protocol.status, 400);
    EXPECT_EQ(protocol.body.find('<'), std::string::npos) << protocol.body;
}
