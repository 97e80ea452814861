#include "base/serialization/Serializer.h"
#include "GameMain/COptionInfo.h"
#include "GameMain/GameRecords.h"
#include "ScratchFolder.h"
#include "Stage/CHighScoreInfo.h"
#include "base/CException.h"
#include "base/serialization/RecordFile.h"

#include <cstddef>
#include <gtest/gtest.h>

using serialization::ClassRegister;
using serialization::FileMode;
using serialization::Serializer;
using serialization::Tracking;

namespace {

// Test-only classes with tags of their own, so registrations never collide with the game's.
class CSerialBase : public serialization::Serializable {
public:
    static constexpr const char* kClassName = "SerialTest.CSerialBase";
    std::string className() const override { return kClassName; }
    void describe(Serializer& s) { s.describe(value); }
    std::int32_t value = 0;
};

class CSerialDerived final : public CSerialBase {
public:
    static constexpr const char* kClassName = "SerialTest.CSerialDerived";
    std::string className() const override { return kClassName; }
};

class CSerialOnTheSpot final : public serialization::Serializable {
public:
    static constexpr const char* kClassName = "SerialTest.CSerialOnTheSpot";
    std::string className() const override { return kClassName; }
    void describe(Serializer& s) {
        s.describe(name);
        s.describe(flag);
    }
    std::string name;
    bool flag = false;
};

class CSerialPairHolder final : public serialization::Serializable {
public:
    static constexpr const char* kClassName = "SerialTest.CSerialPairHolder";
    std::string className() const override { return kClassName; }
    void describe(Serializer& s) {
        s.describe(first, Tracking::On);
        s.describe(second, Tracking::On);
    }
    std::shared_ptr<CHighScoreInfo> first;
    std::shared_ptr<CHighScoreInfo> second;
};

std::vector<unsigned char> highScoreBytes(std::uint32_t score, unsigned char sent) {
    std::vector<unsigned char> bytes = {0};
    fAppendLe32(bytes, 23);
    for (char c : std::string("C5Stage14CHighScoreInfo")) {
        bytes.push_back(static_cast<unsigned char>(c));
    }
    fAppendLe32(bytes, score);
    bytes.push_back(sent);
    return bytes;
}

std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CException& failure) {
        return failure.what();
    }
    return "(no error)";
}

class SerializerTest : public ::testing::Test {
protected:
    void SetUp() override { fRegisterHighScoreInfo(); }
    CScratchFolder folder;
};

} // namespace

TEST(ClassTagTest, TagIsTheTypeSignatureOfTheDottedName) {
    EXPECT_EQ(serialization::classTag("Stage.CHighScoreInfo"), "C5Stage14CHighScoreInfo");
    EXPECT_EQ(serialization::classTag("GameMain.COptionInfo"), "C8GameMain11COptionInfo");
    EXPECT_EQ(serialization::classTag(CHighScoreInfo::kClassName), CHighScoreInfo::kClassTag);
    EXPECT_EQ(serialization::classTag(COptionInfo::kClassName), COptionInfo::kClassTag);
}

TEST_F(SerializerTest, HighScoreWritesTheExact33Bytes) {
    const std::string path = folder.file("score.dat");
    {
        Serializer out(FileMode::Out, path);
        auto record = std::make_shared<CHighScoreInfo>(1234, true);
        out.describe(record, Tracking::On);
    }
    const std::vector<unsigned char> bytes = fReadBytes(path);
    ASSERT_EQ(bytes.size(), 33u);
    EXPECT_EQ(bytes, highScoreBytes(1234, 1));
    EXPECT_EQ(bytes[28], 0xD2);
    EXPECT_EQ(bytes[29], 0x04);
    EXPECT_EQ(bytes[30], 0x00);
    EXPECT_EQ(bytes[31], 0x00);
    EXPECT_EQ(bytes[32], 0x01);

    Serializer in(FileMode::In, path);
    std::shared_ptr<CHighScoreInfo> read;
    in.describe(read, Tracking::On);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(*read, CHighScoreInfo(1234, true));
    EXPECT_FALSE(in.reachedEnd());
    EXPECT_EQ(in.position(), 33);
}

TEST_F(SerializerTest, PrimitivesAreLittleEndianWithoutPadding) {
    const std::string path = folder.file("prims.dat");
    {
        Serializer out(FileMode::Out, path);
        EXPECT_TRUE(out.isWriting());
        EXPECT_FALSE(out.isReading());
        std::int32_t negative = -2;
        bool yes = true;
        std::string empty;
        std::string text = "ab";
        std::vector<std::int32_t> noInts;
        std::vector<std::int32_t> ints = {1, 0x01020304};
        std::vector<bool> flags = {true, false, true};
        out.describe(negative);
        out.describe(yes);
        out.describe(empty);
        out.describe(text);
        out.describe(noInts);
        out.describe(ints);
        out.describe(flags);
    }
    const std::vector<unsigned char> expected = {0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 2, 0, 0, 0,
                                                 'a',  'b',  0,    0,    0, 0, 2, 0, 0, 0, 1, 0, 0,
                                                 0,    4,    3,    2,    1, 3, 0, 0, 0, 1, 0, 1};
    EXPECT_EQ(fReadBytes(path), expected);

    Serializer in(FileMode::In, path);
    EXPECT_TRUE(in.isReading());
    std::int32_t negative = 0;
    bool yes = false;
    std::string empty = "junk";
    std::string text;
    std::vector<std::int32_t> noInts = {9};
    std::vector<std::int32_t> ints;
    std::vector<bool> flags;
    in.describe(negative);
    in.describe(yes);
    in.describe(empty);
    in.describe(text);
    in.describe(noInts);
    in.describe(ints);
    in.describe(flags);
    EXPECT_EQ(negative, -2);
    EXPECT_TRUE(yes);
    EXPECT_EQ(empty, "");
    EXPECT_EQ(text, "ab");
    EXPECT_TRUE(noInts.empty());
    EXPECT_EQ(ints, (std::vector<std::int32_t>{1, 0x01020304}));
    EXPECT_EQ(flags, (std::vector<bool>{true, false, true}));
    EXPECT_FALSE(in.reachedEnd());
}

TEST_F(SerializerTest, ReadAtTheEndTransfersNothing) {
    const std::string path = folder.file("short.dat");
    fWriteBytes(path, {7, 0});
    Serializer in(FileMode::In, path);
    std::int32_t value = 41;
    in.describe(value); // only two bytes left
    EXPECT_EQ(value, 41);
    EXPECT_TRUE(in.reachedEnd());
    std::string text = "kept?";
    in.describe(text); // the length reads as 0
    EXPECT_EQ(text, "");
    bool flag = true;
    in.describe(flag);
    EXPECT_TRUE(flag);
}

TEST_F(SerializerTest, OutDoesNotTruncateAndSkipMoves) {
    const std::string path = folder.file("keep.dat");
    fWriteBytes(path, {9, 9, 9, 9, 9, 9});
    {
        Serializer out(FileMode::Out, path);
        out.skip(1);
        std::int32_t value = 0;
        out.describe(value);
    }
    EXPECT_EQ(fReadBytes(path), (std::vector<unsigned char>{9, 0, 0, 0, 0, 9}));
}

TEST_F(SerializerTest, OpenFailures) {
    EXPECT_EQ(errorOf([&] { Serializer s(FileMode::Append, folder.file("a.dat")); }),
              "Serializer.open only works with FileMode.In and FileMode.Out");
    const std::string missing = folder.file("missing.dat");
    EXPECT_EQ(errorOf([&] { Serializer s(FileMode::In, missing); }),
              "Cannot open or create file '" + missing + "'");
    const std::string noFolder = folder.file("no/such/folder.dat");
    EXPECT_EQ(errorOf([&] { Serializer s(FileMode::Out, noFolder); }),
              "Cannot open or create file '" + noFolder + "'");
}

TEST_F(SerializerTest, ObjectWrittenTwiceIsStoredOnceAndReadBackAsOne) {
    const std::string path = folder.file("twice.dat");
    {
        Serializer out(FileMode::Out, path);
        auto record = std::make_shared<CHighScoreInfo>(5, false);
        auto again = record;
        out.describe(record, Tracking::On);
        out.describe(again, Tracking::On);
    }
    std::vector<unsigned char> expected = highScoreBytes(5, 0);
    expected.push_back(1); // no_data_signal
    fAppendLe32(expected, 0);
    EXPECT_EQ(fReadBytes(path), expected);

    Serializer in(FileMode::In, path);
    std::shared_ptr<CHighScoreInfo> first;
    std::shared_ptr<CHighScoreInfo> second;
    in.describe(first, Tracking::On);
    in.describe(second, Tracking::On);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(first->score, 5);
}

TEST_F(SerializerTest, NestedTrackedReferencesShareTheirObject) {
    const std::string path = folder.file("nested.dat");
    {
        Serializer out(FileMode::Out, path);
        auto holder = std::make_shared<CSerialPairHolder>();
        holder->first = std::make_shared<CHighScoreInfo>(77, true);
        holder->second = holder->first;
        out.describe(holder, Tracking::On);
    }
    Serializer in(FileMode::In, path);
    std::shared_ptr<CSerialPairHolder> holder;
    in.describe(holder, Tracking::On);
    ASSERT_NE(holder, nullptr);
    ASSERT_NE(holder->first, nullptr);
    EXPECT_EQ(holder->first.get(), holder->second.get());
    EXPECT_EQ(holder->first->score, 77);
}

TEST_F(SerializerTest, UntrackedReferenceHasNoSignalAndMustBeReadIntoNull) {
    const std::string path = folder.file("untracked.dat");
    {
        Serializer out(FileMode::Out, path);
        auto record = std::make_shared<CHighScoreInfo>(3, false);
        out.describe(record, Tracking::Off);
    }
    std::vector<unsigned char> expected = highScoreBytes(3, 0);
    expected.erase(expected.begin());
    EXPECT_EQ(fReadBytes(path), expected);

    Serializer in(FileMode::In, path);
    auto occupied = std::make_shared<CHighScoreInfo>();
    EXPECT_EQ(errorOf([&] { in.describe(occupied, Tracking::Off); }), "Class must be null to be read");
    std::shared_ptr<CHighScoreInfo> fresh;
    in.describe(fresh, Tracking::Off);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->score, 3);
}

TEST_F(SerializerTest, BadSignalFailsAndRestoresThePosition) {
    const std::string path = folder.file("signal.dat");
    fWriteBytes(path, {0xAA, 2, 0, 0, 0, 0});
    Serializer in(FileMode::In, path);
    in.skip(1);
    std::shared_ptr<CHighScoreInfo> read;
    EXPECT_EQ(errorOf([&] { in.describe(read, Tracking::On); }),
              "Inconsistent archive, expected data_signal or no_data_signal on pointer read.");
    EXPECT_EQ(in.position(), 1);
    EXPECT_EQ(read, nullptr);
}

TEST_F(SerializerTest, BackReferenceBeforeAnyObjectFails) {
    const std::string path = folder.file("backref.dat");
    std::vector<unsigned char> bytes = {1};
    fAppendLe32(bytes, 0);
    fWriteBytes(path, bytes);
    Serializer in(FileMode::In, path);
    std::shared_ptr<CHighScoreInfo> read;
    EXPECT_EQ(errorOf([&] { in.describe(read, Tracking::On); }),
              "Inconsistent archive or sequence error:\nTried to access pointer that's not been read yet.");
    EXPECT_EQ(in.position(), 0);
}

TEST_F(SerializerTest, BackReferenceOfTruncatedIndexFails) {
    const std::string path = folder.file("backref-short.dat");
    fWriteBytes(path, {1, 0}); // the index is cut short and keeps 4294967295
    Serializer in(FileMode::In, path);
    std::shared_ptr<CHighScoreInfo> read;
    EXPECT_NE(errorOf([&] { in.describe(read, Tracking::On); }).find("not been read yet"), std::string::npos);
    EXPECT_EQ(in.position(), 0);
}

TEST_F(SerializerTest, UnknownTagFailsAndRestoresThePosition) {
    const std::string path = folder.file("tag.dat");
    std::vector<unsigned char> bytes = {0xAA, 0xAA, 0};
    fAppendLe32(bytes, 7);
    for (char c : std::string("C1X1Y99")) {
        bytes.push_back(static_cast<unsigned char>(c));
    }
    fWriteBytes(path, bytes);
    Serializer in(FileMode::In, path);
    in.skip(2);
    std::shared_ptr<CHighScoreInfo> read;
    EXPECT_EQ(
        errorOf([&] { in.describe(read, Tracking::On); }),
        "Trying to read class that has been written with the C1X1Y99 tag through a class reference of type "
        "Stage.CHighScoreInfo.\nThe tag is unknown, you need to register this tag ahead of time.");
    EXPECT_EQ(in.position(), 2);
}

TEST_F(SerializerTest, TagOfAnotherRegisteredClassIsRefused) {
    fRegisterOptionInfo();
    const std::string path = folder.file("other.dat");
    {
        Serializer out(FileMode::Out, path);
        auto options = std::make_shared<COptionInfo>();
        out.describe(options, Tracking::On);
    }
    Serializer in(FileMode::In, path);
    std::shared_ptr<CHighScoreInfo> read;
    const std::string error = errorOf([&] { in.describe(read, Tracking::On); });
    EXPECT_NE(error.find("C8GameMain11COptionInfo"), std::string::npos) << error;
    EXPECT_EQ(in.position(), 0);
    EXPECT_EQ(read, nullptr);
}

TEST_F(SerializerTest, UnregisteredDerivedClassCannotBeWritten) {
    const std::string path = folder.file("derived.dat");
    Serializer out(FileMode::Out, path);
    std::shared_ptr<CSerialBase> object = std::make_shared<CSerialDerived>();
    EXPECT_EQ(errorOf([&] { out.describe(object, Tracking::Off); }),
              "Trying to write unregistered class SerialTest.CSerialDerived through class reference of type "
              "SerialTest.CSerialBase.\nYou need to register the former ahead of time.");
}

TEST_F(SerializerTest, ExactClassIsRegisteredOnTheSpot) {
    const std::string tag = serialization::classTag(CSerialOnTheSpot::kClassName);
    const std::string path = folder.file("spot.dat");
    {
        Serializer out(FileMode::Out, path);
        auto object = std::make_shared<CSerialOnTheSpot>();
        object->name = "たぼに";
        object->flag = true;
        out.describe(object, Tracking::On);
    }
    EXPECT_TRUE(ClassRegister::isRegistered(tag));
    Serializer in(FileMode::In, path);
    std::shared_ptr<CSerialOnTheSpot> read;
    in.describe(read, Tracking::On);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->name, "たぼに");
    EXPECT_TRUE(read->flag);
}

TEST_F(SerializerTest, DuplicateRegistrationFails) {
    const std::string tag = "C10SerialTest3Dup";
    if (!ClassRegister::isRegistered(tag)) {
        ClassRegister::registerClass<CSerialBase>(tag, [] { return std::make_shared<CSerialBase>(); });
    }
    EXPECT_EQ(errorOf([&] {
                  ClassRegister::registerClass<CSerialBase>(tag,
                                                            [] { return std::make_shared<CSerialBase>(); });
              }),
              "There's already a class registered with the name " + tag);
    EXPECT_EQ(errorOf([] { fRegisterHighScoreInfo(); }), "(no error)") << "the game's helper registers once";
}

TEST_F(SerializerTest, HugeLengthFieldsFailWithoutAllocating) {
    const std::string path = folder.file("huge.dat");
    std::vector<unsigned char> bytes;
    fAppendLe32(bytes, 0xFFFFFFFFu);
    bytes.push_back('x');
    fWriteBytes(path, bytes);
    {
        Serializer in(FileMode::In, path);
        std::string text;
        const std::string error = errorOf([&] { in.describe(text); });
        EXPECT_NE(error.find("Damaged file"), std::string::npos) << error;
        EXPECT_EQ(in.position(), 0);
        std::vector<std::int32_t> ints;
        EXPECT_NE(errorOf([&] { in.describe(ints); }), "(no error)");
        std::vector<bool> flags;
        EXPECT_NE(errorOf([&] { in.describe(flags); }), "(no error)");
        EXPECT_EQ(in.position(), 0);
    }
    // A tag length larger than the file inside a class record fails the same way.
    std::vector<unsigned char> record = {0};
    fAppendLe32(record, 0x7FFFFFFFu);
    fWriteBytes(path, record);
    Serializer in(FileMode::In, path);
    std::shared_ptr<CHighScoreInfo> read;
    EXPECT_NE(errorOf([&] { in.describe(read, Tracking::On); }).find("Damaged file"), std::string::npos);
    EXPECT_EQ(in.position(), 0);
}

TEST_F(SerializerTest, ArrayCountJustFittingIsRead) {
    const std::string path = folder.file("fit.dat");
    std::vector<unsigned char> bytes;
    fAppendLe32(bytes, 2);
    fAppendLe32(bytes, 10);
    fAppendLe32(bytes, 20);
    fWriteBytes(path, bytes);
    Serializer in(FileMode::In, path);
    std::vector<std::int32_t> ints;
    in.describe(ints);
    EXPECT_EQ(ints, (std::vector<std::int32_t>{10, 20}));
}

namespace {
// A record with a field of every kind, a back-reference included.
struct SEveryField {
    bool yes = false;
    std::string text;
    std::shared_ptr<CHighScoreInfo> score;
    std::shared_ptr<CHighScoreInfo> again;
    std::vector<std::int32_t> ints;
    std::vector<bool> flags;
    std::int32_t number = 0;
    void describe(Serializer& s) {
        s.describe(yes);
        s.describe(text);
        s.describe(score, Tracking::On);
        s.describe(again, Tracking::On);
        s.describe(ints);
        s.describe(flags);
        s.describe(number);
    }
};

std::vector<unsigned char> unsignedBytes(const std::vector<std::byte>& bytes) {
    std::vector<unsigned char> result;
    for (std::byte b : bytes) {
        result.push_back(std::to_integer<unsigned char>(b));
    }
    return result;
}
} // namespace

TEST_F(SerializerTest, RecordsInMemoryAreTheFileBytes) {
    SEveryField written;
    written.number = -7;
    written.yes = true;
    written.text = "\xe3\x81\x82"
                   "a";
    written.score = std::make_shared<CHighScoreInfo>(4321, true);
    written.again = written.score;
    written.ints = {3, -1};
    written.flags = {true, false, true};
    const auto write = [&written](Serializer& s) { written.describe(s); };
    const std::string path = folder.file("every.dat");
    serialization::fSaveRecord(path, write);
    const std::vector<std::byte> bytes = serialization::fSaveRecordToBytes(write);
    EXPECT_EQ(unsignedBytes(bytes), fReadBytes(path));

    SEveryField read;
    serialization::fLoadRecordFromBytes(bytes, "upload", [&read](Serializer& s) { read.describe(s); });
    EXPECT_EQ(read.number, -7);
    EXPECT_TRUE(read.yes);
    EXPECT_EQ(read.text, written.text);
    EXPECT_EQ(read.ints, written.ints);
    EXPECT_EQ(read.flags, written.flags);
    ASSERT_NE(read.score, nullptr);
    EXPECT_EQ(*read.score, CHighScoreInfo(4321, true));
    EXPECT_EQ(read.again, read.score);

    // The whole-record rules hold in memory too, naming the bytes as given.
    std::vector<std::byte> cut(bytes.begin(), bytes.end() - 1);
    std::vector<std::byte> longer = bytes;
    longer.push_back(std::byte{0});
    for (const auto& damaged : {std::pair{cut, "the record is cut short"}, {longer, "1 bytes follow"}}) {
        const std::string error = errorOf([&damaged] {
            SEveryField ignored;
            serialization::fLoadRecordFromBytes(damaged.first, "upload",
                                                [&ignored](Serializer& s) { ignored.describe(s); });
        });
        EXPECT_EQ(error.rfind("Damaged file 'upload': ", 0), 0u) << error;
        EXPECT_NE(error.find(damaged.second), std::string::npos) << error;
    }
}

TEST_F(SerializerTest, WritingInMemoryOverwritesAndSkipsLikeAFile) {
    const auto edit = [](Serializer& out) {
        out.skip(1);
        std::int32_t value = 0;
        out.describe(value);
        out.skip(3); // past the end: the gap reads as zeros
        bool flag = true;
        out.describe(flag);
        EXPECT_THROW(out.skip(-100), CException);
    };
    const std::string path = folder.file("keep.dat");
    fWriteBytes(path, {9, 9, 9, 9, 9, 9});
    {
        Serializer out(FileMode::Out, path);
        edit(out);
    }
    std::vector<std::byte> memory(6, std::byte{9});
    {
        Serializer out = Serializer::writing(memory, "memory");
        edit(out);
    }
    EXPECT_EQ(fReadBytes(path), (std::vector<unsigned char>{9, 0, 0, 0, 0, 9, 0, 0, 1}));
    EXPECT_EQ(unsignedBytes(memory), fReadBytes(path));
}
