#include "base/serialization/Serializer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace serialization {

class ByteStream {
public:
    virtual ~ByteStream() = default;
    // Up to `count` bytes from the position; fewer at the end or on a failure (see failed).
    virtual std::size_t read(unsigned char* bytes, std::size_t count) = 0;
    // All `count` bytes at the position, overwriting and extending; false on a failure.
    virtual bool write(const unsigned char* bytes, std::size_t count) = 0;
    // To an offset from the start, which may lie past the end; false for a negative one or a failure.
    virtual bool seek(std::int64_t offset) = 0;
    virtual std::int64_t position() const = 0;
    // True once a read failed for another reason than the end.
    virtual bool failed() const = 0;
};

namespace {

class FileStream final : public ByteStream {
public:
    explicit FileStream(std::FILE* file) : file_(file) {}
    ~FileStream() override { std::fclose(file_); }
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    std::size_t read(unsigned char* bytes, std::size_t count) override {
        return std::fread(bytes, 1, count, file_);
    }
    bool write(const unsigned char* bytes, std::size_t count) override {
        return std::fwrite(bytes, 1, count, file_) == count;
    }
    bool seek(std::int64_t offset) override {
        return offset >= 0 && fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0;
    }
    std::int64_t position() const override { return ftello(file_); }
    bool failed() const override { return std::ferror(file_) != 0; }

private:
    std::FILE* file_;
};

// The position of a stream in memory; either kind may be moved anywhere at or after the start.
class MemoryStream : public ByteStream {
public:
    bool seek(std::int64_t offset) override {
        if (offset < 0) {
            return false;
        }
        position_ = static_cast<std::size_t>(offset);
        return true;
    }
    std::int64_t position() const override { return static_cast<std::int64_t>(position_); }
    bool failed() const override { return false; }

protected:
    std::size_t position_ = 0;
};

class MemoryReader final : public MemoryStream {
public:
    explicit MemoryReader(std::span<const std::byte> bytes) : bytes_(bytes) {}

    std::size_t read(unsigned char* bytes, std::size_t count) override {
        if (position_ >= bytes_.size()) {
            return 0;
        }
        const std::size_t n = std::min(count, bytes_.size() - position_);
        std::memcpy(bytes, bytes_.data() + position_, n);
        position_ += n;
        return n;
    }
    bool write(const unsigned char*, std::size_t) override { return false; }

private:
    std::span<const std::byte> bytes_;
};

class MemoryWriter final : public MemoryStream {
public:
    explicit MemoryWriter(std::vector<std::byte>& bytes) : bytes_(bytes) {}

    std::size_t read(unsigned char*, std::size_t) override { return 0; }
    bool write(const unsigned char* bytes, std::size_t count) override {
        // Like a file: a gap left by moving past the end reads as zeros.
        if (bytes_.size() < position_ + count) {
            bytes_.resize(position_ + count);
        }
        std::memcpy(bytes_.data() + position_, bytes, count);
        position_ += count;
        return true;
    }

private:
    std::vector<std::byte>& bytes_;
};

std::unique_ptr<ByteStream> openFile(FileMode openMode, const std::string& fileName, std::int64_t& size) {
    if (openMode == FileMode::In) {
        std::FILE* file = std::fopen(fileName.c_str(), "rb");
        if (file == nullptr) {
            throw UnreadableFile("Cannot open or create file '" + fileName + "'");
        }
        auto stream = std::make_unique<FileStream>(file);
        // A folder or a device opens fine but is no record.
        struct stat info {};
        if (::fstat(::fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
            throw UnreadableFile("Cannot read file '" + fileName + "': not a regular file");
        }
        size = static_cast<std::int64_t>(info.st_size);
        return stream;
    }
    if (openMode == FileMode::Out) {
        // Keep existing contents: writing starts at offset 0 and overwrites.
        std::FILE* file = std::fopen(fileName.c_str(), "r+b");
        if (file == nullptr && errno == ENOENT) {
            file = std::fopen(fileName.c_str(), "w+b");
        }
        if (file == nullptr) {
            throw CException("Cannot open or create file '" + fileName + "'");
        }
        return std::make_unique<FileStream>(file);
    }
    throw CException("Serializer.open only works with FileMode.In and FileMode.Out");
}

} // namespace

Serializer::Serializer(FileMode openMode, const std::string& fileName)
    : mode_(openMode == FileMode::In ? WriteRead::Read : WriteRead::Write), fileName_(fileName) {
    stream_ = openFile(openMode, fileName, size_);
}

Serializer::Serializer(WriteRead mode, std::unique_ptr<ByteStream> stream, const std::string& name,
                       std::int64_t size)
    : mode_(mode), fileName_(name), stream_(std::move(stream)), size_(size) {}

Serializer Serializer::reading(std::span<const std::byte> bytes, const std::string& name) {
    return Serializer(WriteRead::Read, std::make_unique<MemoryReader>(bytes), name,
                      static_cast<std::int64_t>(bytes.size()));
}

Serializer Serializer::writing(std::vector<std::byte>& bytes, const std::string& name) {
    return Serializer(WriteRead::Write, std::make_unique<MemoryWriter>(bytes), name, 0);
}

Serializer::~Serializer() = default;

void Serializer::skip(std::int64_t bytes) {
    if (!stream_->seek(position() + bytes)) {
        throw CException("Cannot move within file '" + fileName_ + "'");
    }
}

std::int64_t Serializer::position() const {
    return stream_->position();
}

void Serializer::seek(std::int64_t offset) {
    stream_->seek(offset);
}

void Serializer::transfer(unsigned char* bytes, std::size_t count) {
    if (isReading()) {
        unsigned char buffer[8];
        TAVONI_CHECK(count <= sizeof buffer, "serialization", "primitive wider than 8 bytes");
        // At the end of the file nothing is transferred: the variable keeps the value it had.
        if (stream_->read(buffer, count) == count) {
            for (std::size_t i = 0; i < count; ++i) {
                bytes[i] = buffer[i];
            }
        } else if (stream_->failed()) {
            throw UnreadableFile("Cannot read file '" + fileName_ + "'");
        } else {
            reachedEnd_ = true;
        }
        return;
    }
    if (!stream_->write(bytes, count)) {
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
