// What the server keeps: the ranking's entries with their replays. Two stores hold it: SQLite with a folder
// of replay files (one machine, the default), and PostgreSQL with the replays in the database (any number of
// web nodes and checkers sharing it). Both commit an entry with its replay before fAdd returns, store the
// same replay bytes once, and rank by score with competition ranks. Each entry may have a picture of its
// result screen, kept beside it (SQLite: a file beside its replay; PostgreSQL: in the database).
#pragma once

#include "RankingProtocol.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class ERankingOrder { Score, Date };

// An entry to store. `id` and `registeredAt` are given only when an entry moves from another store.
struct SNewEntry {
    std::string name;
    int score = 0;
    std::string replay;
    std::string digest;  // fReplayDigest of `replay`
    std::string version; // the game version that checked it
    std::optional<SRunSummary> run;
    std::string id;
    std::int64_t registeredAt = 0;
};

class CRankingStore {
public:
    virtual ~CRankingStore() = default;

    struct SAdded {
        SListedEntry entry;  // with its competition rank
        bool stored = false; // false: the same replay was already there, and `entry` is that one
    };
    // Stores a checked replay. The same bytes are stored once. Throws std::runtime_error.
    virtual SAdded fAdd(const SNewEntry& entry) = 0;
    // The entry holding the replay of this digest, if any.
    virtual std::optional<SListedEntry> fFindReplay(const std::string& digest) = 0;

    // Entries with their competition ranks, in the order asked for, `limit` of them from `offset`.
    virtual std::vector<SListedEntry> fList(ERankingOrder order, int offset, int limit) = 0;
    virtual int fCount() = 0;
    // Changes with every stored entry, so a cached list knows when it is stale.
    virtual std::uint64_t fGeneration() = 0;
    // An entry this node was told of is stored (by a checker of its own or elsewhere): the next list must
    // show it, whether or not the store has heard of it yet.
    virtual void fNoteChange() {}

    // One entry with its competition rank; nullopt for an id with no entry.
    virtual std::optional<SListedEntry> fEntry(const std::string& id) = 0;

    // The replay bytes of an entry; nullopt for an id with no entry.
    virtual std::optional<std::string> fReplay(const std::string& id) = 0;

    // The picture of an entry's result screen, painted after its check: stored (replacing any earlier one)
    // once painted; nothing is stored for an id with no entry (false). Throws std::runtime_error.
    virtual bool fPutResultPicture(const std::string& id, const std::string& png) = 0;
    // The stored picture's bytes as they are (the reader checks them); nullopt when there is none.
    virtual std::optional<std::string> fResultPicture(const std::string& id) = 0;
    // Whether the store answers a query now.
    virtual bool fAnswers() = 0;
};
