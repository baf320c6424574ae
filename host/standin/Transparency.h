// The stand-in's transparency attributes (host/sdk/Transparency.h).
#pragma once

#include "host/sdk/Transparency.h"

#include <memory>
#include <optional>

namespace host {

struct TransparencyAttributes {
    std::optional<PMReal> opacity;
    std::optional<std::int32_t> blendMode;
    std::optional<std::int32_t> feather;
    std::optional<std::int32_t> dropShadow;
    bool operator==(const TransparencyAttributes&) const = default;
};

// The facet a description attaches to an item that has transparency attributes.
std::unique_ptr<IPMUnknown> NewTransparencyAttributesFacet(IPMUnknown* itemBoss);

// Registers the attribute classes, the tester and the utility (part of host::Reset).
void RegisterTransparencyClasses();

} // namespace host
