// A colour of one to four components (gray, RGB, CMYK), each normally 0.0 to 1.0, with the
// comparison and percentage helpers of the analysis, and the job model's constant colours.
#pragma once

#include <cstdint>
#include <vector>

class BColourValue {
public:
    BColourValue() = default;
    // `count` components of 0.0 (none for a count below 1).
    explicit BColourValue(std::int32_t count) { Resize(count); }
    explicit BColourValue(double gray) : m_components{gray} {}
    BColourValue(double c0, double c1, double c2) : m_components{c0, c1, c2} {}
    BColourValue(double c0, double c1, double c2, double c3) : m_components{c0, c1, c2, c3} {}

    // The components become `count` zeros (none for a count below 1).
    void Resize(std::int32_t count);

    std::int32_t GetCount() const { return static_cast<std::int32_t>(m_components.size()); }
    // 0.0 for an index outside the components.
    double GetComponent(std::int32_t index) const;
    // Ignored for an index outside the components.
    void SetComponent(std::int32_t index, double value);

    double Sum() const;
    // c becomes c * factor.
    void Scale(double factor);
    // c becomes 1 - (1 - c) * factor.
    void Tint(double factor);
    // Euclidean distance over this value's components; components that `other` lacks count as 0.
    double Distance(const BColourValue& other) const;
    // Same count and every component equal (a NaN is never equal).
    bool Equals(const BColourValue& other) const;
    // Component `index` in whole percent: 0 only for exactly 0, 1 for anything below 1 percent,
    // 99 for anything above 99 and below 100, 100 from 100 on, else rounded half up. 0 for a NaN
    // component or an index outside the components.
    std::int32_t Percent(std::int32_t index) const;
    // Same count and every component's percentage equal.
    bool EqualsInPercent(const BColourValue& other) const;
    // Among the components whose bit is set in `mask` (bit i for component i; components from
    // index 32 on have no bit), the index of the first with the largest value above 0.0; -1 when
    // none is above 0.0.
    std::int32_t DominantComponent(std::uint32_t mask) const;
    // Orders colours by the index of their strongest component, then by its strength (stronger
    // first), then by the next strongest, among the components of `mask` (0: all of this value's
    // components, at most the first 32). Negative, 0 or positive.
    std::int32_t Compare(const BColourValue& other, std::uint32_t mask = 0) const;

    // The constant colours, in this order.
    static const BColourValue& CMYKBlack(); // (0, 0, 0, 1)
    static const BColourValue& CMYKNone();  // (0, 0, 0, 0)
    static const BColourValue& GrayZero();  // (0)
    static const BColourValue& GrayOne();   // (1)
    static const BColourValue& GrayBlack(); // (0)
    static const BColourValue& RGBBlack();  // (0, 0, 0)
    static const BColourValue& RGBWhite();  // (1, 1, 1)

private:
    std::vector<double> m_components;
};
