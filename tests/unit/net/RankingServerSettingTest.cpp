// Which ranking server the game talks to and how: the player's setting file under the command line and the
// environment, plain HTTP or verified TLS, and what a failed or refused request leaves in the log.
#include "net/RankingServerSetting.h"
#include "ScratchFolder.h"
#include "SyntheticReplay.h"
#include "net/CCurlWrapper.h"
#include "net/CScriptedHttpServer.h"
#include "net/RankingClient.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string fReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void fWriteText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// Leaves the server as the other tests expect it: none from a file, the environment or the command line.
class CServerChoiceGuard {
public:
    CServerChoiceGuard() { fReset(); }
    ~CServerChoiceGuard() { fReset(); }
    CServerChoiceGuard(const CServerChoiceGuard&) = delete;
    CServerChoiceGuard& operator=(const CServerChoiceGuard&) = delete;

private:
    static void fReset() {
        fSetSettingRankingServer("");
        fSetRankingServer("");
        ::unsetenv(kRankingServerEnvironment);
        ::unsetenv(CCurlWrapper::kCaBundleEnvironment);
    }
};

// A throwaway certificate authority and a certificate for 127.0.0.1 signed by it, made with openssl.
struct STestCertificates {
    fs::path ca;
    fs::path otherCa;
    std::string certificate;
    std::string key;
};

STestCertificates fMakeCertificates(const fs::path& folder) {
    const std::string d = "'" + folder.string() + "'/";
    const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    const std::string commands =
        "openssl req -x509" + ec + " -keyout " + d + "ca.key -out " + d +
        "ca.pem -days 2 -subj '/CN=test CA' &&" + " openssl req -x509" + ec + " -keyout " + d +
        "other.key -out " + d + "other.pem -days 2 -subj '/CN=other CA' &&" + " openssl req" + ec +
        " -keyout " + d + "server.key -out " + d + "server.csr -subj /CN=127.0.0.1 &&" +
        " printf 'subjectAltName=IP:127.0.0.1\\n' > " + d + "ext.cnf &&" + " openssl x509 -req -in " + d +
        "server.csr -CA " + d + "ca.pem -CAkey " + d + "ca.key -CAcreateserial -out " + d +
        "server.pem -days 2 -extfile " + d + "ext.cnf";
    if (std::system(("(" + commands + ") >/dev/null 2>&1").c_str()) != 0) {
        return {};
    }
    return {folder / "ca.pem", folder / "other.pem", fReadText(folder / "server.pem"),
            fReadText(folder / "server.key")};
}

} // namespace

TEST(RankingServerSetting, TheFileNamesOneServer) {
    const struct {
        const char* text;
        const char* server; // empty: refused
    } cases[] = {
        {"localhost:8103\n", "localhost:8103"},
        {"# mine\n\n  https://rank.example.org:8443 \r\nignored:1\n", "https://rank.example.org:8443"},
        {"[::1]:8103", "[::1]:8103"},
        {"", ""},
        {"# nothing but comments\n", ""},
        {"http://rank.example.org\n", ""},
        {"https://\n", ""},
        {"rank.example.org/path\n", ""},
        {"two words\n", ""},
        {"https://host:99999\n", ""},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(fParseRankingServerSetting(c.text, error), c.server) << c.text;
        EXPECT_EQ(error.empty(), *c.server != '\0') << c.text << ": " << error;
    }
}

TEST(RankingServerSetting, WrittenTheFirstTimeAndUnderTheOptionAndTheEnvironment) {
    CScratchFolder scratch;
    CServerChoiceGuard guard;
    const fs::path file = scratch.path() / "dat" / "ranking_server.txt";

    // Missing: written with the built-in server, which is used.
    fLoadRankingServerSetting(file.string(), true);
    std::string error;
    EXPECT_EQ(fParseRankingServerSetting(fReadText(file), error), kDefaultRankingServer) << fReadText(file);
    EXPECT_EQ(fGetRankingServer(), kDefaultRankingServer);
    // A replay check writes nothing.
    fs::remove(file);
    fLoadRankingServerSetting(file.string(), false);
    EXPECT_FALSE(fs::exists(file));

    fWriteText(file, "https://127.0.0.1:9\n");
    fLoadRankingServerSetting(file.string(), true);
    EXPECT_EQ(fGetRankingServer(), "https://127.0.0.1:9");
    ::setenv(kRankingServerEnvironment, "127.0.0.2:9", 1);
    EXPECT_EQ(fGetRankingServer(), "127.0.0.2:9");
    ASSERT_TRUE(fSetRankingServer("127.0.0.3:9"));
    EXPECT_EQ(fGetRankingServer(), "127.0.0.3:9");
    fSetRankingServer("");
    ::unsetenv(kRankingServerEnvironment);

    // Hostile or broken: said in the log, left alone, and the built-in server is used.
    const struct {
        std::string text;
        const char* logged;
    } bad[] = {
        {"not a/server\n", "\"not a/server\" is not HOST[:PORT]"},
        {std::string(kRankingServerFileLimit + 1, '#'), "larger than 4096 bytes"},
    };
    for (const auto& b : bad) {
        fWriteText(file, b.text);
        testing::internal::CaptureStderr();
        fLoadRankingServerSetting(file.string(), true);
        const std::string logged = testing::internal::GetCapturedStderr();
        EXPECT_EQ(fGetRankingServer(), kDefaultRankingServer);
        EXPECT_NE(logged.find(file.string()), std::string::npos) << logged;
        EXPECT_NE(logged.find(b.logged), std::string::npos) << logged;
        EXPECT_EQ(fReadText(file), b.text);
    }
}

TEST(RankingServerSetting, HttpsServersAreReachedOnlyWithATrustedCertificate) {
    CScratchFolder scratch;
    CServerChoiceGuard guard;
    const STestCertificates tls = fMakeCertificates(scratch.path());
    ASSERT_FALSE(tls.certificate.empty()) << "openssl could not make the test certificates";
    CScriptedHttpServer server(
        [](const CScriptedHttpServer::SSeen&) {
            return CScriptedHttpServer::SReply{
                200, "Alice?900?0123456789abcdef0123456789abcdef?2026/12/09 12:00:00\n"};
        },
        tls.certificate, tls.key);
    CWorkingDirectoryGuard cwd(scratch.path());
    fWriteText("dat_ranking_server.txt", "https://" + server.fAddress() + "\n");
    fLoadRankingServerSetting("dat_ranking_server.txt", false);
    const std::string url = "https://" + server.fAddress() + "/cgi-bin/tavoni103/ranking.cgi?GetRankingList";

    ::setenv(CCurlWrapper::kCaBundleEnvironment, tls.ca.c_str(), 1);
    const SRankingListResult trusted = fFetchRankingList();
    ASSERT_TRUE(trusted.ok) << trusted.notice;
    ASSERT_EQ(trusted.entries.size(), 1u);
    EXPECT_EQ(trusted.entries[0].name, "Alice");

    // A certificate from another authority, or none the system knows: a failed request, with the server and
    // the reason in the log, and the usual notice for the player.
    for (const char* bundle : {tls.otherCa.c_str(), ""}) {
        ::setenv(CCurlWrapper::kCaBundleEnvironment, bundle, 1);
        testing::internal::CaptureStderr();
        const SRankingListResult refused = fFetchRankingList();
        const std::string logged = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(refused.ok) << bundle;
        EXPECT_EQ(refused.notice, kNoticeConnectionFailed);
        EXPECT_NE(logged.find("ranking: " + url + ": "), std::string::npos) << logged;
        EXPECT_NE(logged.find("certificate"), std::string::npos) << logged;
    }
    EXPECT_EQ(server.fSeen().size(), 1u);
}

TEST(RankingServerSetting, AFailedRequestLogsTheServerAndLibcurlsReason) {
    CScratchFolder scratch;
    CServerChoiceGuard guard;
    CWorkingDirectoryGuard cwd(scratch.path());
    // Nothing listens on port 1 of the loopback.
    ASSERT_TRUE(fSetRankingServer("127.0.0.1:1"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(fFetchRankingList().ok);
    const std::string logged = testing::internal::GetCapturedStderr();
    EXPECT_NE(logged.find("ranking: http://127.0.0.1:1/cgi-bin/tavoni103/ranking.cgi?GetRankingList: "),
              std::string::npos)
        << logged;
    // libcurl's own words, which name the address and the port.
    EXPECT_NE(logged.find("127.0.0.1 port 1"), std::string::npos) << logged;
}

TEST(RankingServerSetting, ARefusedUploadSaysWhy) {
    const struct {
        std::string reply;
        std::string shown;
    } cases[] = {
        {"UploadFailed?this replay is registered under the name \"Alice\"\n",
         "this replay is registered under the name \"Alice\""},
        {"UploadFailed?a\x01"
         "b\x7f"
         "c\r\nsecond line",
         "abc"},
        {"UploadFailed?" + std::string(130, 'x'), std::string(120, 'x')},
        {"UploadFailed?" + std::string(119, 'x') + "\xe5\x90\x8d", std::string(119, 'x')},
        {"UploadFailed?\xe5\x90", ""},
        {"UploadSuccess?3", ""},
        {"<html>busy</html>", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fUploadRefusal(c.reply), c.shown) << c.reply;
    }

    CScratchFolder scratch;
    CServerChoiceGuard guard;
    CScriptedHttpServer server([](const CScriptedHttpServer::SSeen&) {
        return CScriptedHttpServer::SReply{422,
                                           "UploadFailed?this replay is registered under the name \"Alice\""};
    });
    ASSERT_TRUE(fSetRankingServer(server.fAddress()));
    CWorkingDirectoryGuard cwd(scratch.path());
    testing::internal::CaptureStderr();
    const SUploadResult upload = fUploadRanking(100, "Bob");
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(upload.ok);
    EXPECT_EQ(upload.refusal, "this replay is registered under the name \"Alice\"");
}
