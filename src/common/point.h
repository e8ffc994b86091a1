// my::point: a 2-D position or offset in model units, with component-wise arithmetic.
// It is also the position base of the control points of the figure tree.
#pragma once

namespace my {

template <class T> struct point {
    T x{};
    T y{};

    constexpr point() = default;
    constexpr point(T x_, T y_) : x(x_), y(y_) {}

    constexpr point& operator+=(const point& o) {
        x += o.x;
        y += o.y;
        return *this;
    }
    constexpr point& operator-=(const point& o) {
        x -= o.x;
        y -= o.y;
        return *this;
    }
    constexpr point& operator*=(T s) {
        x *= s;
        y *= s;
        return *this;
    }
    constexpr point& operator/=(T s) {
        x /= s;
        y /= s;
        return *this;
    }
    friend constexpr point operator+(point a, const point& b) { return a += b; }
    friend constexpr point operator-(point a, const point& b) { return a -= b; }
    friend constexpr point operator-(const point& a) { return {-a.x, -a.y}; }
    friend constexpr point operator*(point a, T s) { return a *= s; }
    friend constexpr point operator*(T s, point a) { return a *= s; }
    friend constexpr point operator/(point a, T s) { return a /= s; }
    friend constexpr bool operator==(const point&, const point&) = default;
};

using pointd = point<double>;

} // namespace my
