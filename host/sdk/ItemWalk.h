// The item walker (class 0x1611): walks the page items of a spread and calls a visitor for each
// item it reaches.
//
// Visit order. The walk takes the spread's items back to front; with kEnterGroups each group is
// followed by its members (recursively, back to front). Without kByPage that sequence is visited
// once. With kByPage the walk goes page by page through the spread's pages, visiting on each the
// items of the sequence whose bounds (outer stroke edge) meet the page, and at the end those
// that meet no page: an item over two pages is visited twice, once per page. Items on every
// layer are visited, hidden and non-printing ones too. What is visited is fixed before the first
// visit; an item deleted meanwhile is passed over.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"

#include <cstdint>

// The visitor an item walk calls.
class ICallback {
public:
    virtual ~ICallback() = default;
    // `matrix` and `flags` are the walk's own, handed on unchanged.
    virtual void Visit(const PMMatrix& matrix, IPMUnknown* item, std::int32_t flags) = 0;
    // The object the visitor was made over (no new reference).
    virtual IPMUnknown* GetCallbackObject() const = 0;
};

class IItemWalker : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x161C};
    enum Flags : std::int32_t { kEnterGroups = 4, kByPage = 16 };

    // Walks the spread that `start` names (an object that is not a spread: nothing is visited).
    virtual void Walk(const PMMatrix& matrix, const UIDRef& start, ICallback* callback,
                      std::int32_t flags) = 0; // 29th operation
};

// The item walker's class.
inline constexpr ClassID kItemWalkerBoss{0x1611};
