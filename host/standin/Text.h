// The stand-in's model of text (host/sdk/Text.h): text frames, stories with their attribute runs
// and composed lines.
#pragma once

#include "host/sdk/Text.h"
#include "host/standin/Colors.h"

#include <vector>

namespace host {

inline constexpr ClassID kStoryBoss{0xF09100};

// A page item's text frame: which of the two frame interfaces it has and what it shows.
struct TextFrame {
    bool column = true;      // interface 0xCA12
    bool multiColumn = true; // interface 0xCA13
    std::int32_t start = 0;
    std::int32_t span = 0;
    bool operator==(const TextFrame&) const = default;
};

struct TextRun {
    std::int32_t start = 0;
    std::int32_t span = 0;
    PMReal width = 0;
    PMReal height = 0;
    PMMatrix matrix; // run to pasteboard coordinates
    bool operator==(const TextRun&) const = default;
};

struct TextLine {
    PMReal y = 0;
    std::int32_t count = 0;
    std::vector<TextRun> runs;
    bool operator==(const TextLine&) const = default;
};

struct AttributeRun {
    std::int32_t span = 0;
    std::string font; // UTF-8
    Paint fill{};
    Paint stroke{};
    bool operator==(const AttributeRun&) const = default;
};

struct Story {
    UID frameList;
    // The characters followed by the end-of-story character (shared with the iterators).
    std::shared_ptr<const std::u16string> text;
    std::vector<UID> frames;  // page items, in thread order
    std::int32_t damaged = 0; // the first damaged frame index
    std::vector<AttributeRun> attributes;
    std::vector<TextLine> lines;
};

// The facets a description attaches to a text frame's page item.
std::unique_ptr<IPMUnknown> NewTextFrameColumnFacet(IPMUnknown* itemBoss);
std::unique_ptr<IPMUnknown> NewMultiColumnTextFrameFacet(IPMUnknown* itemBoss);

// Registers the story and frame-list classes (part of host::Reset).
void RegisterTextClasses();

} // namespace host
