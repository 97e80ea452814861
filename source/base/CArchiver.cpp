#include "base/CArchiver.h"

#include "base/CException.h"
#include "base/Check.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>
#include <zip.h>

namespace {

const char* const kReplayMembers[] = {kReplayKeyPath, kReplaySeedPath};
constexpr std::size_t kReplayMemberCount = 2;
constexpr std::size_t kKeyMember = 0;
constexpr std::size_t kSeedMember = 1;
// Members are read this much at a time, so memory follows the bytes that really come out of the archive
// rather than the size its headers claim.
constexpr std::size_t kReadChunk = 64 * 1024;

std::string zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

std::vector<char> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw CException("Cannot read file '" + path + "'");
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw CException("Cannot read file '" + path + "'");
    }
    return bytes;
}

// Writes beside the target and renames, so a failed write never leaves half a file under the real name.
void writeWholeFile(const std::string& path, const std::vector<char>& bytes) {
    const std::filesystem::path target(path);
    std::error_code ignored;
    if (target.has_parent_path()) {
        std::filesystem::create_directories(target.parent_path(), ignored);
    }
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, ignored);
            throw CException("Cannot write file '" + path + "'");
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, ignored);
        throw CException("Cannot write file '" + path + "': " + error.message());
    }
}

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

// Why a member of `size` expanded bytes cannot be the replay member `slot`; empty when it can.
std::string badMemberSize(std::size_t slot, zip_uint64_t size) {
    if (size > CArchiver::kMaxMemberSize) {
        return "expands to " + std::to_string(size) + " bytes, more than " +
               std::to_string(CArchiver::kMaxMemberSize);
    }
    if (slot == kKeyMember && size % CArchiver::kKeyFrameBytes > CArchiver::kKeyTailBytes) {
        return "is " + std::to_string(size) + " bytes, which is not whole " +
               std::to_string(CArchiver::kKeyFrameBytes) + "-byte frames and at most " +
               std::to_string(CArchiver::kKeyTailBytes) + " more";
    }
    if (slot == kSeedMember && size != CArchiver::kSeedMemberBytes) {
        return "is " + std::to_string(size) + " bytes instead of the seed's " +
               std::to_string(CArchiver::kSeedMemberBytes);
    }
    return "";
}

// Reads a member that announced `size` bytes; false when it holds more or fewer.
bool readMember(zip_file_t* member, zip_uint64_t size, std::vector<char>& bytes, std::string& error) {
    std::vector<char> chunk(kReadChunk);
    bytes.clear();
    for (;;) {
        const zip_int64_t got = zip_fread(member, chunk.data(), chunk.size());
        if (got < 0) {
            error = zip_file_strerror(member);
            return false;
        }
        if (got == 0) {
            break;
        }
        if (static_cast<zip_uint64_t>(got) > size - bytes.size()) {
            error = "it expands beyond its announced " + std::to_string(size) + " bytes";
            return false;
        }
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got);
    }
    if (bytes.size() != size) {
        error = "it holds " + std::to_string(bytes.size()) + " of its announced " + std::to_string(size) +
                " bytes";
        return false;
    }
    return true;
}

} // namespace

void CArchiver::fCompress(const std::string& archiveName, const std::vector<std::string>& files,
                          bool deleteSources, const std::string& folder) {
    TAVONI_CHECK(!files.empty(), "base/CArchiver", "an archive needs at least one file");
    int code = 0;
    ZipPtr archive(zip_open(archiveName.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code));
    if (archive == nullptr) {
        throw CException("Cannot create the archive '" + archiveName + "': " + zipErrorText(code));
    }
    for (const std::string& file : files) {
        const std::vector<char> bytes = readWholeFile(folder + file);
        // libzip frees the copy when it is done with it; an empty member needs no buffer at all.
        void* copy = nullptr;
        if (!bytes.empty()) {
            copy = std::malloc(bytes.size());
            if (copy == nullptr) {
                throw CException("Out of memory packing '" + file + "'");
            }
            std::memcpy(copy, bytes.data(), bytes.size());
        }
        zip_source_t* source = zip_source_buffer(archive.get(), copy, bytes.size(), copy != nullptr ? 1 : 0);
        if (source == nullptr) {
            std::free(copy);
            throw CException("Cannot pack '" + file + "': " + zip_strerror(archive.get()));
        }
        const zip_int64_t index = zip_file_add(archive.get(), file.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            throw CException("Cannot pack '" + file + "': " + zip_strerror(archive.get()));
        }
        if (zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 0) !=
            0) {
            throw CException("Cannot deflate '" + file + "': " + zip_strerror(archive.get()));
        }
    }
    if (zip_close(archive.get()) != 0) {
        throw CException("Cannot write the archive '" + archiveName + "': " + zip_strerror(archive.get()));
    }
    archive.release();
    if (deleteSources) {
        for (const std::string& file : files) {
            std::error_code ignored;
            std::filesystem::remove(folder + file, ignored);
        }
    }
}

namespace {

// The archive file's bytes, refused when there are more than any replay can take.
std::vector<std::byte> readArchiveFile(const std::string& archiveName) {
    std::ifstream in(archiveName, std::ios::binary | std::ios::ate);
    if (!in) {
        throw CException("Cannot open the replay archive '" + archiveName + "'");
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > CArchiver::kMaxArchiveSize) {
        throw CException("The replay archive '" + archiveName + "' is refused: it is larger than " +
                         std::to_string(CArchiver::kMaxArchiveSize) + " bytes");
    }
    std::vector<std::byte> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in) {
        throw CException("Cannot read the replay archive '" + archiveName + "'");
    }
    return bytes;
}

// Opens a replay archive read-only from memory; a CException when it cannot.
ZipPtr openReplay(std::span<const std::byte> bytes, const std::string& archiveName) {
    zip_error_t error;
    zip_error_init(&error);
    // libzip reads the buffer in place and never writes to it.
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    ZipPtr archive;
    if (source != nullptr) {
        archive.reset(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
        if (archive == nullptr) {
            zip_source_free(source);
        }
    }
    if (archive == nullptr) {
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw CException("Cannot open the replay archive '" + archiveName + "': " + why);
    }
    zip_error_fini(&error);
    return archive;
}

// Checks a replay archive's listing: exactly the two members, each named and sized as a replay's member
// must be. Gives each member's slot by its index; nothing is expanded. A refusal is a CException.
std::vector<std::size_t> checkListing(zip_t* archive, const std::string& refused) {
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count != static_cast<zip_int64_t>(kReplayMemberCount)) {
        throw CException(refused + "it holds " + std::to_string(count < 0 ? 0 : count) +
                         " members instead of the replay's 2");
    }
    std::vector<std::size_t> slots;
    bool seen[kReplayMemberCount] = {false, false};
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive, i, 0, &stat) != 0 || (stat.valid & ZIP_STAT_NAME) == 0 ||
            (stat.valid & ZIP_STAT_SIZE) == 0) {
            throw CException(refused + "a member cannot be read: " + zip_strerror(archive));
        }
        const std::string name = stat.name;
        std::size_t slot = kReplayMemberCount;
        for (std::size_t k = 0; k < kReplayMemberCount; ++k) {
            if (name == kReplayMembers[k]) {
                slot = k;
            }
        }
        if (slot == kReplayMemberCount) {
            throw CException(refused + "the member '" + name + "' is not part of a replay");
        }
        if (seen[slot]) {
            throw CException(refused + "the member '" + name + "' appears twice");
        }
        seen[slot] = true;
        const std::string badSize = badMemberSize(slot, stat.size);
        if (!badSize.empty()) {
            throw CException(refused + "the member '" + name + "' " + badSize);
        }
        slots.push_back(slot);
    }
    return slots;
}

// Reads and checks a replay archive without writing anything; a refusal is a CException.
void readReplay(std::span<const std::byte> bytes, const std::string& archiveName,
                std::vector<char> (&contents)[kReplayMemberCount]) {
    const std::string refused = "The replay archive '" + archiveName + "' is refused: ";
    const ZipPtr archive = openReplay(bytes, archiveName);
    const std::vector<std::size_t> slots = checkListing(archive.get(), refused);
    for (zip_uint64_t i = 0; i < slots.size(); ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        zip_stat_index(archive.get(), i, 0, &stat);
        const std::string name = stat.name;
        std::unique_ptr<zip_file_t, ZipFileCloser> member(zip_fopen_index(archive.get(), i, 0));
        if (member == nullptr) {
            throw CException(refused + "the member '" + name +
                             "' cannot be opened: " + zip_strerror(archive.get()));
        }
        std::string damage;
        if (!readMember(member.get(), stat.size, contents[slots[i]], damage)) {
            throw CException(refused + "the member '" + name + "' is damaged: " + damage);
        }
    }
}

} // namespace

void CArchiver::fCheckReplay(const std::string& archiveName) {
    fCheckReplayBytes(readArchiveFile(archiveName), archiveName);
}

void CArchiver::fExtract(const std::string& archiveName, const std::string& folder) {
    fExtractBytes(readArchiveFile(archiveName), archiveName, folder);
}

void CArchiver::fCheckReplayBytes(std::span<const std::byte> archive, const std::string& name) {
    std::vector<char> contents[kReplayMemberCount];
    readReplay(archive, name, contents);
}

void CArchiver::fCheckReplayListing(std::span<const std::byte> archive, const std::string& name) {
    const ZipPtr opened = openReplay(archive, name);
    checkListing(opened.get(), "The replay archive '" + name + "' is refused: ");
}

void CArchiver::fExtractBytes(std::span<const std::byte> archive, const std::string& name,
                              const std::string& folder) {
    // Everything is read and checked first, so a refused archive writes nothing.
    std::vector<char> contents[kReplayMemberCount];
    readReplay(archive, name, contents);
    for (std::size_t k = 0; k < kReplayMemberCount; ++k) {
        writeWholeFile(folder + kReplayMembers[k], contents[k]);
    }
}
