// Colour values: arithmetic, percentages and the dominant-component ordering. Every operation
// stays inside the components it reads, whatever the other value's count, the mask or the index.
#include "model/BColourValue.h"

#include <cmath>

namespace {

constexpr std::int32_t kMaskBits = 32;

bool inMask(std::uint32_t mask, std::size_t index) {
    return index < kMaskBits && (mask >> index & 1u) != 0;
}

} // namespace

void BColourValue::Resize(std::int32_t count) {
    m_components.assign(count > 0 ? static_cast<std::size_t>(count) : 0, 0.0);
}

double BColourValue::GetComponent(std::int32_t index) const {
    if (index < 0 || index >= GetCount())
        return 0.0;
    return m_components[static_cast<std::size_t>(index)];
}

void BColourValue::SetComponent(std::int32_t index, double value) {
    if (index >= 0 && index < GetCount())
        m_components[static_cast<std::size_t>(index)] = value;
}

double BColourValue::Sum() const {
    double sum = 0.0;
    for (double c : m_components)
        sum += c;
    return sum;
}

void BColourValue::Scale(double factor) {
    for (double& c : m_components)
        c *= factor;
}

void BColourValue::Tint(double factor) {
    for (double& c : m_components)
        c = 1.0 - (1.0 - c) * factor;
}

double BColourValue::Distance(const BColourValue& other) const {
    double sum = 0.0;
    for (std::int32_t i = 0; i < GetCount(); ++i) {
        const double d = GetComponent(i) - other.GetComponent(i);
        sum += d * d;
    }
    return std::sqrt(sum);
}

bool BColourValue::Equals(const BColourValue& other) const {
    return m_components == other.m_components;
}

std::int32_t BColourValue::Percent(std::int32_t index) const {
    if (index < 0 || index >= GetCount())
        return 0;
    const double v = m_components[static_cast<std::size_t>(index)] * 100.0;
    if (std::isnan(v) || v == 0.0)
        return 0;
    if (v < 1.0)
        return 1;
    if (v >= 100.0)
        return 100;
    if (v > 99.0)
        return 99;
    return static_cast<std::int32_t>(v + 0.5);
}

bool BColourValue::EqualsInPercent(const BColourValue& other) const {
    if (GetCount() != other.GetCount())
        return false;
    for (std::int32_t i = 0; i < GetCount(); ++i) {
        if (Percent(i) != other.Percent(i))
            return false;
    }
    return true;
}

std::int32_t BColourValue::DominantComponent(std::uint32_t mask) const {
    std::int32_t dominant = -1;
    double largest = 0.0;
    for (std::size_t i = 0; i < m_components.size() && i < kMaskBits; ++i) {
        if (inMask(mask, i) && m_components[i] > largest) {
            largest = m_components[i];
            dominant = static_cast<std::int32_t>(i);
        }
    }
    return dominant;
}

std::int32_t BColourValue::Compare(const BColourValue& other, std::uint32_t mask) const {
    if (mask == 0)
        mask = GetCount() >= kMaskBits ? ~0u : (1u << GetCount()) - 1;
    // Each round clears one bit, so there are at most 32 rounds.
    while (true) {
        const std::int32_t i = DominantComponent(mask);
        const std::int32_t j = other.DominantComponent(mask);
        if (i != j || i == -1)
            return i - j;
        const double mine = m_components[static_cast<std::size_t>(i)];
        const double theirs = other.m_components[static_cast<std::size_t>(j)];
        if (mine > theirs)
            return -1;
        if (theirs > mine)
            return 1;
        mask &= ~(1u << j);
        if (mask == 0)
            return 0;
    }
}

const BColourValue& BColourValue::CMYKBlack() {
    static const BColourValue value(0.0, 0.0, 0.0, 1.0);
    return value;
}

const BColourValue& BColourValue::CMYKNone() {
    static const BColourValue value(0.0, 0.0, 0.0, 0.0);
    return value;
}

const BColourValue& BColourValue::GrayZero() {
    static const BColourValue value(0.0);
    return value;
}

const BColourValue& BColourValue::GrayOne() {
    static const BColourValue value(1.0);
    return value;
}

const BColourValue& BColourValue::GrayBlack() {
    static const BColourValue value(0.0);
    return value;
}

const BColourValue& BColourValue::RGBBlack() {
    static const BColourValue value(0.0, 0.0, 0.0);
    return value;
}

const BColourValue& BColourValue::RGBWhite() {
    static const BColourValue value(1.0, 1.0, 1.0);
    return value;
}
