#include "CBlockedNames.h"

#include "ServerLog.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>

namespace {

constexpr std::uintmax_t kMaxFileBytes = 1024 * 1024;

std::string fLower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return out;
}

} // namespace

CBlockedNames::CBlockedNames(std::filesystem::path file) : mFile(std::move(file)) {
    fReadIfChanged();
    if (!mRead) {
        throw std::runtime_error("cannot read the blocked names in " + mFile.string());
    }
}

std::vector<std::string> CBlockedNames::fParse(std::string_view text) {
    std::vector<std::string> words;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
        while (!line.empty() && blank(line.front())) {
            line.remove_prefix(1);
        }
        while (!line.empty() && blank(line.back())) {
            line.remove_suffix(1);
        }
        if (!line.empty() && !line.starts_with('#')) {
            words.push_back(fLower(line));
        }
    }
    return words;
}

void CBlockedNames::fReadIfChanged() {
    struct stat status {};
    if (::stat(mFile.c_str(), &status) != 0) {
        if (mRead) {
            fServerLog("blocked names: cannot see " + mFile.string() + "; the words read before still count");
        }
        return;
    }
    // The size too: two writes within one tick of the file system's clock leave the same time.
    if (mRead && status.st_mtim.tv_sec == mModified.tv_sec && status.st_mtim.tv_nsec == mModified.tv_nsec &&
        status.st_size == mSize) {
        return;
    }
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(mFile, error);
    std::ifstream in(mFile, std::ios::binary);
    if (error || size > kMaxFileBytes || !in) {
        fServerLog("blocked names: " + mFile.string() + " is not a readable list of at most 1 MiB" +
                   (mRead ? "; the words read before still count" : ""));
        return;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    mWords = fParse(text.substr(0, kMaxFileBytes));
    mModified = status.st_mtim;
    mSize = status.st_size;
    if (mRead) {
        fServerLog("blocked names: read again, " + std::to_string(mWords.size()) + " words");
    }
    mRead = true;
}

std::string CBlockedNames::fBlockedWord(std::string_view name) {
    const std::string lower = fLower(name);
    const std::lock_guard<std::mutex> lock(mMutex);
    fReadIfChanged();
    for (const std::string& word : mWords) {
        if (lower.find(word) != std::string::npos) {
            return word;
        }
    }
    return {};
}
