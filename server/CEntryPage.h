// The page of one ranking entry, "/entry/<id>": who, what score, when, which game version checked it, what
// the run was as that check saw it (time played, the dishes eaten with their pictures, enemies beaten, the
// highest rank, faints) and the picture of its result screen, or a notice where there is none.
#pragma once

#include "CRankingStore.h"
#include "PageTexts.h"

#include <string>

class CEntryPage {
public:
    enum class EPicture {
        Shown,   // a sound picture, at "/entry/<id>/result.png"
        Missing, // not painted (yet, or it could not be)
        Damaged, // stored, but not a sound picture
    };

    static std::string fHtml(const SListedEntry& entry, EPicture picture, const SPageLanguage& language = {});
};
