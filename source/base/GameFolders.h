// Where the game's files are. Every file is known by a relative name ("dat/image/title.png",
// "dat/replay/score.dat", "config.dat"); this module turns a name into a path, read-only game data under the
// data folder and the player's own files under the player's folder.
//
// Game folder mode: the working directory holds the game's data (dat/image/); both folders are the working
// directory and every path is the bare name, exactly as a game run from its own folder always worked.
// Installed mode: otherwise. The data is <prefix>/share/tavoni, found from the executable (or, for a build
// tree, the checkout it was built from); the player's folder is --data-dir, TAVONI_DATA_DIR,
// $XDG_DATA_HOME/tavoni or ~/.local/share/tavoni, in that order. The names inside the player's folder are
// those of the game folder, so saves can be copied between them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct SGameFolders {
    std::string data; // the read-only game data: "" for the working directory, else ending in "/"
    std::string user; // the player's writable files: "" for the working directory, else ending in "/"
    bool installed = false;
};

// What the search for the folders starts from; the start-up fills it from the process, tests by hand.
struct SFolderSearch {
    std::string workingDirectory;
    std::string executable;    // the running program's full path
    std::string dataDirOption; // --data-dir, empty when not given
    std::string dataDirEnv;    // TAVONI_DATA_DIR
    std::string xdgDataHome;   // XDG_DATA_HOME
    std::string home;          // HOME
};

struct SFolderResult {
    SGameFolders folders;
    std::string error; // empty when the folders were found
};

// The relative name whose presence marks a folder as holding the game's data.
inline constexpr const char* kGameDataMarker = "dat/image";
// The file the build writes beside its programs naming the checkout they were built from, so a build tree
// anywhere finds its data; it is never installed. The CMakeLists write it under this name.
inline constexpr const char* kCheckoutNote = "tavoni-checkout";

// Decides the mode and both folders. Looks at the file system only to see where game data is; creates
// nothing.
SFolderResult fFindGameFolders(const SFolderSearch& search);
// The folders a program's data is looked for in, from the executable's path, in order: the installed
// <prefix>/share/tavoni, then the two folders above the program (a build tree inside the checkout), then the
// checkout named by a kCheckoutNote beside the program (a build tree elsewhere).
std::vector<std::string> fDataCandidates(const std::string& executable);
// The first candidate holding game data, as a folder path ending in "/"; empty when there is none.
std::string fFindInstalledData(const std::string& executable);

// Creates the player's folder with dat/replay/ and downloaded_replay/ and proves it can be written to.
// Returns the error text naming the folder, or empty.
std::string fPrepareUserFolder(const SGameFolders& folders);

// The folders in use; game folder mode until set.
const SGameFolders& fGameFolders();
void fSetGameFolders(const SGameFolders& folders);

// A read-only data file or folder by its relative name.
std::string fDataPath(std::string_view name);
// One of the player's files or folders by its relative name.
std::string fUserPath(std::string_view name);

// The running program's own path ("" when it cannot be told).
std::string fExecutablePath(const char* argv0);

// Removes a file if it is there; a file that is not there, or cannot be removed, is no failure.
void fRemoveIfPresent(const std::string& path);
