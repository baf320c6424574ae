#include "host/sdk/Geometry.h"

#include <algorithm>

void PMRect::MoveRel(PMReal dx, PMReal dy) {
    m_left += dx;
    m_right += dx;
    m_top += dy;
    m_bottom += dy;
}

void PMRect::CenterOn(const PMPoint& centre) {
    MoveRel(centre.X() - (m_left + m_right) / 2, centre.Y() - (m_top + m_bottom) / 2);
}

void PMRect::Inset(PMReal dx, PMReal dy) {
    m_left += dx;
    m_right -= dx;
    m_top += dy;
    m_bottom -= dy;
}

void PMRect::Union(const PMRect& other) {
    m_left = std::min(m_left, other.m_left);
    m_top = std::min(m_top, other.m_top);
    m_right = std::max(m_right, other.m_right);
    m_bottom = std::max(m_bottom, other.m_bottom);
}

bool Intersect(const PMRect& a, const PMRect& b) {
    return std::max(a.Left(), b.Left()) < std::min(a.Right(), b.Right()) &&
           std::max(a.Top(), b.Top()) < std::min(a.Bottom(), b.Bottom());
}

bool RectIn(const PMRect& inner, const PMRect& outer) {
    return inner.Left() >= outer.Left() && inner.Top() >= outer.Top() &&
           inner.Right() <= outer.Right() && inner.Bottom() <= outer.Bottom();
}

void PMMatrix::Scale(PMReal sx, PMReal sy) {
    PostConcat({sx, 0, 0, sy, 0, 0});
}

void PMMatrix::Translate(PMReal dx, PMReal dy) {
    PostConcat({1, 0, 0, 1, dx, dy});
}

void PMMatrix::PostConcat(const PMMatrix& then) {
    const auto [a, b, c, d, tx, ty] = m_values;
    const auto& n = then.m_values;
    m_values = {a * n[0] + b * n[2], a * n[1] + b * n[3],          c * n[0] + d * n[2],
                c * n[1] + d * n[3], tx * n[0] + ty * n[2] + n[4], tx * n[1] + ty * n[3] + n[5]};
}

PMPoint PMMatrix::Transform(const PMPoint& point) const {
    const auto& [a, b, c, d, tx, ty] = m_values;
    return {point.X() * a + point.Y() * c + tx, point.X() * b + point.Y() * d + ty};
}

PMRect PMMatrix::TransformBounds(const PMRect& rect) const {
    const PMPoint corners[] = {Transform(rect.LeftTop()), Transform({rect.Right(), rect.Top()}),
                               Transform({rect.Left(), rect.Bottom()}),
                               Transform(rect.RightBottom())};
    PMRect bounds(corners[0], corners[0]);
    for (const PMPoint& corner : corners)
        bounds.Union({corner, corner});
    return bounds;
}
