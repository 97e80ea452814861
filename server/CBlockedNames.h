// Words a player's name may not hold (--blocked-names FILE): one word a line, blank lines and lines
// starting with "#" ignored, each matched without regard to case anywhere inside a name. The file is read
// again when it changes, so a word added while the server runs counts from the next upload on.
#pragma once

#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

class CBlockedNames {
public:
    // Reads the file; throws std::runtime_error when it cannot be read or is larger than any word list.
    explicit CBlockedNames(std::filesystem::path file);

    // The word of the list that `name` holds, lower-cased; empty when it holds none.
    std::string fBlockedWord(std::string_view name);

    // The words of a list's text, lower-cased.
    static std::vector<std::string> fParse(std::string_view text);

private:
    void fReadIfChanged();

    const std::filesystem::path mFile;
    std::mutex mMutex;
    std::vector<std::string> mWords;
    struct timespec mModified {};
    off_t mSize = 0;
    bool mRead = false;
};
