// Whole-file records on top of the Serializer: saving that never leaves the player without a record, and
// loading that tells a damaged file from a whole one.
#pragma once

#include "base/serialization/Serializer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace serialization {

using RecordDescriber = std::function<void(Serializer&)>;

// A record file holds one tracked reference to its record: this reads or writes it.
template <class T> RecordDescriber fTrackedRecord(std::shared_ptr<T>& record) {
    return [&record](Serializer& s) { s.describe(record, Tracking::On); };
}

// Registers the record's class under its tag (T::kClassTag) unless that tag is already registered.
template <class T> void fRegisterRecordClass() {
    if (!ClassRegister::isRegistered(T::kClassTag)) {
        ClassRegister::registerClass<T>(T::kClassTag, [] { return std::make_shared<T>(); });
    }
}

// Writes the record to path + ".new" and renames it over path, so a crash leaves the old record or the new
// one, never none. Failures are CExceptions naming the file.
void fSaveRecord(const std::string& path, const RecordDescriber& describe);
// The bytes fSaveRecord writes, kept in memory.
std::vector<std::byte> fSaveRecordToBytes(const RecordDescriber& describe);

// No record the game keeps comes near this; a longer file is damaged and is not read into memory.
inline constexpr std::int64_t kMaxRecordFileSize = 1024 * 1024;

// Reads the record and insists on it being whole: a file that ends inside the record or holds bytes after
// it is damaged, as is every archive failure. Damage is a CException naming the file; a file that cannot
// be read at all is an UnreadableFile instead. The file's bytes are read first and go through
// fLoadRecordFromBytes.
void fLoadRecord(const std::string& path, const RecordDescriber& describe);
// A record file's bytes: UnreadableFile when it cannot be read, a CException when it is longer than
// kMaxRecordFileSize.
std::vector<std::byte> fReadRecordFile(const std::string& path);
// The same for a record held in memory (one sent over the network, say); `name` stands for the file name in
// messages.
void fLoadRecordFromBytes(std::span<const std::byte> bytes, const std::string& name,
                          const RecordDescriber& describe);

// For records with a default: false when the file does not exist; false as well when it is damaged, after
// logging the reason and keeping the file as path + ".bad" so the game can start on the default. A file
// that cannot be read at all (UnreadableFile) says nothing about its record: it is logged and left where it
// is, and the answer is false.
bool fLoadRecordOrSetAside(const std::string& path, const RecordDescriber& describe);

// Logs why a file that could not be read is left in place while the default is used.
void fKeepUnreadableFile(const std::string& reason);

// Moves a damaged file out of the way (path + ".bad", replacing an older one) and logs why.
void fSetAsideDamagedFile(const std::string& path, const std::string& reason);

} // namespace serialization
