// The host's plane geometry in points: `PMPoint`, `PMRect` (y grows downward), `PMMatrix` and
// `PMPageSize`.
#pragma once

#include <array>
#include <cstddef>

using PMReal = double;

class PMPoint {
public:
    constexpr PMPoint() = default;
    constexpr PMPoint(PMReal x, PMReal y) : m_x(x), m_y(y) {}

    constexpr PMReal X() const { return m_x; }
    constexpr PMReal Y() const { return m_y; }
    void X(PMReal x) { m_x = x; }
    void Y(PMReal y) { m_y = y; }
    constexpr bool operator==(const PMPoint&) const = default;

private:
    PMReal m_x = 0;
    PMReal m_y = 0;
};

// An axis-aligned rectangle: left, top, right, bottom, with y growing downward. Nothing keeps
// left <= right or top <= bottom.
class PMRect {
public:
    constexpr PMRect() = default;
    constexpr PMRect(PMReal left, PMReal top, PMReal right, PMReal bottom)
        : m_left(left), m_top(top), m_right(right), m_bottom(bottom) {}
    constexpr PMRect(const PMPoint& leftTop, const PMPoint& rightBottom)
        : PMRect(leftTop.X(), leftTop.Y(), rightBottom.X(), rightBottom.Y()) {}

    constexpr PMReal Left() const { return m_left; }
    constexpr PMReal Top() const { return m_top; }
    constexpr PMReal Right() const { return m_right; }
    constexpr PMReal Bottom() const { return m_bottom; }
    void Left(PMReal value) { m_left = value; }
    void Top(PMReal value) { m_top = value; }
    void Right(PMReal value) { m_right = value; }
    void Bottom(PMReal value) { m_bottom = value; }
    constexpr PMPoint LeftTop() const { return {m_left, m_top}; }
    constexpr PMPoint RightBottom() const { return {m_right, m_bottom}; }

    constexpr PMReal Width() const { return m_right - m_left; }
    constexpr PMReal Height() const { return m_bottom - m_top; }
    // Keeps left (top) and moves right (bottom).
    void SetWidth(PMReal width) { m_right = m_left + width; }
    void SetHeight(PMReal height) { m_bottom = m_top + height; }

    // Empty unless right > left and bottom > top: a rectangle of zero width or height is empty,
    // and so is one with a NaN edge.
    constexpr bool IsEmpty() const { return !(m_right > m_left && m_bottom > m_top); }

    // Moves the rectangle by (dx, dy).
    void MoveRel(PMReal dx, PMReal dy);
    // Moves the rectangle so that its centre is `centre`, keeping its size.
    void CenterOn(const PMPoint& centre);
    // Moves left and right inwards by dx, top and bottom by dy (negative values grow it).
    void Inset(PMReal dx, PMReal dy);
    // Grows the rectangle to the bounding box of itself and `other`; neither side is skipped
    // for being empty.
    void Union(const PMRect& other);

    constexpr bool operator==(const PMRect&) const = default;

private:
    PMReal m_left = 0;
    PMReal m_top = 0;
    PMReal m_right = 0;
    PMReal m_bottom = 0;
};

// True when the two rectangles overlap in an area: max(lefts) < min(rights) and
// max(tops) < min(bottoms). Rectangles that only touch do not intersect, and an empty rectangle
// intersects nothing.
bool Intersect(const PMRect& a, const PMRect& b);
// True when `inner` lies within `outer`, edges included: left and top not below outer's, right
// and bottom not beyond outer's.
bool RectIn(const PMRect& inner, const PMRect& outer);

// An affine matrix (a, b, c, d, tx, ty). A point is a row vector multiplied from the left:
// (x, y) maps to (x·a + y·c + tx, x·b + y·d + ty). Scale, Translate and PostConcat apply their
// transform after the one the matrix already holds.
class PMMatrix {
public:
    constexpr PMMatrix() = default;
    constexpr PMMatrix(PMReal a, PMReal b, PMReal c, PMReal d, PMReal tx, PMReal ty)
        : m_values{a, b, c, d, tx, ty} {}

    // The six values in the order a, b, c, d, tx, ty.
    constexpr PMReal operator[](int index) const {
        return m_values[static_cast<std::size_t>(index)];
    }

    void Scale(PMReal sx, PMReal sy);
    void Translate(PMReal dx, PMReal dy);
    // This matrix followed by `then`.
    void PostConcat(const PMMatrix& then);

    PMPoint Transform(const PMPoint& point) const;
    // The bounding box of the rectangle's four corners after the transform.
    PMRect TransformBounds(const PMRect& rect) const;
    constexpr bool IsIdentity() const { return *this == PMMatrix{}; }

    constexpr bool operator==(const PMMatrix&) const = default;

private:
    std::array<PMReal, 6> m_values{1, 0, 0, 1, 0, 0};
};

// A page size: width and height in points.
class PMPageSize {
public:
    constexpr PMPageSize(PMReal width, PMReal height) : m_width(width), m_height(height) {}
    // The size of the rectangle.
    explicit constexpr PMPageSize(const PMRect& rect) : PMPageSize(rect.Width(), rect.Height()) {}

    constexpr PMReal Width() const { return m_width; }
    constexpr PMReal Height() const { return m_height; }
    constexpr bool operator==(const PMPageSize&) const = default;

private:
    PMReal m_width;
    PMReal m_height;
};
