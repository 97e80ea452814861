#include "ScratchFolder.h"
#include "base/CArchiver.h"
#include "base/CException.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct SMemberInfo {
    std::string name;
    std::uint16_t centralMethod;
    std::uint16_t localMethod;
};

std::uint32_t le32(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at)) | (static_cast<std::uint32_t>(b.at(at + 1)) << 8) |
           (static_cast<std::uint32_t>(b.at(at + 2)) << 16) |
           (static_cast<std::uint32_t>(b.at(at + 3)) << 24);
}
std::uint16_t le16(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
void putLe32(std::vector<unsigned char>& b, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        b.at(at + static_cast<std::size_t>(i)) = static_cast<unsigned char>(value >> (8 * i));
    }
}

std::size_t endRecordOffset(const std::vector<unsigned char>& zip) {
    for (std::size_t at = zip.size() - 22;; --at) {
        if (le32(zip, at) == 0x06054b50u) {
            return at;
        }
        if (at == 0) {
            throw std::runtime_error("no end record");
        }
    }
}

// Walks the central directory; each entry's local header is read too.
std::vector<SMemberInfo> members(const std::vector<unsigned char>& zip) {
    const std::size_t end = endRecordOffset(zip);
    const std::uint16_t count = le16(zip, end + 10);
    std::size_t at = le32(zip, end + 16);
    std::vector<SMemberInfo> result;
    for (std::uint16_t i = 0; i < count; ++i) {
        EXPECT_EQ(le32(zip, at), 0x02014b50u);
        SMemberInfo info;
        info.centralMethod = le16(zip, at + 10);
        const std::uint16_t nameLength = le16(zip, at + 28);
        const std::uint16_t extraLength = le16(zip, at + 30);
        const std::uint16_t commentLength = le16(zip, at + 32);
        const std::uint32_t local = le32(zip, at + 42);
        info.name.assign(zip.begin() + static_cast<std::ptrdiff_t>(at + 46),
                         zip.begin() + static_cast<std::ptrdiff_t>(at + 46 + nameLength));
        EXPECT_EQ(le32(zip, local), 0x04034b50u);
        info.localMethod = le16(zip, local + 8);
        result.push_back(info);
        at += 46u + nameLength + extraLength + commentLength;
    }
    return result;
}

// Every file under the folder, relative to it.
std::vector<std::string> filesUnder(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            names.push_back(std::filesystem::relative(entry.path(), folder).generic_string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class ArchiverTest : public ::testing::Test {
protected:
    ArchiverTest() {
        std::filesystem::create_directories(folder.path() / "make" / "dat" / "replay");
        std::filesystem::create_directories(folder.path() / "use" / "dat" / "replay");
    }
    std::filesystem::path make() const { return folder.path() / "make"; }
    std::filesystem::path use() const { return folder.path() / "use"; }

    // Builds an archive of the given member paths (relative to the "make" folder) and copies it to "use".
    // Missing members are made: a seed for the seed's name, three bytes for any other.
    std::string buildArchive(const std::vector<std::string>& names) {
        {
            CWorkingDirectoryGuard cwd(make());
            for (const std::string& name : names) {
                if (!std::filesystem::exists(name)) {
                    fWriteBytes(name, name == "dat/replay/replay.dat" ? std::vector<unsigned char>{7, 0, 0, 0}
                                                                      : std::vector<unsigned char>{1, 2, 3});
                }
            }
            CArchiver::fCompress("hostile.zip", names, false);
        }
        std::filesystem::copy_file(make() / "hostile.zip", use() / "hostile.zip",
                                   std::filesystem::copy_options::overwrite_existing);
        return "hostile.zip";
    }

    void expectRefused(const std::string& archive, const std::string& textPart) {
        CWorkingDirectoryGuard cwd(use());
        try {
            CArchiver::fExtract(archive);
            ADD_FAILURE() << "the archive was accepted";
        } catch (const CException& failure) {
            EXPECT_NE(std::string(failure.what()).find(textPart), std::string::npos) << failure.what();
        }
        EXPECT_EQ(filesUnder(use()), std::vector<std::string>{archive}) << "nothing may be written";
    }

    CScratchFolder folder;
};

const std::vector<std::string> kReplayMembers = {"dat/replay/replay_key.dat", "dat/replay/replay.dat"};

} // namespace

TEST_F(ArchiverTest, RoundTripOfTheTwoReplayFiles) {
    std::vector<unsigned char> keys(112 * 300);
    for (std::size_t i = 0; i < keys.size(); i += 4) {
        keys[i] = static_cast<unsigned char>((i / 4) % 3 == 0);
    }
    const std::vector<unsigned char> seed = {0x21, 0x03, 0, 0};
    {
        CWorkingDirectoryGuard cwd(make());
        fWriteBytes(kReplayMembers[0], keys);
        fWriteBytes(kReplayMembers[1], seed);
        CArchiver::fCompress("dat/replay/replay", kReplayMembers, true);
        EXPECT_FALSE(std::filesystem::exists(kReplayMembers[0]));
        EXPECT_FALSE(std::filesystem::exists(kReplayMembers[1]));
    }
    const std::vector<unsigned char> zip = fReadBytes((make() / "dat/replay/replay").string());
    const std::vector<SMemberInfo> info = members(zip);
    ASSERT_EQ(info.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(info[i].name, kReplayMembers[i]);
        EXPECT_EQ(info[i].centralMethod, 8);
        EXPECT_EQ(info[i].localMethod, 8);
    }
    EXPECT_LT(zip.size(), keys.size()) << "the key records were deflated";

    std::filesystem::copy_file(make() / "dat/replay/replay", use() / "downloaded");
    {
        CWorkingDirectoryGuard cwd(use());
        fWriteBytes(kReplayMembers[1], {9, 9, 9, 9, 9, 9, 9}); // replaced
        CArchiver::fExtract("downloaded");
        EXPECT_EQ(fReadBytes(kReplayMembers[0]), keys);
        EXPECT_EQ(fReadBytes(kReplayMembers[1]), seed);
    }
    EXPECT_EQ(filesUnder(use()),
              (std::vector<std::string>{"dat/replay/replay.dat", "dat/replay/replay_key.dat", "downloaded"}));
}

TEST_F(ArchiverTest, ArchivesInMemoryAreCheckedAndUnpackedLikeFiles) {
    {
        CWorkingDirectoryGuard cwd(make());
        fWriteBytes(kReplayMembers[0], std::vector<unsigned char>(112 * 3, 1));
        fWriteBytes(kReplayMembers[1], {7, 0, 0, 0});
        CArchiver::fCompress("replay.zip", kReplayMembers, false);
    }
    const std::vector<unsigned char> zip = fReadBytes((make() / "replay.zip").string());
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(zip.data()), zip.size());
    EXPECT_NO_THROW(CArchiver::fCheckReplayBytes(bytes, "sent"));
    CArchiver::fExtractBytes(bytes, "sent", use().string() + "/");
    for (const std::string& member : kReplayMembers) {
        EXPECT_EQ(fReadBytes((use() / member).string()), fReadBytes((make() / member).string())) << member;
    }
    try {
        CArchiver::fCheckReplayBytes(bytes.first(bytes.size() - 1), "sent");
        ADD_FAILURE() << "a cut archive was accepted";
    } catch (const CException& failure) {
        EXPECT_NE(std::string(failure.what()).find("'sent'"), std::string::npos) << failure.what();
    }

    // A file larger than any replay is refused before it is read (a sparse file: no disk is used).
    const std::filesystem::path huge = use() / "huge";
    fWriteBytes(huge.string(), zip);
    std::filesystem::resize_file(huge, CArchiver::kMaxArchiveSize + 1);
    try {
        CArchiver::fCheckReplay(huge.string());
        ADD_FAILURE() << "a huge archive was accepted";
    } catch (const CException& failure) {
        EXPECT_NE(std::string(failure.what()).find("larger than"), std::string::npos) << failure.what();
    }
}

TEST_F(ArchiverTest, TinyAndEmptyMembersAreDeflatedToo) {
    CWorkingDirectoryGuard cwd(make());
    fWriteBytes("a.dat", {});
    fWriteBytes("b.dat", {42});
    CArchiver::fCompress("small.zip", {"b.dat", "a.dat"}, false);
    const std::vector<SMemberInfo> info = members(fReadBytes("small.zip"));
    ASSERT_EQ(info.size(), 2u);
    EXPECT_EQ(info[0].name, "b.dat");
    EXPECT_EQ(info[1].name, "a.dat");
    EXPECT_EQ(info[0].centralMethod, 8);
    EXPECT_EQ(info[1].centralMethod, 8);
    EXPECT_TRUE(std::filesystem::exists("a.dat")) << "sources are kept when asked";
}

TEST_F(ArchiverTest, MissingSourceIsAnError) {
    CWorkingDirectoryGuard cwd(make());
    EXPECT_THROW(CArchiver::fCompress("x.zip", {"missing.dat"}, true), CException);
}

TEST_F(ArchiverTest, MissingOrNonZipArchiveIsAnError) {
    fWriteBytes((use() / "junk").string(), {'n', 'o', 't', ' ', 'z', 'i', 'p'});
    expectRefused("junk", "junk");
    fWriteBytes((use() / "empty").string(), {});
    {
        CWorkingDirectoryGuard cwd(use());
        EXPECT_THROW(CArchiver::fExtract("empty"), CException);
        EXPECT_THROW(CArchiver::fExtract("missing"), CException);
    }
}

TEST_F(ArchiverTest, NameWithParentFolderIsRefused) {
    std::filesystem::create_directories(make() / "sub");
    {
        CWorkingDirectoryGuard cwd(make() / "sub");
        fWriteBytes("../evil.dat", {1});
        fWriteBytes("dat_key.dat", {1});
        CArchiver::fCompress("../hostile.zip", {"../evil.dat", "dat_key.dat"}, false);
    }
    std::filesystem::copy_file(make() / "hostile.zip", use() / "hostile.zip");
    expectRefused("hostile.zip", "'../evil.dat' is not part of a replay");
}

TEST_F(ArchiverTest, DotDotInsideAReplayLikeNameIsRefused) {
    std::filesystem::create_directories(make() / "dat/x");
    expectRefused(buildArchive({kReplayMembers[0], "dat/x/../replay/replay.dat"}), "is not part of a replay");
}

TEST_F(ArchiverTest, AbsoluteNameIsRefused) {
    const std::string absolute = (folder.path() / "absolute.dat").string();
    fWriteBytes(absolute, {1});
    expectRefused(buildArchive({kReplayMembers[0], absolute}), "is not part of a replay");
}

TEST_F(ArchiverTest, OtherNamesAndMemberCountsAreRefused) {
    expectRefused(buildArchive({kReplayMembers[0], "dat/replay/other.dat"}), "is not part of a replay");
    expectRefused(buildArchive({kReplayMembers[0], kReplayMembers[1], "dat/replay/score.dat"}), "3 members");
    expectRefused(buildArchive({kReplayMembers[1]}), "1 members");
}

TEST_F(ArchiverTest, OversizedDeclaredMemberIsRefused) {
    std::vector<unsigned char> zip = fReadBytes((use() / buildArchive(kReplayMembers)).string());
    // Announce 64 MiB + 1 expanded bytes for the first member, in its local and central headers.
    const std::size_t end = endRecordOffset(zip);
    const std::size_t central = le32(zip, end + 16);
    const std::size_t local = le32(zip, central + 42);
    putLe32(zip, central + 24, static_cast<std::uint32_t>(CArchiver::kMaxMemberSize + 1));
    putLe32(zip, local + 22, static_cast<std::uint32_t>(CArchiver::kMaxMemberSize + 1));
    fWriteBytes((use() / "hostile.zip").string(), zip);
    expectRefused("hostile.zip", "expands to 67108865 bytes");
}

TEST_F(ArchiverTest, MemberShorterThanDeclaredIsRefused) {
    std::vector<unsigned char> zip = fReadBytes((use() / buildArchive(kReplayMembers)).string());
    const std::size_t end = endRecordOffset(zip);
    const std::size_t central = le32(zip, end + 16);
    const std::size_t local = le32(zip, central + 42);
    putLe32(zip, central + 24, 1120); // ten whole frames
    putLe32(zip, local + 22, 1120);
    fWriteBytes((use() / "hostile.zip").string(), zip);
    expectRefused("hostile.zip", "'dat/replay/replay_key.dat' is damaged");
}

TEST_F(ArchiverTest, MembersOfTheWrongSizeAreRefusedBeforeAnythingIsWritten) {
    struct Case {
        std::size_t keyBytes;
        std::size_t seedBytes;
        const char* refusal; // null: accepted
    };
    const Case cases[] = {
        {112 * 2 + 11, 4, "'dat/replay/replay_key.dat' is 235 bytes"},
        {111, 4, "'dat/replay/replay_key.dat' is 111 bytes"},
        {112, 0, "'dat/replay/replay.dat' is 0 bytes"},
        {112, 3, "'dat/replay/replay.dat' is 3 bytes"},
        {112, 5, "'dat/replay/replay.dat' is 5 bytes"},
        {112 * 3, 8, "'dat/replay/replay.dat' is 8 bytes"},
        {0, 4, nullptr},
        {112 * 2 + 10, 4, nullptr},
    };
    for (const Case& c : cases) {
        const std::vector<unsigned char> keys(c.keyBytes, 1);
        const std::vector<unsigned char> seed(c.seedBytes, 2);
        {
            CWorkingDirectoryGuard cwd(make());
            fWriteBytes(kReplayMembers[0], keys);
            fWriteBytes(kReplayMembers[1], seed);
        }
        const std::string archive = buildArchive(kReplayMembers);
        if (c.refusal != nullptr) {
            expectRefused(archive, c.refusal);
            continue;
        }
        CWorkingDirectoryGuard cwd(use());
        CArchiver::fExtract(archive);
        EXPECT_EQ(fReadBytes(kReplayMembers[0]), keys) << c.keyBytes;
        EXPECT_EQ(fReadBytes(kReplayMembers[1]), seed) << c.keyBytes;
    }
}
