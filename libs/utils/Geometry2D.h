// Plane geometry in doubles: points, axis-aligned rectangles given as origin and extent, and
// 2-D affine matrices. The job model keeps, merges, clips and snaps its boxes with these.
#pragma once

#include <iosfwd>
#include <limits>

namespace zeu {

struct Point2D {
    double x = 0;
    double y = 0;

    static const Point2D zero;

    // Rounds x and y to the nearest multiple of 1/1024, halves towards +infinity.
    void snap();
    void offset(double dx, double dy) {
        x += dx;
        y += dy;
    }
};

inline constexpr Point2D Point2D::zero{0, 0};

// Writes "(" x "," y ")" with the stream's double formatting.
std::ostream& operator<<(std::ostream& out, const Point2D& point);

// An origin and an extent with no invariant on signs: a negative width or height is allowed,
// and every comparison uses the minimum and maximum of each axis.
struct Rect2D {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    // Marks a box that was never computed: origin at +infinity, extent 0.
    static const Rect2D unset;
    static const Rect2D zero;

    double minX() const { return x < x + width ? x : x + width; }
    double maxX() const { return x < x + width ? x + width : x; }
    double minY() const { return y < y + height ? y : y + height; }
    double maxY() const { return y < y + height ? y + height : y; }

    Point2D origin() const { return {x, y}; }
    Point2D extent() const { return {width, height}; }

    // Width or height exactly 0 (a NaN is not 0).
    bool isEmpty() const { return width == 0 || height == 0; }
    bool isUnset() const;
    // Edges count as inside.
    bool contains(const Point2D& point) const;
    // False for an empty `other`; edges may coincide.
    bool contains(const Rect2D& other) const;
    // Overlap with positive extent on both axes: touching edges do not intersect.
    bool intersects(const Rect2D& other) const;

    // Union: an empty side gives way to the other (both empty: the zero rectangle); otherwise
    // the bounding box, with a non-negative extent.
    Rect2D& operator|=(const Rect2D& other);
    Rect2D operator|(const Rect2D& other) const;
    // Intersection: the zero rectangle unless the two intersect (strictly); emptiness is not
    // tested, so a degenerate rectangle strictly inside the other yields its own overlap.
    Rect2D& operator&=(const Rect2D& other);
    Rect2D operator&(const Rect2D& other) const;

    // Moves each edge inwards by dx and dy (negative values grow the rectangle).
    void inset(double dx, double dy);
    // Makes width and height non-negative, keeping the covered area.
    void normalize();
    // Snaps origin and extent to the 1/1024 grid.
    void snap();
};

inline constexpr Rect2D Rect2D::unset{std::numeric_limits<double>::infinity(),
                                      std::numeric_limits<double>::infinity(), 0, 0};
inline constexpr Rect2D Rect2D::zero{0, 0, 0, 0};

// Writes the origin as a point, "-", then the extent as a point.
std::ostream& operator<<(std::ostream& out, const Rect2D& rect);

// A point (x, y) maps to (x·a + y·c + tx, x·b + y·d + ty): points are row vectors multiplied
// from the left, so the product M·N applies M first, then N.
struct Matrix2D {
    double a = 1;
    double b = 0;
    double c = 0;
    double d = 1;
    double tx = 0;
    double ty = 0;

    // All six values compared exactly.
    bool operator==(const Matrix2D& other) const = default;

    Matrix2D operator*(const Matrix2D& other) const;
    Matrix2D& operator*=(const Matrix2D& other);

    void setIdentity() { *this = Matrix2D{}; }
    bool isIdentity() const { return *this == Matrix2D{}; }
    // Prepends a rotation by `angle` radians: a point is first rotated (counter-clockwise with
    // y pointing up), then mapped by the old matrix.
    void rotate(double angle);
    // Inverts in place. A singular matrix stays unchanged, is logged at WARN and gives false.
    [[nodiscard]] bool invert();
};

Point2D operator*(const Point2D& point, const Matrix2D& matrix);

} // namespace zeu
