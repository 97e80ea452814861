#include "util/serialization/Serializer.h"

#include <cerrno>
#include <sys/stat.h>

namespace serialization {

Serializer::Serializer(FileMode openMode, const std::string& fileName) : fileName_(fileName) {
    if (openMode == FileMode::In) {
        mode_ = WriteRead::Read;
        stream_ = std::fopen(fileName.c_str(), "rb");
        if (stream_ == nullptr) {
            throw UnreadableFile("Cannot open or create file '" + fileName + "'");
        }
        // A folder or a device opens fine but is no record.
        struct stat info {};
        if (::fstat(::fileno(stream_), &info) != 0 || !S_ISREG(info.st_mode)) {
            std::fclose(stream_);
            throw UnreadableFile("Cannot read file '" + fileName + "': not a regular file");
        }
    } else if (openMode == FileMode::Out) {
        mode_ = WriteRead::Write;
        // Keep existing contents: writing starts at offset 0 and overwrites.
        stream_ = std::fopen(fileName.c_str(), "r+b");
        if (stream_ == nullptr && errno == ENOENT) {
            stream_ = std::fopen(fileName.c_str(), "w+b");
        }
    } else {
        throw CException("Serializer.open only works with FileMode.In and FileMode.Out");
    }
    if (stream_ == nullptr) {
        throw CException("Cannot open or create file '" + fileName + "'");
    }
    if (mode_ == WriteRead::Read) {
        if (fseeko(stream_, 0, SEEK_END) == 0) {
            size_ = ftello(stream_);
        }
        if (size_ < 0 || fseeko(stream_, 0, SEEK_SET) != 0) {
            std::fclose(stream_);
            throw UnreadableFile("Cannot read file '" + fileName + "'");
        }
    }
}

Serializer::~Serializer() {
    std::fclose(stream_);
}

void Serializer::skip(std::int64_t bytes) {
    if (fseeko(stream_, static_cast<off_t>(bytes), SEEK_CUR) != 0) {
        throw CException("Cannot move within file '" + fileName_ + "'");
    }
}

std::int64_t Serializer::position() const {
    return ftello(stream_);
}

void Serializer::seek(std::int64_t offset) {
    fseeko(stream_, static_cast<off_t>(offset), SEEK_SET);
}

void Serializer::transfer(unsigned char* bytes, std::size_t count) {
    if (isReading()) {
        unsigned char buffer[8];
        TAVONI_CHECK(count <= sizeof buffer, "serialization", "primitive wider than 8 bytes");
        // At the end of the file nothing is transferred: the variable keeps the value it had.
        if (std::fread(buffer, 1, count, stream_) == count) {
            for (std::size_t i = 0; i < count; ++i) {
                bytes[i] = buffer[i];
            }
        } else if (std::ferror(stream_) != 0) {
            throw UnreadableFile("Cannot read file '" + fileName_ + "'");
        } else {
            reachedEnd_ = true;
        }
        return;
    }
    if (std::fwrite(bytes, 1, count, stream_) != count) {
        throw CException("Cannot write to file '" + fileName_ + "'");
    }
}

void Serializer::describeByte(std::uint8_t& value) {
    transfer(&value, 1);
}

void Serializer::describeUint(std::uint32_t& value) {
    unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                              static_cast<unsigned char>(value >> 16),
                              static_cast<unsigned char>(value >> 24)};
    transfer(bytes, 4);
    value = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
            (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

void Serializer::describe(std::int32_t& value) {
    auto raw = static_cast<std::uint32_t>(value);
    describeUint(raw);
    value = static_cast<std::int32_t>(raw);
}

void Serializer::describe(bool& value) {
    std::uint8_t raw = value ? 1 : 0;
    describeByte(raw);
    value = raw != 0;
}

void Serializer::checkRemaining(std::int64_t start, std::uint32_t count, std::uint32_t elementSize,
                                const char* what) {
    const std::int64_t left = size_ - position();
    if (static_cast<std::int64_t>(count) * elementSize > left) {
        seek(start);
        throw CException("Damaged file '" + fileName_ + "': " + what + " of " + std::to_string(count) +
                         " elements is longer than the " + std::to_string(left < 0 ? 0 : left) +
                         " bytes left");
    }
}

std::uint32_t Serializer::describeCount(std::size_t size, std::uint32_t elementSize, const char* what) {
    auto count = static_cast<std::uint32_t>(size);
    if (isReading()) {
        count = 0;
    }
    const std::int64_t start = position();
    describeUint(count);
    if (isReading()) {
        checkRemaining(start, count, elementSize, what);
    }
    return count;
}

void Serializer::describe(std::string& value) {
    const std::uint32_t length = describeCount(value.size(), 1, "a string");
    if (isReading()) {
        value.resize(length);
    }
    for (char& c : value) {
        auto byte = static_cast<std::uint8_t>(c);
        describeByte(byte);
        c = static_cast<char>(byte);
    }
}

void Serializer::describe(std::vector<std::int32_t>& values) {
    const std::uint32_t count = describeCount(values.size(), 4, "an int array");
    if (isReading()) {
        values.resize(count);
    }
    for (std::int32_t& v : values) {
        describe(v);
    }
}

void Serializer::describe(std::vector<bool>& values) {
    const std::uint32_t count = describeCount(values.size(), 1, "a bool array");
    if (isReading()) {
        values.resize(count);
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        bool v = values[i];
        describe(v);
        values[i] = v;
    }
}

} // namespace serialization
