#include "geometry/Define.h"

#include "base/Check.h"

#include <cmath>
#include <numbers>

namespace {
int index(EDirectionTenkey direction) {
    const auto value = static_cast<int>(direction);
    TAVONI_CHECK(value >= 0 && value <= 8, "geometry/Define", "tenkey direction out of range");
    return value;
}
} // namespace

int fTenkeyToAngle(EDirectionTenkey direction) {
    static constexpr int kAngles[9] = {225, 180, 135, 270, -1, 90, 315, 0, 45};
    return kAngles[index(direction)];
}

bool fIsTenkeyDiagonal(EDirectionTenkey direction) {
    const int value = index(direction);
    return value == 0 || value == 2 || value == 6 || value == 8;
}

std::pair<EDirectionTenkey, EDirectionTenkey> fGetTenkeyNeighbours(EDirectionTenkey direction) {
    using D = EDirectionTenkey;
    static constexpr std::pair<D, D> kNeighbours[9] = {
        {D::LEFT, D::DOWN},         {D::DOWN_LEFT, D::DOWN_RIGHT}, {D::DOWN, D::RIGHT},
        {D::UP_LEFT, D::DOWN_LEFT}, {D::NEUTRAL, D::NEUTRAL},      {D::DOWN_RIGHT, D::UP_RIGHT},
        {D::UP, D::LEFT},           {D::UP_RIGHT, D::UP_LEFT},     {D::RIGHT, D::UP},
    };
    return kNeighbours[index(direction)];
}

EDirectionTenkey fDirection4ToTenkey(EDirection4 direction) {
    switch (direction) {
    case EDirection4::LEFT:
        return EDirectionTenkey::LEFT;
    case EDirection4::UP:
        return EDirectionTenkey::UP;
    case EDirection4::RIGHT:
        return EDirectionTenkey::RIGHT;
    case EDirection4::DOWN:
        return EDirectionTenkey::DOWN;
    }
    TAVONI_UNREACHABLE("geometry/Define");
}

EDirection4 fAngleToDirection4(double degrees) {
    double angle = std::fmod(degrees, 360.0);
    if (angle < 0) {
        angle += 360.0;
    }
    if (angle >= 45 && angle < 135) {
        return EDirection4::RIGHT;
    }
    if (angle >= 135 && angle < 225) {
        return EDirection4::DOWN;
    }
    if (angle >= 225 && angle < 315) {
        return EDirection4::LEFT;
    }
    return EDirection4::UP;
}

EDirectionTenkey fAngleToTenkey(double degrees) {
    using D = EDirectionTenkey;
    static constexpr D kClockwiseFromUp[8] = {D::UP,   D::UP_RIGHT,  D::RIGHT, D::DOWN_RIGHT,
                                              D::DOWN, D::DOWN_LEFT, D::LEFT,  D::UP_LEFT};
    double angle = std::fmod(degrees + 22.5, 360.0);
    if (angle < 0) {
        angle += 360.0;
    }
    return kClockwiseFromUp[static_cast<int>(angle / 45.0) % 8];
}

double fDegreeToRadian(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}
