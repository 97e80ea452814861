// Small value types for positions, sizes, hit areas and directions. x grows to the right, y downwards,
// units are pixels; directions are degrees with 0 = screen up, growing clockwise.
#pragma once

#include <cmath>

// 180 / 3.141592 rather than 180 / pi: stored angles and the game's comparisons use exactly this factor.
inline constexpr double kAngleFactor = 57.29579143313327;

// cos and sin of an angle in degrees, computed in long double and rounded to double, as play has always
// done. Remembered for recent angles (shots keep theirs for their whole flight), which gives the very same
// bits: the long double trigonometry was most of a replay check's time.
struct SCosSin {
    double c;
    double s;
};
SCosSin fCosSinDegrees(double degrees);

template <typename T> struct SPointT {
    T x{};
    T y{};

    constexpr SPointT() = default;
    constexpr SPointT(T x_, T y_) : x(x_), y(y_) {}

    constexpr T fGetX() const { return x; }
    constexpr T fGetY() const { return y; }
    constexpr void fSetX(T v) { x = v; }
    constexpr void fSetY(T v) { y = v; }

    constexpr SPointT operator+(const SPointT& q) const { return {x + q.x, y + q.y}; }
    constexpr SPointT operator-(const SPointT& q) const { return {x - q.x, y - q.y}; }
    constexpr SPointT operator*(double s) const { return {static_cast<T>(x * s), static_cast<T>(y * s)}; }
    constexpr bool operator==(const SPointT&) const = default;

    // A positive angle turns clockwise on the screen because y points down.
    SPointT fRotate(double degrees) const {
        // Most hit shapes sit at the actor's centre: turning nothing gives nothing, without the trigonometry.
        if (x == T{} && y == T{}) {
            return {};
        }
        const SCosSin cs = fCosSinDegrees(degrees);
        return {static_cast<T>(x * cs.c - y * cs.s), static_cast<T>(x * cs.s + y * cs.c)};
    }

    // Direction from this point to q: 0 up, 90 right, 180 down, 270 left; results lie in (-90, 270].
    double fGetAngleTo(const SPointT& q) const {
        return std::atan2(static_cast<double>(q.y - y), static_cast<double>(q.x - x)) * kAngleFactor + 90.0;
    }
    double fGetAngle() const { return SPointT{}.fGetAngleTo(*this); }

    double fGetDistance(const SPointT& q) const {
        const double dx = static_cast<double>(x - q.x);
        const double dy = static_cast<double>(y - q.y);
        return std::sqrt(dx * dx + dy * dy);
    }
};

// A rectangle given by its centre and its full width and height.
template <typename T> struct SRectExT {
    T x{};
    T y{};
    T width{};
    T height{};

    constexpr SRectExT() = default;
    constexpr SRectExT(T x_, T y_, T w, T h) : x(x_), y(y_), width(w), height(h) {}

    constexpr T fGetX() const { return x; }
    constexpr T fGetY() const { return y; }
    constexpr void fSetX(T v) { x = v; }
    constexpr void fSetY(T v) { y = v; }
    constexpr T fGetWidth() const { return width; }
    constexpr T fGetHeight() const { return height; }

    constexpr T fGetLeft() const { return x - width / 2; }
    constexpr T fGetRight() const { return x + (width - width / 2); }
    constexpr T fGetTop() const { return y - height / 2; }
    constexpr T fGetBottom() const { return y + (height - height / 2); }
};

template <typename T> struct SCircleT {
    T x{};
    T y{};
    T radius{};

    constexpr SCircleT() = default;
    constexpr SCircleT(T x_, T y_, T r) : x(x_), y(y_), radius(r) {}

    constexpr T fGetX() const { return x; }
    constexpr T fGetY() const { return y; }
    constexpr T fGetRadius() const { return radius; }
    constexpr void fSetX(T v) { x = v; }
    constexpr void fSetY(T v) { y = v; }
};

using SPointI = SPointT<int>;
using SPointD = SPointT<double>;
using SRectD = SRectExT<double>;
using SCircleD = SCircleT<double>;
