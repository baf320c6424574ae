// Transforming the selected page items: the geometry suite's resize, and the item-list tests
// that tell how a list of items may be resized.
//
// Each value below carries the fields the host's geometry interface has; the stand-in reads
// only those named in the comments and records every resize with all its values
// (Channel::Calls), so that tests see what was passed.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"
#include "host/sdk/Layout.h"

#include <array>
#include <cstdint>
#include <string>

// Where a resize is anchored.
struct ReferencePoint {
    std::int32_t first = 0;
    PMMatrix matrix;
    // 0: `point` is a point in pasteboard coordinates (sub-kind 1); 2: `point` is a position
    // relative to the bounds of the items being resized ((0, 0) their left top, (1, 1) their
    // right bottom).
    std::int32_t kind = 0;
    std::int32_t subKind = 0;
    PMPoint point;
    PMPoint second;
    std::int32_t last1 = 0;
    std::int32_t last2 = 0;
};

// How much a resize changes the items.
struct ResizeValue {
    CoordinateSpace space;
    // values[0] 0: the bounds become `x` wide and `y` high; 2: the items are scaled by `x`
    // horizontally and `y` vertically.
    std::array<std::int32_t, 5> values{};
    double x = 0;
    double y = 0;
};

// The geometry suite (interface 0x1CC on the selection manager): works on the page items of
// the current layout selection.
class IGeometrySuite : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1CC};

    // Resizes the selected items as one set about the reference point: each item's matrix
    // (each member's, for a group) is followed by the scale about that point; stroke weights
    // stay. The items' bounds of the bounds kind (host/sdk/Layout.h), in pasteboard coordinates,
    // are what an absolute size and a relative reference point measure. Runs the host's resize
    // command (class 0xF0D010) and answers its result: kFailure, with nothing changed, for an
    // empty selection, a reference-point kind or a values[0] that is not one of the above, an
    // absolute size of bounds without width or height, or a factor that is not a positive finite
    // number. The coordinate space and the final value are recorded only.
    [[nodiscard]] virtual ErrorCode Resize(const CoordinateSpace& space, std::int32_t boundsKind,
                                           const ReferencePoint& reference,
                                           const ResizeValue& value,
                                           std::int32_t final) = 0; // 19th operation
};

// The value the item-list tests answer from: in the stand-in, the letters of the tests that hold
// for at least one item of the list.
struct ItemListValue {
    std::string tests;
};

// The item-list test utilities (utility interface 0x2C30). The tests that hold for an item are
// the letters its description gives ("tests": "AB"); a group's are those of its members.
class IItemListTestUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x2C30};

    virtual bool TestA(const ItemListValue& value) const = 0; // 4th operation
    virtual bool TestB(const ItemListValue& value) const = 0; // 6th operation
    virtual bool TestD(const ItemListValue& value) const = 0; // 8th operation
    // The value of the items (UIDs that are no page items add nothing); the space is not used.
    virtual ItemListValue ComputeValue(const UIDList& items,
                                       const CoordinateSpace& space) const = 0; // 15th operation
};

// The command behind IGeometrySuite::Resize.
inline constexpr ClassID kResizeCmdBoss{0xF0D010};
