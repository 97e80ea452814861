#include "net/RankingServerSetting.h"

#include "base/Log.h"
#include "net/RankingClient.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace {

std::string fTrim(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

// Written through a temporary file, so a crash never leaves half a line.
void fWriteDefault(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    const std::string partial = path + ".new";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << "# The online ranking's server: HOST[:PORT] for plain HTTP, https://HOST[:PORT] for TLS.\n"
               "# The command line's --ranking-server and the environment variable TAVONI_RANKING_SERVER\n"
               "# win over this file.\n"
            << kDefaultRankingServer << "\n";
        out.close();
        if (!out) {
            std::filesystem::remove(partial, error);
            fLogWarning("cannot write the ranking server's setting " + path);
            return;
        }
    }
    std::filesystem::rename(partial, path, error);
    if (error) {
        std::filesystem::remove(partial, error);
        fLogWarning("cannot write the ranking server's setting " + path + ": " + error.message());
    }
}

} // namespace

std::string fParseRankingServerSetting(const std::string& text, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string value = fTrim(line);
        if (value.empty() || value.front() == '#') {
            continue;
        }
        if (fIsValidServerAddress(value)) {
            return value;
        }
        error = "\"" + value.substr(0, 200) + "\" is not HOST[:PORT] or https://HOST[:PORT]";
        return {};
    }
    error = "it names no server";
    return {};
}

void fLoadRankingServerSetting(const std::string& path, bool writeDefault) {
    fSetSettingRankingServer("");
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        if (writeDefault && !error) {
            fWriteDefault(path);
        }
        return;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kRankingServerFileLimit) {
        fLogWarning(
            "the ranking server's setting " + path + " is not read: " +
            (error ? error.message() : "larger than " + std::to_string(kRankingServerFileLimit) + " bytes") +
            "; using " + kDefaultRankingServer);
        return;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        fLogWarning("the ranking server's setting " + path + " cannot be read; using " +
                    kDefaultRankingServer);
        return;
    }
    std::string why;
    const std::string server = fParseRankingServerSetting(text.str(), why);
    if (server.empty()) {
        fLogWarning("the ranking server's setting " + path + " is not used: " + why + "; using " +
                    kDefaultRankingServer);
        return;
    }
    fSetSettingRankingServer(server);
}
