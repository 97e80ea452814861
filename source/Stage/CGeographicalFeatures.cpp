#include "Stage/CGeographicalFeatures.h"
#include "base/GameFolders.h"

#include "Stage/CStage.h"
#include "Stage/Collision.h"
#include "Ziki/CZiki.h"
#include "base/CException.h"
#include "base/Check.h"

#include <algorithm>
#include <dx/DxLib.h>

namespace {
constexpr int kChipCount = CMapFile::kChipCount;
constexpr int kCollisionChipCount = CMapFile::kCollisionChipCount;
const char* const kCollisionSheet = "collision.png";
} // namespace

CGeographicalFeatures::CGeographicalFeatures(int rows, int columns, const std::string& mapPath,
                                             const std::string& chipPath, SPointD cameraCentre, CStage* stage)
    : mStage(stage), mChipImages(kChipCount), mCollisionImages(kCollisionChipCount), mCamera(cameraCentre),
      mScreenCentreX(cameraCentre.x), mScreenCentreY(cameraCentre.y), mColumns(columns), mRows(rows) {
    TAVONI_CHECK(rows > 0 && columns > 0, "Stage.CGeographicalFeatures", "map size must be positive");
    // The map first: a damaged one is refused before any image is loaded.
    const CMapFile map = CMapFile::fFromFile(mapPath, rows, columns);
    if (dx_LoadDivGraph(chipPath.c_str(), kChipCount, 256, 32, 16, 16, mChipImages.fData()) == -1) {
        throw CException("cannot load the map chips " + chipPath + ": " + dx_GetLastError());
    }
    const std::string collisionPath = fDataPath(kCollisionSheet);
    if (dx_LoadDivGraph(collisionPath.c_str(), kCollisionChipCount, 16, 16, 16, 16,
                        mCollisionImages.fData()) == -1) {
        throw CException("cannot load the collision chips " + collisionPath + ": " + dx_GetLastError());
    }
    for (auto& layer : mLayers) {
        layer.resize(static_cast<size_t>(columns) * static_cast<size_t>(rows));
    }
    for (int layer = 0; layer < kLayerCount; ++layer) {
        fPlaceLayer(map, layer);
    }
}

CGeographicalFeatures::CGraphHandles::~CGraphHandles() {
    for (int h : mHandles) {
        if (h != -1) {
            dx_DeleteGraph(h);
        }
    }
}

void CGeographicalFeatures::fPlaceLayer(const CMapFile& map, int layer) {
    const bool collision = layer == kCollisionLayer;
    for (int column = 0; column < mColumns; ++column) {
        for (int row = 0; row < mRows; ++row) {
            const int value = map.fGetChip(layer, column, row);
            if (value == kEmptyChip) {
                continue;
            }
            const int handle = collision ? mCollisionImages[static_cast<size_t>(value)]
                                         : mChipImages[static_cast<size_t>(value)];
            auto object = std::make_unique<CMapObject>(
                fMakeDrawData(handle), SPointD(column * kChipSize + 8.0, row * kChipSize + 8.0));
            if (collision && value == 0) {
                object->mHitRects.emplace_back(0.0, 0.0, 16.0, 16.0);
            }
            mLayers[static_cast<size_t>(layer)][static_cast<size_t>(column * mRows + row)] =
                std::move(object);
        }
    }
}

const CMapObject* CGeographicalFeatures::fGetObject(int layer, int column, int row) const {
    TAVONI_CHECK(layer >= 0 && layer < kLayerCount, "Stage.CGeographicalFeatures", "layer out of range");
    if (column < 0 || column >= mColumns || row < 0 || row >= mRows) {
        return nullptr;
    }
    return mLayers[static_cast<size_t>(layer)][static_cast<size_t>(column * mRows + row)].get();
}

SCellRange CGeographicalFeatures::fGetCellRange(SPointI cell, int reachX, int reachY) const {
    return {std::clamp(cell.x - reachX, 0, mColumns - 1), std::clamp(cell.x + reachX, 0, mColumns - 1),
            std::clamp(cell.y - reachY, 0, mRows - 1), std::clamp(cell.y + reachY, 0, mRows - 1)};
}

void CGeographicalFeatures::fDrawLayer(int layer) const {
    const SCellRange r = fGetCellRange(fToMapCell(mCamera), 20, 16);
    const SPointD offset = fGetScrollOffset();
    for (int row = r.y0; row <= r.y1; ++row) {
        for (int column = r.x0; column <= r.x1; ++column) {
            if (const CMapObject* o = fGetObject(layer, column, row)) {
                o->mDrawData.fDrawAt(o->mPosition + offset);
            }
        }
    }
}

void CGeographicalFeatures::fDrawLower() const {
    fDrawLayer(0);
    fDrawLayer(1);
}

void CGeographicalFeatures::fDrawUpper() const {
    fDrawLayer(2);
}

void CGeographicalFeatures::fUpdateScroll() {
    TAVONI_CHECK(mStage != nullptr, "Stage.CGeographicalFeatures", "scroll without a stage");
    CZiki* party = mStage->fGetParty();
    if (party == nullptr) {
        return;
    }
    const int edge = fScrollFor(party->mPosition);
    if (edge >= 0) {
        party->fOnScrollEdge(edge);
    }
}

int CGeographicalFeatures::fScrollFor(SPointD& party) {
    const double minCamY = fGetTop() + 240.0;
    const double maxCamY = fGetBottom() - 240.0;
    if (party.y < mVerticalMargin) {
        const double shortfall = mVerticalMargin - party.y;
        if (mCamera.y - shortfall >= minCamY) {
            mCamera.y -= shortfall;
            party.y = mVerticalMargin;
        } else {
            mCamera.y = minCamY; // stopped at the top: the party walks on towards the screen edge
        }
    } else if (party.y > 480.0 - mVerticalMargin) {
        const double excess = party.y - (480.0 - mVerticalMargin);
        if (mCamera.y + excess <= maxCamY) {
            mCamera.y += excess;
            party.y = 480.0 - mVerticalMargin;
        } else {
            mCamera.y = maxCamY;
        }
    }
    const double minCamX = fGetLeft() + 320.0;
    const double maxCamX = fGetRight() - 320.0;
    int edge = -1;
    if (party.x < mHorizontalMargin) {
        const double shortfall = mHorizontalMargin - party.x;
        if (mCamera.x - shortfall >= minCamX) {
            mCamera.x -= shortfall;
            party.x = mHorizontalMargin;
        } else {
            mCamera.x = minCamX;
            edge = 1;
        }
    } else if (party.x > 640.0 - mHorizontalMargin) {
        const double excess = party.x - (640.0 - mHorizontalMargin);
        if (mCamera.x + excess <= maxCamX) {
            mCamera.x += excess;
            party.x = 640.0 - mHorizontalMargin;
        } else {
            mCamera.x = maxCamX;
            edge = 0;
        }
    }
    return edge;
}

void CGeographicalFeatures::fVisitSolidOverlaps(SPointD mapPosition, const std::vector<SRectD>& rects,
                                                int reach, const std::function<bool()>& onHit) const {
    const SCellRange r = fGetCellRange(fToMapCell(mapPosition), reach, reach);
    for (int row = r.y0; row <= r.y1; ++row) {
        for (int column = r.x0; column <= r.x1; ++column) {
            const CMapObject* o = fGetObject(kCollisionLayer, column, row);
            if (o == nullptr) {
                continue;
            }
            for (const SRectD& local : o->mHitRects) {
                const SRectD chip(local.x + o->mPosition.x, local.y + o->mPosition.y, local.width,
                                  local.height);
                for (const SRectD& mine : rects) {
                    if (fIsHitRect(chip, mine) && onHit()) {
                        return;
                    }
                }
            }
        }
    }
}

bool CGeographicalFeatures::fIsBlocked(SPointD mapPosition, const std::vector<SRectD>& rects) const {
    bool hit = false;
    fVisitSolidOverlaps(mapPosition, rects, 1, [&hit] { return hit = true; });
    if (hit) {
        return true;
    }
    return !(fGetLeft() <= mapPosition.x && mapPosition.x <= fGetRight() && fGetTop() <= mapPosition.y &&
             mapPosition.y <= fGetBottom());
}

void CGeographicalFeatures::fForEachTerrainHit(SPointD mapPosition, const std::vector<SRectD>& rects,
                                               const std::function<void()>& onHit) const {
    // Every overlap is told, even several with one chip.
    fVisitSolidOverlaps(mapPosition, rects, 2, [&onHit] {
        onHit();
        return false;
    });
}
