// The town: four layers of 16 x 16 chips read from a text map (two ground layers, an overlay drawn above
// the actors, and a collision layer that is never drawn), and the camera that follows the party.
#pragma once

#include "Stage/CMapFile.h"
#include "Stage/CMapObject.h"
#include "geometry/CPoint.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CStage;

struct SCellRange {
    int x0;
    int x1;
    int y0;
    int y1;
};

class CGeographicalFeatures {
public:
    static constexpr int kChipSize = 16;
    static constexpr int kLayerCount = CMapFile::kLayerCount;
    static constexpr int kCollisionLayer = CMapFile::kCollisionLayer;
    static constexpr int kEmptyChip = CMapFile::kEmptyChip;

    CGeographicalFeatures(int rows, int columns, const std::string& mapPath, const std::string& chipPath,
                          SPointD cameraCentre, CStage* stage);
    CGeographicalFeatures(const CGeographicalFeatures&) = delete;
    CGeographicalFeatures& operator=(const CGeographicalFeatures&) = delete;

    double fGetScrollX() const { return mScreenCentreX - mCamera.x; }
    double fGetScrollY() const { return mScreenCentreY - mCamera.y; }
    SPointD fGetScrollOffset() const { return {fGetScrollX(), fGetScrollY()}; }
    // Map and screen coordinates differ by the scroll offset.
    SPointD fToScreen(SPointD map) const { return map + fGetScrollOffset(); }
    SPointD fToMap(SPointD screen) const { return screen - fGetScrollOffset(); }
    SPointD fGetCamera() const { return mCamera; }
    void fSetCamera(SPointD centre) { mCamera = centre; }

    void fDrawLower() const;
    void fDrawUpper() const;
    SCellRange fGetCellRange(SPointI cell, int reachX, int reachY) const;
    // The object of a layer at a cell, or null for an empty chip or a cell outside the map.
    const CMapObject* fGetObject(int layer, int column, int row) const;

    // Follows the stage's party; see fScrollFor.
    void fUpdateScroll();
    // Moves the camera so that the screen position `party` stays inside the margins, moving the party back
    // by what the camera moved. Returns the horizontal edge where the camera stopped: 0 right, 1 left, -1
    // none.
    int fScrollFor(SPointD& party);

    // Does any solid chip near `mapPosition` overlap one of `rects` (both in map coordinates), or is the
    // position outside the map?
    bool fIsBlocked(SPointD mapPosition, const std::vector<SRectD>& rects) const;
    // Calls `onHit` once for every overlap of a solid chip near `mapPosition` with one of `rects`.
    void fForEachTerrainHit(SPointD mapPosition, const std::vector<SRectD>& rects,
                            const std::function<void()>& onHit) const;

    double fGetTop() const { return 0.0; }
    double fGetBottom() const { return mRows * kChipSize; }
    double fGetLeft() const { return 0.0; }
    double fGetRight() const { return mColumns * kChipSize; }
    int fGetRows() const { return mRows; }
    int fGetColumns() const { return mColumns; }

private:
    // Image handles that are deleted with their owner, so a map that fails to load half-way through the
    // constructor gives its chips back.
    class CGraphHandles {
    public:
        explicit CGraphHandles(std::size_t count) : mHandles(count, -1) {}
        ~CGraphHandles();
        CGraphHandles(const CGraphHandles&) = delete;
        CGraphHandles& operator=(const CGraphHandles&) = delete;
        int* fData() { return mHandles.data(); }
        int operator[](std::size_t index) const { return mHandles[index]; }

    private:
        std::vector<int> mHandles;
    };

    void fPlaceLayer(const CMapFile& map, int layer);
    void fDrawLayer(int layer) const;
    // Calls onHit for each overlap of a solid chip within `reach` cells with one of `rects`, until it
    // answers true.
    void fVisitSolidOverlaps(SPointD mapPosition, const std::vector<SRectD>& rects, int reach,
                             const std::function<bool()>& onHit) const;

    CStage* mStage;
    CGraphHandles mChipImages;
    CGraphHandles mCollisionImages;
    SPointD mCamera;
    double mHorizontalMargin = 256.0;
    double mVerticalMargin = 180.0;
    double mScreenCentreX;
    double mScreenCentreY;
    int mColumns;
    int mRows;
    std::array<std::vector<std::unique_ptr<CMapObject>>, kLayerCount> mLayers;
};
