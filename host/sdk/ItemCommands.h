// Commands that rearrange page items: grouping the items of a spread and transforming items
// (through the transform utility). Their changes are journaled like every change of the layout.
#pragma once

#include "host/sdk/Command.h"
#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"
#include "host/sdk/Layout.h"

#include <cstdint>
#include <memory>

// The data of the group command (interface 0x401): the page items to group; the data owns the
// list it is given.
class IGroupCmdData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x401};

    virtual void Set(std::unique_ptr<UIDList> items) = 0;
};

// The group command (class 0x405): makes the data's items, page items directly on one spread of
// an open document, the members of a new group (class 0xF03006), in their order on the spread
// and on the layer of the frontmost of them, whose place on the spread the group takes;
// afterwards the command's item list holds the group alone. No items, or an item that is no such
// page item, fails the command with kFailure.
inline constexpr ClassID kGroupCmdBoss{0x405};

// Where a transformation is anchored: a point in a coordinate space, two flags of the host and
// an offset added to the point. The stand-in takes the point (plus offset) in the coordinates of
// each item's spread; the space's kind and matrix and the flags are the host's and change
// nothing.
struct TransformOrigin {
    PMPoint point;
    CoordinateSpace space;
    std::int32_t flag1 = 0;
    std::int32_t flag2 = 0;
    PMPoint offset;
};

// A transformation: the matrix and two further words of the host, which change nothing.
struct TransformMatrix {
    PMMatrix matrix;
    std::int32_t word1 = 0;
    std::int32_t word2 = 0;
};

// The host's transform utility (utility interface 0x2C59).
class ITransformUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x2C59};

    // Transforms the page items, groups with their members, by the matrix about the origin,
    // through a host command (class 0xF0E003, named "Transform"), so an abort or undo takes it
    // back: an item's matrix is followed by the transformation, a guide moves with the point on
    // its line. Gives what the command gives: kSuccess, or kFailure (nothing changed) when an
    // item is no page item of an open document. The space and the mode are the host's.
    virtual ErrorCode TransformItems(const UIDList& items, const CoordinateSpace& space,
                                     const TransformOrigin& origin, const TransformMatrix& matrix,
                                     std::int32_t mode) = 0;
};
