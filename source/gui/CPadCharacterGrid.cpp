#include "gui/CPadCharacterGrid.h"

#include "base/PlayerName.h"
#include "gui/GuiStyle.h"

#include <cctype>
#include <dx/DxLib.h>

namespace {
constexpr int kMargin = 14;
} // namespace

CPadCharacterGrid::CPadCharacterGrid(int x, int y, int font)
    : mFont(font), mCell(gui::fFontSize(font) + 6), mWindow(std::make_unique<CMainWindow>()) {
    for (const auto keep : {+[](unsigned char c) { return std::isalpha(c) != 0; },
                            +[](unsigned char c) { return std::isdigit(c) != 0; },
                            +[](unsigned char c) { return std::isalnum(c) == 0 && c != ' '; }}) {
        for (int c = 0; c < 128; ++c) {
            if (fIsPlayerNameChar(static_cast<char>(c)) && keep(static_cast<unsigned char>(c))) {
                mCharacters += static_cast<char>(c);
            }
        }
    }
    // Capitals before small letters: isalpha gave them in code order, which is that.
    const int rows = (static_cast<int>(mCharacters.size()) + kColumns - 1) / kColumns;
    mRect = SWindowRect{x, y, kColumns * mCell + 2 * kMargin, rows * mCell + 2 * kMargin};
    mWindow->fCreate(mRect.w, mRect.h, gui::fStandardLayers(mRect.w, mRect.h));
    mWindow->fSetRect(mRect.x, mRect.y, mRect.w, mRect.h);
}

void CPadCharacterGrid::fMove(int dx, int dy) {
    const int count = static_cast<int>(mCharacters.size());
    const int rows = (count + kColumns - 1) / kColumns;
    int column = mIndex % kColumns;
    int row = mIndex / kColumns;
    const int rowLength = [&](int r) { return r == rows - 1 ? count - r * kColumns : kColumns; }(row);
    column = (column + dx % rowLength + rowLength) % rowLength;
    row = (row + dy % rows + rows) % rows;
    // On the short last row a column past its end takes its last character.
    const int lastRowLength = count - (rows - 1) * kColumns;
    if (row == rows - 1 && column >= lastRowLength) {
        column = lastRowLength - 1;
    }
    mIndex = row * kColumns + column;
}

void CPadCharacterGrid::fDraw() const {
    mWindow->fDraw();
    for (int i = 0; i < static_cast<int>(mCharacters.size()); ++i) {
        const int cx = mRect.x + kMargin + (i % kColumns) * mCell;
        const int cy = mRect.y + kMargin + (i / kColumns) * mCell;
        const std::string glyph(1, mCharacters[static_cast<std::size_t>(i)]);
        const int w = dx_GetDrawStringWidthToHandle(glyph.c_str(), 1, mFont);
        if (i == mIndex) {
            dx_DrawBox(cx, cy, cx + mCell - 2, cy + mCell - 2, dx_GetColor(90, 40, 20), 1);
        }
        dx_DrawStringToHandle(cx + (mCell - 2 - w) / 2, cy + 2, glyph.c_str(),
                              i == mIndex ? gui::fFocusTextColour() : gui::fTextColour(), mFont);
    }
}
