// The characters a name can be made of, laid out for a gamepad: every character the ranking accepts
// (base/PlayerName.h) but the space, which names lose anyway, letters first, then digits and signs. The
// d-pad moves the cursor (round at the edges); the name entry adds the character under it.
#pragma once

#include "gui/CMainWindow.h"

#include <memory>
#include <string>

class CPadCharacterGrid {
public:
    static constexpr int kColumns = 16;

    // A framed grid with its top-left corner at (x, y), drawn in `font`.
    CPadCharacterGrid(int x, int y, int font);

    // Moves the cursor by whole cells, round at the edges (the last row may be short).
    void fMove(int dx, int dy);
    char fCurrent() const { return mCharacters[static_cast<std::size_t>(mIndex)]; }
    const std::string& fCharacters() const { return mCharacters; }
    void fDraw() const;
    SWindowRect fGetRect() const { return mRect; }

private:
    std::string mCharacters;
    int mIndex = 0;
    int mFont;
    int mCell;
    SWindowRect mRect;
    std::unique_ptr<CMainWindow> mWindow;
};
