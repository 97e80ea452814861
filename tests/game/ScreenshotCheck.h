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

    // The mean of (r + g + b) / 3 over the screenshot's rectangle [x0, x1) x [y0, y1), and how many of its
    // pixels are brighter than `bright` in every channel; -1 when it cannot be read.
    double fMeanBrightness(const std::filesystem::path& screenshot, int x0, int y0, int x1, int y1);
    int fCountBright(const std::filesystem::path& screenshot, int x0, int y0, int x1, int y1, int bright);

private:
    template <typename Visit>
    bool fVisitPixels(const std::filesystem::path& screenshot, int x0, int y0, int x1, int y1, Visit&& visit);
    bool mStarted = false;
};
