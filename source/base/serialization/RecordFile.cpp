#include "base/serialization/RecordFile.h"

#include "base/Log.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace serialization {

namespace {
// Makes the written bytes durable before the rename makes them the record.
void syncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

void fSaveRecord(const std::string& path, const RecordDescriber& describe) {
    const std::string temporary = path + ".new";
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    try {
        {
            Serializer serializer(FileMode::Out, temporary);
            describe(serializer);
        }
        syncFile(temporary);
        std::error_code error;
        std::filesystem::rename(temporary, path, error);
        if (error) {
            throw CException("Cannot replace file '" + path + "': " + error.message());
        }
    } catch (...) {
        std::filesystem::remove(temporary, ignored);
        throw;
    }
}

namespace {
// The whole-record rules, the same for a file and for bytes in memory.
void loadWholeRecord(Serializer& serializer, const RecordDescriber& describe) {
    const std::string& name = serializer.fileName();
    try {
        describe(serializer);
    } catch (const UnreadableFile&) {
        throw;
    } catch (const CException& failure) {
        const std::string text = failure.what();
        if (text.rfind("Damaged file '", 0) == 0) {
            throw;
        }
        throw CException("Damaged file '" + name + "': " + text);
    }
    if (serializer.reachedEnd()) {
        throw CException("Damaged file '" + name + "': the record is cut short");
    }
    if (serializer.position() != serializer.size()) {
        throw CException("Damaged file '" + name +
                         "': " + std::to_string(serializer.size() - serializer.position()) +
                         " bytes follow the record");
    }
}
} // namespace

std::vector<std::byte> fSaveRecordToBytes(const RecordDescriber& describe) {
    std::vector<std::byte> bytes;
    Serializer serializer = Serializer::writing(bytes, "memory");
    describe(serializer);
    return bytes;
}

std::vector<std::byte> fReadRecordFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw UnreadableFile("Cannot open file '" + path + "'");
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    // A folder or a device opens fine but is no record.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        throw UnreadableFile("Cannot read file '" + path + "': not a regular file");
    }
    if (info.st_size > kMaxRecordFileSize) {
        throw CException("Damaged file '" + path + "': " + std::to_string(info.st_size) +
                         " bytes are far more than any record");
    }
    std::vector<std::byte> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw UnreadableFile("Cannot read file '" + path + "'");
        }
        if (got == 0) {
            break; // it shrank while being read: what is there is judged as the record
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

void fLoadRecord(const std::string& path, const RecordDescriber& describe) {
    fLoadRecordFromBytes(fReadRecordFile(path), path, describe);
}

void fLoadRecordFromBytes(std::span<const std::byte> bytes, const std::string& name,
                          const RecordDescriber& describe) {
    Serializer serializer = Serializer::reading(bytes, name);
    loadWholeRecord(serializer, describe);
}

bool fLoadRecordOrSetAside(const std::string& path, const RecordDescriber& describe) {
    std::error_code error;
    const bool present = std::filesystem::exists(path, error);
    if (error) {
        fKeepUnreadableFile("Cannot look for file '" + path + "': " + error.message());
        return false;
    }
    if (!present) {
        return false;
    }
    try {
        fLoadRecord(path, describe);
        return true;
    } catch (const UnreadableFile& failure) {
        fKeepUnreadableFile(failure.what());
        return false;
    } catch (const CException& failure) {
        fSetAsideDamagedFile(path, failure.what());
        return false;
    }
}

void fKeepUnreadableFile(const std::string& reason) {
    fLogWarning(reason + "; the default is used and the file is left as it is");
}

void fSetAsideDamagedFile(const std::string& path, const std::string& reason) {
    const std::string aside = path + ".bad";
    std::error_code error;
    std::filesystem::rename(path, aside, error);
    if (error) {
        fLogWarning(reason + "; the default is used (the file could not be renamed: " + error.message() +
                    ")");
    } else {
        fLogWarning(reason + "; the default is used and the file is kept as '" + aside + "'");
    }
}

} // namespace serialization
