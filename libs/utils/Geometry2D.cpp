// Plane geometry: rectangle union and intersection, grid snapping, matrix product, rotation
// and inversion.
#include "utils/Geometry2D.h"

#include "utils/Logger.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace zeu {

namespace {

constexpr double kSnapStep = 0.0009765625; // 1/1024

double snapValue(double v) {
    return std::floor(v / kSnapStep + 0.5) * kSnapStep;
}

} // namespace

void Point2D::snap() {
    x = snapValue(x);
    y = snapValue(y);
}

std::ostream& operator<<(std::ostream& out, const Point2D& point) {
    return out << '(' << point.x << ',' << point.y << ')';
}

bool Rect2D::isUnset() const {
    constexpr double inf = std::numeric_limits<double>::infinity();
    return x == inf && y == inf && width == 0 && height == 0;
}

bool Rect2D::contains(const Point2D& point) const {
    return minX() <= point.x && point.x <= maxX() && minY() <= point.y && point.y <= maxY();
}

bool Rect2D::contains(const Rect2D& other) const {
    if (other.isEmpty())
        return false;
    return other.minX() >= minX() && other.minY() >= minY() && other.maxX() <= maxX() &&
           other.maxY() <= maxY();
}

bool Rect2D::intersects(const Rect2D& other) const {
    return other.minX() < maxX() && minX() < other.maxX() && other.minY() < maxY() &&
           minY() < other.maxY();
}

Rect2D& Rect2D::operator|=(const Rect2D& other) {
    if (isEmpty()) {
        *this = other.isEmpty() ? zero : other;
        return *this;
    }
    if (other.isEmpty())
        return *this;
    const double left = std::min(minX(), other.minX());
    const double top = std::min(minY(), other.minY());
    const double right = std::max(maxX(), other.maxX());
    const double bottom = std::max(maxY(), other.maxY());
    *this = {left, top, right - left, bottom - top};
    return *this;
}

Rect2D Rect2D::operator|(const Rect2D& other) const {
    Rect2D result = *this;
    return result |= other;
}

Rect2D& Rect2D::operator&=(const Rect2D& other) {
    if (!intersects(other)) {
        *this = zero;
        return *this;
    }
    const double left = std::max(minX(), other.minX());
    const double top = std::max(minY(), other.minY());
    const double right = std::min(maxX(), other.maxX());
    const double bottom = std::min(maxY(), other.maxY());
    *this = {left, top, right - left, bottom - top};
    return *this;
}

Rect2D Rect2D::operator&(const Rect2D& other) const {
    Rect2D result = *this;
    return result &= other;
}

void Rect2D::inset(double dx, double dy) {
    x += dx;
    y += dy;
    width -= 2 * dx;
    height -= 2 * dy;
}

void Rect2D::normalize() {
    if (width < 0) {
        x += width;
        width = -width;
    }
    if (height < 0) {
        y += height;
        height = -height;
    }
}

void Rect2D::snap() {
    Point2D corner = origin();
    Point2D size = extent();
    corner.snap();
    size.snap();
    *this = {corner.x, corner.y, size.x, size.y};
}

std::ostream& operator<<(std::ostream& out, const Rect2D& rect) {
    return out << rect.origin() << '-' << rect.extent();
}

Matrix2D Matrix2D::operator*(const Matrix2D& n) const {
    return {a * n.a + b * n.c, a * n.b + b * n.d,          c * n.a + d * n.c,
            c * n.b + d * n.d, tx * n.a + ty * n.c + n.tx, tx * n.b + ty * n.d + n.ty};
}

Matrix2D& Matrix2D::operator*=(const Matrix2D& other) {
    return *this = *this * other;
}

void Matrix2D::rotate(double angle) {
    const double cs = std::cos(angle);
    const double sn = std::sin(angle);
    *this = {a * cs + c * sn, b * cs + d * sn, c * cs - a * sn, d * cs - b * sn, tx, ty};
}

bool Matrix2D::invert() {
    const double det = a * d - b * c;
    if (det == 0) {
        ZEU_LOG(Warn, "..\\..\\..\\libs\\utils\\Geometry2D", 200, "zeu::Matrix2D::invert")
            << "non invertible matrix";
        return false;
    }
    *this = {
        d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
    return true;
}

Point2D operator*(const Point2D& p, const Matrix2D& m) {
    return {p.x * m.a + p.y * m.c + m.tx, p.x * m.b + p.y * m.d + m.ty};
}

} // namespace zeu
