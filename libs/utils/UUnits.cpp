// UUnits: the unit table, conversions, rounding, and the process-wide units object.
#include "utils/UUnits.h"

#include <cmath>
#include <memory>

namespace {

struct UnitRow {
    const char* name;
    double pointsPerUnit;
    int decimals;
};

constexpr UnitRow kUnits[] = {
    {"inches", 72.0, 3},
    {"cm", 72.0 / 2.54, 3},
    {"mm", 72.0 / 25.4, 2},
    {"picas", 12.0, 3},
    {"pt", 1.0, 2},
    {"agates", 72.0 / 14.0, 2},
    {"ciceros", 72.0 * 4.512 / 25.4, 3},
};
constexpr int kUnitCount = sizeof kUnits / sizeof kUnits[0];

// An index outside the table reads the millimetre row rather than memory beyond the table.
const UnitRow& row(int unit) {
    return kUnits[unit >= 0 && unit < kUnitCount ? unit : UUnits::mm];
}

// ProcessUnits: the units object the plug-in makes when it loads and deletes when it unloads;
// null in between.
std::unique_ptr<UUnits>& ProcessUnits() {
    static std::unique_ptr<UUnits> units;
    return units;
}

} // namespace

UUnits::UUnits(int unit) : m_unit(unit) {}

UUnits::UUnits(const ustring& name) : m_unit(mm) {
    for (int i = 0; i < kUnitCount; ++i) {
        if (name.compareNoCase(ustring(kUnits[i].name)) == 0) {
            m_unit = i;
            break;
        }
    }
}

UUnits::~UUnits() = default;

int UUnits::decimals() const {
    return row(m_unit).decimals;
}

double UUnits::toPoints(double value) const {
    return value * row(m_unit).pointsPerUnit;
}

double UUnits::fromPoints(double points) const {
    return points / row(m_unit).pointsPerUnit;
}

double UUnits::step() const {
    return toPoints(1.0 / std::pow(10.0, decimals()));
}

ustring UUnits::format(double points) const {
    ustring text;
    format(text, points);
    return text;
}

bool UUnits::format(ustring& text, double points) const {
    return text.setNumber(fromPoints(points), decimals());
}

double UUnits::fromPointsRounded(double points) const {
    return format(points).toDouble();
}

double UUnits::roundDecimals(double value, int n) {
    const double p = std::pow(10.0, n);
    const double scaled = value * p;
    // From 2^52 on a double holds no fraction, and adding 0.5 could round to the next integer;
    // NaN and infinities pass through unchanged.
    if (!(std::fabs(scaled) < 0x1p52))
        return value;
    return std::floor(scaled + 0.5) / p;
}

ustring UUnits::name(int unit) {
    return ustring(row(unit).name);
}

ustring UUnits::defaultUnitName() {
    return ustring("mm");
}

void UUnits::createGlobal() {
    if (!ProcessUnits())
        ProcessUnits() = std::make_unique<UUnits>(mm);
}

void UUnits::destroyGlobal() {
    ProcessUnits().reset();
}

bool UUnits::hasGlobal() {
    return ProcessUnits() != nullptr;
}

const UUnits& UUnits::global() {
    static const UUnits millimetres(mm);
    const std::unique_ptr<UUnits>& units = ProcessUnits();
    return units ? *units : millimetres;
}
