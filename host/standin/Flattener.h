// The stand-in's flattener styles and settings (host/sdk/Flattener.h).
#pragma once

#include "host/sdk/Flattener.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace host {

inline constexpr ClassID kFlattenerStyleBoss{0xF0E000};
inline constexpr std::int32_t kDefaultBlendSpace = 3;

struct FlattenerSettings {
    bool on = true;
    std::array<PMReal, 5> values{};
    std::uint32_t options = 0;
    std::uint32_t valueMask = 0;
    std::uint32_t optionMask = 0;
    bool operator==(const FlattenerSettings&) const = default;
};

struct FlattenerStyle {
    std::string name; // UTF-8
    FlattenerSettings settings;
    bool operator==(const FlattenerStyle&) const = default;
};

// The session's styles in list order.
std::vector<FlattenerStyle> FlattenerStyles();
// Appends a style to the session's list directly (outside any command).
void AddFlattenerStyle(const FlattenerStyle& style);

// The facet a description attaches to a spread that has flattener settings; it reads the
// spread's data in the layout.
std::unique_ptr<IPMUnknown> NewSpreadFlattenerFacet(IPMUnknown* spreadBoss);

// Registers the style class, the style list, the add-style command and the documents'
// transparency preferences (part of host::Reset).
void RegisterFlattenerClasses();

} // namespace host
