// The recording half of live input: what the key manager samples, written frame by frame to a key
// record file.
#include "ScratchFolder.h"
#include "base/CException.h"
#include "input/CKeyManager.h"
#include "input/LiveKeysTest.h"
#include "replay/CKeyRecorder.h"

#include <dx/DxLib.h>
#include <gtest/gtest.h>
#include <memory>

namespace {

class KeyRecorderTest : public CLiveKeysTest {
protected:
    // A recorder attached to `keys`, recording into `path` from the next frame.
    static std::shared_ptr<CKeyRecorder> fRecording(CKeyManager& keys, const std::string& path,
                                                    bool append = false, bool stopWhenIdle = false,
                                                    int idleLimit = 0) {
        auto recorder = std::make_shared<CKeyRecorder>();
        keys.fSetFrameListener(recorder);
        recorder->fSetupRecord(path, append, stopWhenIdle, idleLimit);
        recorder->fStartRecord();
        return recorder;
    }
};

std::vector<std::uint32_t> readRecords(const std::string& path) {
    const std::vector<unsigned char> bytes = fReadBytes(path);
    std::vector<std::uint32_t> values;
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        values.push_back(static_cast<std::uint32_t>(bytes[i]) |
                         (static_cast<std::uint32_t>(bytes[i + 1]) << 8) |
                         (static_cast<std::uint32_t>(bytes[i + 2]) << 16) |
                         (static_cast<std::uint32_t>(bytes[i + 3]) << 24));
    }
    return values;
}

} // namespace

TEST_F(KeyRecorderTest, RecordingWritesOne112ByteRecordPerFrame) {
    CScratchFolder folder;
    const std::string path = folder.file("keys.tmp");
    fWriteBytes(path, std::vector<unsigned char>(50, 7)); // truncated by the set-up
    CKeyManager keys;
    const auto keysRec = std::make_shared<CKeyRecorder>();
    keys.fSetFrameListener(keysRec);
    frame(keys, {KEY_INPUT_Z}); // not recording yet
    keysRec->fSetupRecord(path, false, false, 0);
    EXPECT_TRUE(fReadBytes(path).empty());
    keysRec->fStartRecord();
    EXPECT_TRUE(keysRec->fIsRecording());
    frame(keys, {KEY_INPUT_Z, KEY_INPUT_LEFT});
    frame(keys, {});
    frame(keys, {KEY_INPUT_ESCAPE}, 0x20, true);
    EXPECT_TRUE(fReadBytes(path).empty()) << "records stay in memory until flushed";
    keysRec->fEndRecord();
    EXPECT_FALSE(keysRec->fIsRecording());
    const std::vector<std::uint32_t> values = readRecords(path);
    ASSERT_EQ(fReadBytes(path).size(), 3u * 112u);
    std::vector<std::uint32_t> expected(3 * 28, 0);
    expected[0 * 28 + 0] = 1; // LEFT
    expected[0 * 28 + 4] = 1; // ARROW_LEFT
    expected[0 * 28 + 8] = 1; // KEY_Z
    expected[2 * 28 + 9] = 1; // KEY_X from pad button 2
    expected[2 * 28 + 27] = 1;
    EXPECT_EQ(values, expected);
    frame(keys, {KEY_INPUT_Z}); // after the end nothing more is recorded
    EXPECT_EQ(fReadBytes(path).size(), 3u * 112u);
}

TEST_F(KeyRecorderTest, StopAndFlushAndAppend) {
    CScratchFolder folder;
    const std::string path = folder.file("keys.tmp");
    CKeyManager keys;
    const std::shared_ptr<CKeyRecorder> keysRec = fRecording(keys, path);
    frame(keys, {KEY_INPUT_Z});
    keysRec->fFlushRecord();
    EXPECT_EQ(fReadBytes(path).size(), 112u);
    keysRec->fStopRecord();
    frame(keys, {KEY_INPUT_Z});
    keysRec->fStartRecord();
    frame(keys, {});
    keysRec->fEndRecord();
    EXPECT_EQ(fReadBytes(path).size(), 224u);

    CKeyManager more;
    const std::shared_ptr<CKeyRecorder> moreRec = fRecording(more, path, true);
    frame(more, {KEY_INPUT_X});
    moreRec->fEndRecord();
    const std::vector<std::uint32_t> values = readRecords(path);
    ASSERT_EQ(values.size(), 3u * 28u);
    EXPECT_EQ(values[2 * 28 + 9], 1u);
}

TEST_F(KeyRecorderTest, IdleFramesPastTheLimitAreDroppedWhenAsked) {
    CScratchFolder folder;
    const std::string path = folder.file("idle.tmp");
    CKeyManager keys;
    const std::shared_ptr<CKeyRecorder> keysRec = fRecording(keys, path, false, true, 2);
    frame(keys, {KEY_INPUT_Z});
    for (int i = 0; i < 5; ++i) {
        frame(keys, {}); // idle 1 is recorded, idle 2.. are not
    }
    frame(keys, {KEY_INPUT_X});
    frame(keys, {});
    keysRec->fEndRecord();
    EXPECT_EQ(fReadBytes(path).size(), 4u * 112u);
}

TEST_F(KeyRecorderTest, RecordFileThatCannotBeCreatedIsAnError) {
    CScratchFolder folder;
    CKeyRecorder recorder;
    EXPECT_THROW(recorder.fSetupRecord(folder.file("no/such/folder/keys.tmp"), false, false, 0), CException);
}

TEST_F(KeyRecorderTest, DroppedRecorderStillWritesItsFrames) {
    CScratchFolder folder;
    const std::string path = folder.file("keys.tmp");
    {
        CKeyManager keys;
        const std::shared_ptr<CKeyRecorder> keysRec = fRecording(keys, path);
        frame(keys, {KEY_INPUT_Z});
        frame(keys, {KEY_INPUT_Z});
    }
    EXPECT_EQ(fReadBytes(path).size(), 224u);
}
