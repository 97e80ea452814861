// A fresh folder under the system's temporary directory for one test, removed afterwards, and a guard that
// makes it the working directory for code that uses the game's fixed relative paths.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

class CScratchFolder {
public:
    CScratchFolder() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("tavoni-test-" + std::to_string(::getpid()) + "-" + std::to_string(stamp) + "-" +
                 std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~CScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

class CWorkingDirectoryGuard {
public:
    explicit CWorkingDirectoryGuard(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CWorkingDirectoryGuard() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    CWorkingDirectoryGuard(const CWorkingDirectoryGuard&) = delete;
    CWorkingDirectoryGuard& operator=(const CWorkingDirectoryGuard&) = delete;

private:
    std::filesystem::path previous_;
};

inline std::vector<unsigned char> fReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void fWriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Little-endian 32-bit value appended to a byte list.
inline void fAppendLe32(std::vector<unsigned char>& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}
