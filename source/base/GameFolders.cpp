#include "base/GameFolders.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

SGameFolders& fCurrent() {
    static SGameFolders folders;
    return folders;
}

// A folder path in the form the module hands out: normalised, ending in "/".
std::string fAsFolder(const fs::path& folder) {
    std::string text = folder.lexically_normal().string();
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    return text;
}

bool fHoldsGameData(const fs::path& folder) {
    std::error_code ignored;
    return fs::is_directory(folder / kGameDataMarker, ignored);
}

bool fSameFolder(const fs::path& a, const fs::path& b) {
    std::error_code error;
    const bool same = fs::equivalent(a, b, error);
    return !error && same;
}

// The player's folder when none is named: the XDG data home (only an absolute one counts, as the XDG rules
// say), else ~/.local/share.
std::string fDefaultUserFolder(const SFolderSearch& search) {
    if (!search.xdgDataHome.empty() && fs::path(search.xdgDataHome).is_absolute()) {
        return fAsFolder(fs::path(search.xdgDataHome) / "tavoni");
    }
    if (!search.home.empty()) {
        return fAsFolder(fs::path(search.home) / ".local" / "share" / "tavoni");
    }
    return {};
}

// The checkout a build tree's note beside its programs names; empty without a note. Only the first line
// counts, and a note that cannot be a path is passed over rather than half read.
std::string fNotedCheckout(const fs::path& folder) {
    std::ifstream in(folder / kCheckoutNote, std::ios::binary);
    if (!in) {
        return {};
    }
    std::string text(4096, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    text.resize(std::min(text.find_first_of("\r\n"), text.size()));
    if (text.empty() || text.find('\0') != std::string::npos) {
        return {};
    }
    // A relative path is taken from the note's folder, as the note is read from there.
    return fAsFolder(folder / text);
}

} // namespace

std::vector<std::string> fDataCandidates(const std::string& executable) {
    if (executable.empty()) {
        return {};
    }
    const fs::path folder = fs::path(executable).parent_path();
    std::vector<std::string> candidates = {fAsFolder(folder / ".." / "share" / "tavoni"),
                                           fAsFolder(folder / ".."), fAsFolder(folder / ".." / "..")};
    // Read last, so installed data and a build tree inside its checkout are found as they always were.
    const std::string noted = fNotedCheckout(folder);
    if (!noted.empty() && std::find(candidates.begin(), candidates.end(), noted) == candidates.end()) {
        candidates.push_back(noted);
    }
    return candidates;
}

std::string fFindInstalledData(const std::string& executable) {
    for (const std::string& candidate : fDataCandidates(executable)) {
        if (fHoldsGameData(candidate)) {
            return candidate;
        }
    }
    return {};
}

SFolderResult fFindGameFolders(const SFolderSearch& search) {
    SFolderResult result;
    const fs::path cwd = search.workingDirectory;
    // A named folder wins in either mode: the player asked for it.
    std::string named = !search.dataDirOption.empty() ? search.dataDirOption : search.dataDirEnv;
    if (!named.empty()) {
        named = fAsFolder(fs::path(named).is_absolute() ? fs::path(named) : cwd / named);
    }

    const std::vector<std::string> candidates = fDataCandidates(search.executable);
    // The installed data folder itself is never a game folder: it is read-only.
    const bool inInstalledData = !candidates.empty() && fSameFolder(cwd, candidates.front());
    if (fHoldsGameData(cwd) && !inInstalledData) {
        result.folders.user = named;
        return result;
    }

    result.folders.installed = true;
    result.folders.data = fFindInstalledData(search.executable);
    if (result.folders.data.empty()) {
        std::string places = fAsFolder(cwd) + kGameDataMarker;
        for (const std::string& candidate : candidates) {
            places += ", " + candidate + kGameDataMarker;
        }
        result.error = "no game data found (looked for " + places + ")";
        return result;
    }
    result.folders.user = !named.empty() ? named : fDefaultUserFolder(search);
    if (result.folders.user.empty()) {
        result.error = "no folder for the player's files: neither HOME nor XDG_DATA_HOME is set "
                       "(name one with --data-dir DIR)";
    }
    return result;
}

std::string fPrepareUserFolder(const SGameFolders& folders) {
    if (folders.user.empty()) {
        return {}; // the game folder, as it always was
    }
    const fs::path root = folders.user;
    for (const fs::path& folder : {root / "dat" / "replay", root / "downloaded_replay"}) {
        std::error_code error;
        fs::create_directories(folder, error);
        if (error) {
            return "the folder for the player's files " + folder.string() +
                   " cannot be created: " + error.message();
        }
    }
    // Permissions alone do not tell (a read-only mount, a full disk): write a small file and remove it.
    const fs::path probe = root / "dat" / "replay" / (".write-test-" + std::to_string(::getpid()));
    bool written = false;
    {
        std::ofstream out(probe, std::ios::binary | std::ios::trunc);
        out << "tavoni";
        out.close();
        written = static_cast<bool>(out);
    }
    std::error_code ignored;
    fs::remove(probe, ignored);
    if (!written) {
        return "the folder for the player's files " + folders.user + " cannot be written to";
    }
    return {};
}

const SGameFolders& fGameFolders() {
    return fCurrent();
}

void fSetGameFolders(const SGameFolders& folders) {
    fCurrent() = folders;
}

std::string fDataPath(std::string_view name) {
    return fCurrent().data + std::string(name);
}

std::string fUserPath(std::string_view name) {
    return fCurrent().user + std::string(name);
}

std::string fExecutablePath(const char* argv0) {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error && !self.empty()) {
        return self.string();
    }
    // Without /proc: a path the program was started by, if it names one.
    if (argv0 != nullptr && std::string_view(argv0).find('/') != std::string_view::npos) {
        const fs::path started = fs::weakly_canonical(argv0, error);
        if (!error) {
            return started.string();
        }
    }
    return {};
}

void fRemoveIfPresent(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}
