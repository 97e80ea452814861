#include "Stage/Collision.h"

bool fIsHitCircle(const SCircleD& a, const SCircleD& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    const double r = a.radius + b.radius;
    return dx * dx + dy * dy <= r * r;
}

namespace {
struct SEdges {
    double left;
    double right;
    double top;
    double bottom;
};

// The half sizes are cut to whole pixels; the centre keeps its fraction.
SEdges fEdges(const SRectD& r) {
    const int halfW = static_cast<int>(r.width / 2.0);
    const int halfH = static_cast<int>(r.height / 2.0);
    return {r.x - halfW, r.x + static_cast<int>(r.width - halfW), r.y - halfH,
            r.y + static_cast<int>(r.height - halfH)};
}
} // namespace

bool fIsHitRect(const SRectD& a, const SRectD& b) {
    const SEdges ea = fEdges(a);
    const SEdges eb = fEdges(b);
    return ea.left < eb.right && eb.left < ea.right && ea.top < eb.bottom && eb.top < ea.bottom;
}

SPointI fToMapCell(SPointD p) {
    int cx = static_cast<int>(p.x / 16.0);
    int cy = static_cast<int>(p.y / 16.0);
    if (p.x < 0) {
        cx -= 1;
    }
    if (p.y < 0) {
        cy -= 1;
    }
    return {cx, cy};
}
