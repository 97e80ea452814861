// One run's recording or playback, from its start to its end. Starting seeds gRandom and either records
// every frame of the live keys or swaps the key manager for a player of a packed replay; ending gives the
// live keyboard back and, after a new high score, stores the score with its replay. A session ends once:
// normally (fEnd), without storing anything (fAbandon), or, if its owner is dropped or fails half-built,
// in its destructor, which abandons the run, puts the previous random generator back and never throws.
#pragma once

#include "replay/ReplayFiles.h"

#include <cstdint>
#include <memory>
#include <string>

class CKeyRecorder;
class CRandom;

class CRunSession {
public:
    // An empty replay path makes a new run that records; otherwise the packed replay to play back.
    // With `input` given, a playback plays it and unpacks nothing: `replayPath` only names it.
    explicit CRunSession(std::string replayPath, SReplayInput input = {});
    ~CRunSession();
    CRunSession(const CRunSession&) = delete;
    CRunSession& operator=(const CRunSession&) = delete;

    // A new run records under `seed`; a playback unpacks its replay and takes the seed stored there. A
    // damaged or hostile replay is a CException that leaves gKeyManager and gRandom as they were.
    void fStart(std::int32_t seed);
    // The run is over: a playback gives the live keyboard back; a recording that beat `bestScore` stores the
    // replay and the high score (answering true), otherwise its frames are thrown away.
    bool fEnd(std::int32_t score, std::int32_t bestScore);
    // Esc: recording or playback ends and nothing is stored.
    void fAbandon();

    bool fIsRunning() const { return mRunning; }
    bool fIsReplay() const { return !mReplayPath.empty(); }

private:
    // The replay is packed beside the old one first, so a failure on the way leaves the old score and
    // replay together.
    static void fStoreReplay(std::int32_t score);
    // Writes the recorded frames out and stops recording.
    void fEndRecording();

    std::string mReplayPath;
    SReplayInput mInput;
    bool mRunning = false;
    std::unique_ptr<CRandom> mRandomBefore;
    // The key manager holds only a weak reference: the recorder lives as long as the recording.
    std::shared_ptr<CKeyRecorder> mRecorder;
};
