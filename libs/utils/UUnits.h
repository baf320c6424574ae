// UUnits: a measurement unit of the print world that converts lengths between the unit and
// typographic points (1/72 inch) and rounds them to the precision in which the unit is shown.
// Also the process-wide units object through which check settings show their lengths.
#pragma once

#include "utils/ustring.h"

class UUnits {
public:
    // Indices of the unit table.
    enum : int { inches = 0, cm = 1, mm = 2, picas = 3, pt = 4, agates = 5, ciceros = 6 };

    // Stores the index unchanged; an index outside the table reads the millimetre row.
    explicit UUnits(int unit);
    // The first table name equal to `name` ignoring case ("MM", "Cm"); millimetres otherwise.
    explicit UUnits(const ustring& name);
    virtual ~UUnits();

    int unit() const { return m_unit; }
    // Decimals shown: 2 for "mm", "pt" and "agates", 3 for the others.
    int decimals() const;

    double toPoints(double value) const;
    double fromPoints(double points) const;
    // The smallest shown step (0.01 or 0.001 of the unit), in points.
    double step() const;

    // The value in the unit, with `decimals()` decimals and trailing zeros dropped ("25.4").
    ustring format(double points) const;
    // As above into `text`; returns the result of ustring::setNumber (false for "0").
    bool format(ustring& text, double points) const;
    // fromPoints rounded as its text with `decimals()` decimals reads back.
    double fromPointsRounded(double points) const;
    // value rounded to n decimals, halves towards +infinity: floor(value·10^n + 0.5) / 10^n.
    static double roundDecimals(double value, int n);

    ustring name() const { return name(m_unit); }
    static ustring name(int unit);
    // "mm".
    static ustring defaultUnitName();

    // The process-wide units object: created in millimetres when the plug-in loads and
    // destroyed when it unloads. Creating it again keeps the existing one.
    static void createGlobal();
    // Destroys the process-wide object; also the reset between tests.
    static void destroyGlobal();
    // The process-wide object, or a millimetre instance while none was created.
    static const UUnits& global();
    // True while the process-wide object exists.
    static bool hasGlobal();

private:
    int m_unit;
};
