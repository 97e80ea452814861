// The binary archive every saved record goes through. One describe call per field serves both directions:
// a Serializer opened with FileMode::In loads the field, one opened with FileMode::Out stores it. The same
// code reads and writes files and bytes in memory. Integers are little-endian, with no padding, header or
// checksum.
#pragma once

#include "base/CException.h"
#include "base/Check.h"
#include "base/serialization/BasicArchive.h"
#include "base/serialization/ClassRegister.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <typeinfo>
#include <vector>

namespace serialization {

// A file that could not be read at all (no permission, no file handles left, not a regular file, an I/O
// error): nothing is known about its contents, so it must not be taken for a damaged record.
class UnreadableFile : public CException {
public:
    using CException::CException;
};

// Where a Serializer's bytes come from or go to: a file, or bytes in memory.
class ByteStream;

class Serializer {
public:
    // In: read an existing file; a file that cannot be opened or read is an UnreadableFile. Out: write from
    // offset 0, creating the file when missing; an existing file is not truncated. Any other mode is
    // refused.
    Serializer(FileMode openMode, const std::string& fileName);
    // The same archive over bytes in memory, so a record can be checked without a file; `name` stands for
    // the file name in messages. Reading: `bytes` must outlive the Serializer. Writing: like FileMode::Out,
    // from offset 0 into `bytes`, overwriting and growing it.
    static Serializer reading(std::span<const std::byte> bytes, const std::string& name);
    static Serializer writing(std::vector<std::byte>& bytes, const std::string& name);
    virtual ~Serializer();
    Serializer(const Serializer&) = delete;
    Serializer& operator=(const Serializer&) = delete;

    virtual bool isReading() const { return mode_ == WriteRead::Read; }
    virtual bool isWriting() const { return mode_ == WriteRead::Write; }
    // Moves the stream position by a signed byte count from the current position.
    virtual void skip(std::int64_t bytes);

    void describe(std::int32_t& value);
    void describe(bool& value);
    void describe(std::string& value);
    void describe(std::vector<std::int32_t>& values);
    void describe(std::vector<bool>& values);

    // A reference to a registered class. Written references must not be null; a reference read with
    // Tracking::Off must be null.
    template <class T> void describe(std::shared_ptr<T>& reference, Tracking tracking) {
        if (tracking == Tracking::On) {
            describeTracked(reference);
        } else {
            describeClass(reference);
        }
    }

    std::int64_t position() const;
    // Size of the file (or the bytes) when it was opened for reading.
    std::int64_t size() const { return size_; }
    // True once a read met the end of the file and transferred nothing. The format lets that pass; strict
    // loaders use it to tell a truncated record from a whole one.
    bool reachedEnd() const { return reachedEnd_; }
    const std::string& fileName() const { return fileName_; }

private:
    Serializer(WriteRead mode, std::unique_ptr<ByteStream> stream, const std::string& name,
               std::int64_t size);

    void transfer(unsigned char* bytes, std::size_t count);
    void describeByte(std::uint8_t& value);
    void describeUint(std::uint32_t& value);
    void seek(std::int64_t offset);
    // Fails when a length field announces more elements than the file still holds.
    // The position goes back to start first.
    void checkRemaining(std::int64_t start, std::uint32_t count, std::uint32_t elementSize, const char* what);
    // Writes or reads the length prefix of a string or array; a read length longer than the bytes left
    // is a clear error.
    std::uint32_t describeCount(std::size_t size, std::uint32_t elementSize, const char* what);

    template <class T> void describeTracked(std::shared_ptr<T>& reference) {
        if (isWriting()) {
            TAVONI_CHECK(reference != nullptr, "serialization", "a null class reference cannot be written");
            const Serializable* address = reference.get();
            const auto found = writtenObjects_.find(address);
            if (found == writtenObjects_.end()) {
                std::uint8_t signal = data_signal;
                describeByte(signal);
                describeClass(reference);
                const auto index = static_cast<std::uint32_t>(writtenObjects_.size());
                writtenObjects_.emplace(address, index);
            } else {
                std::uint8_t signal = no_data_signal;
                describeByte(signal);
                std::uint32_t index = found->second;
                describeUint(index);
            }
            return;
        }
        const std::int64_t start = position();
        try {
            std::uint8_t signal = 0;
            describeByte(signal);
            if (signal == data_signal) {
                std::shared_ptr<T> fresh;
                describeClass(fresh);
                reference = fresh;
                readObjects_.push_back(fresh);
            } else if (signal == no_data_signal) {
                std::uint32_t index = 4294967295u;
                describeUint(index);
                if (index >= readObjects_.size()) {
                    throw CException(
                        "Inconsistent archive or sequence error:\nTried to access pointer that's not "
                        "been read yet.");
                }
                auto typed = std::dynamic_pointer_cast<T>(readObjects_[index]);
                if (typed == nullptr) {
                    throw CException("Inconsistent archive: a back-reference names an object of class " +
                                     readObjects_[index]->className() +
                                     " through a class reference of type " + T::kClassName + ".");
                }
                reference = typed;
            } else {
                throw CException(
                    "Inconsistent archive, expected data_signal or no_data_signal on pointer read.");
            }
        } catch (...) {
            seek(start);
            throw;
        }
    }

    template <class T> void describeClass(std::shared_ptr<T>& reference) {
        if (isWriting()) {
            TAVONI_CHECK(reference != nullptr, "serialization", "a null class reference cannot be written");
            const Serializable& object = *reference;
            const ClassDescriptionBase* description = ClassRegister::findByClass(typeid(object));
            if (description == nullptr) {
                if (typeid(object) != typeid(T)) {
                    throw CException("Trying to write unregistered class " + object.className() +
                                     " through class reference of type " + T::kClassName +
                                     ".\nYou need to register the former ahead of time.");
                }
                ClassRegister::registerDefault<T>();
                description = ClassRegister::findByClass(typeid(T));
            }
            std::string tag = description->tag();
            describe(tag);
            description->describe(*this, *reference);
            return;
        }
        if (reference != nullptr) {
            throw CException("Class must be null to be read");
        }
        const std::int64_t start = position();
        try {
            std::string tag;
            describe(tag);
            const ClassDescriptionBase* description = ClassRegister::findByTag(tag);
            if (description == nullptr) {
                if (tag != classTag(T::kClassName)) {
                    throw CException("Trying to read class that has been written with the " + tag + " tag " +
                                     "through a class reference of type " + T::kClassName + "." +
                                     "\nThe tag is unknown, you need to register this tag ahead of time.");
                }
                ClassRegister::registerDefault<T>();
                description = ClassRegister::findByTag(tag);
            }
            std::shared_ptr<T> created = std::dynamic_pointer_cast<T>(description->create());
            if (created == nullptr) {
                throw CException("Trying to read class that has been written with the " + tag + " tag " +
                                 "through a class reference of type " + T::kClassName + "." +
                                 "\nThe tag names a class that is not a " + T::kClassName + ".");
            }
            description->describe(*this, *created);
            reference = created;
        } catch (...) {
            seek(start);
            throw;
        }
    }

    WriteRead mode_;
    std::string fileName_;
    std::unique_ptr<ByteStream> stream_;
    std::int64_t size_ = 0;
    bool reachedEnd_ = false;
    std::vector<std::shared_ptr<Serializable>> readObjects_;
    std::map<const Serializable*, std::uint32_t> writtenObjects_;
};

} // namespace serialization
