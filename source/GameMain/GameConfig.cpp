#include "GameMain/GameConfig.h"

#include "base/GameFolders.h"

#include <fstream>

SConfig fParseConfig(std::istream& in, const std::string& fileName) {
    bool flags[3] = {true, true, true};
    std::string line;
    for (int i = 0; i < 3; ++i) {
        if (!std::getline(in, line)) {
            throw SConfigError{fileName + ": line " + std::to_string(i + 1) +
                               " is missing (three name=value lines are needed)"};
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back(); // a file saved with Windows line ends
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            throw SConfigError{fileName + ": line " + std::to_string(i + 1) + " has no \"=\": \"" + line +
                               "\""};
        }
        // The value runs to the next "=" or the end of the line and must be exactly "1".
        const size_t next = line.find('=', eq + 1);
        const std::string value =
            line.substr(eq + 1, next == std::string::npos ? std::string::npos : next - eq - 1);
        flags[i] = value == "1";
    }
    return SConfig{flags[0], flags[1], flags[2]};
}

SConfig fLoadConfig() {
    const std::string path = fUserPath("config.dat");
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return SConfig{};
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uintmax_t>(size) > kMaxConfigFileSize) {
        throw SConfigError{path + ": " + std::to_string(size) +
                           " bytes are far more than three name=value lines"};
    }
    in.seekg(0);
    return fParseConfig(in, path);
}
