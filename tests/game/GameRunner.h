// Runs the real game binary headless in a temporary copy of the game folder and collects what it shows:
// exit status, standard output and error, and the files it leaves.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct SGameResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CGameFolder {
public:
    // Copies dat/ and collision.png of the checkout unless `withData` is false.
    explicit CGameFolder(bool withData = true);
    ~CGameFolder();
    CGameFolder(const CGameFolder&) = delete;
    CGameFolder& operator=(const CGameFolder&) = delete;

    const std::filesystem::path& fPath() const { return mPath; }
    std::filesystem::path operator/(const std::string& rel) const { return mPath / rel; }

    void fWrite(const std::string& rel, const std::string& text) const;
    std::string fRead(const std::string& rel) const;
    bool fExists(const std::string& rel) const;
    std::vector<std::string> fFilesWithExtension(const std::string& ext) const;

    // Runs tavoni with --headless --no-wait plus `args`, in this folder. The player's folder of installed
    // mode is kept inside it too (HOME), so a test never touches the real one.
    SGameResult fRun(const std::vector<std::string>& args, bool headless = true) const;
    // Same, with a scripted input file written first.
    SGameResult fRunWithInput(const std::string& script, const std::vector<std::string>& args) const;

private:
    std::filesystem::path mPath;
};

// Runs `program` with `args` in `folder`, with the environment changed by `env` ("NAME=value" sets, "NAME"
// alone removes), and collects its exit status and output.
SGameResult fRunProgram(const std::string& program, const std::vector<std::string>& args,
                        const std::filesystem::path& folder, const std::vector<std::string>& env);

// Width and height of a PNG file from its header; (-1, -1) if it is not a PNG.
std::pair<int, int> fPngSize(const std::filesystem::path& file);
