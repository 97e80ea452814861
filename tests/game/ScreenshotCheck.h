// Reads a screenshot back through the media layer's offscreen backend and asks whether one of the game's
// pictures is shown on it at a place.
#pragma once

#include <filesystem>
#include <string>

class CScreenshotCheck {
public:
    CScreenshotCheck();
    ~CScreenshotCheck();
    CScreenshotCheck(const CScreenshotCheck&) = delete;
    CScreenshotCheck& operator=(const CScreenshotCheck&) = delete;

    bool fIsStarted() const { return mStarted; }
    // Does `screenshot` show `picture` (a file of the game's data) with its top-left corner at (x, y)?
    // Drawing the picture there again changes no pixel exactly when it is already there.
    bool fShows(const std::filesystem::path& screenshot, const std::filesystem::path& picture, int x, int y);

private:
    bool mStarted = false;
};
