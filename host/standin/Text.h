// The stand-in's model of text (host/sdk/Text.h): text frames, stories with their attribute runs
// and composed lines.
#pragma once

#include "host/sdk/Text.h"
#include "host/standin/Colors.h"

#include <optional>
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

// A composed run: characters of one line set in one height. Where its text stands is given in
// two steps, as a host hands them to a plug-in: the line's y places the line in line space (the
// inner space of the frame the line lies in: points, y down), and the run's matrix maps line
// space to the pasteboard, carrying where the run starts along the line (RunBox).
struct TextRun {
    std::int32_t start = 0;
    std::int32_t span = 0;
    PMReal width = 0;
    PMReal height = 0;
    PMMatrix matrix; // line space to pasteboard coordinates
    bool operator==(const TextRun&) const = default;
};

struct TextLine {
    PMReal y = 0; // one run height below the line's baseline, in line space
    std::int32_t count = 0;
    std::vector<TextRun> runs;
    bool operator==(const TextLine&) const = default;
};

// The box of a run's text in line space: across from 0 to the run's width, down from the line's
// y - 2 x height to y - height. Its foot is the run's baseline: the run's text stands on it, its
// height above. The run's matrix takes the box to the pasteboard.
PMRect RunBox(const TextLine& line, const TextRun& run);

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
    // Where the text of the story's table cells begins (host/standin/Tables.h): the characters
    // before it are the story's own text, which its frames show; none when no cell of a table
    // has its text here. The story's total length counts only its own text and the end-of-story
    // character.
    std::optional<std::int32_t> cellText;
    // What each line holds, by line: kOwnText, the number of the table cell whose text it holds
    // (from 1, the cells counted table by table in row order), or kNoText; empty: every line
    // holds the story's own text. A walk over the lines stays on lines that hold one of these.
    std::vector<std::int32_t> lineTexts;
    static constexpr std::int32_t kOwnText = 0;
    static constexpr std::int32_t kNoText = -1;
};

// The facets a description attaches to a text frame's page item.
std::unique_ptr<IPMUnknown> NewTextFrameColumnFacet(IPMUnknown* itemBoss);
std::unique_ptr<IPMUnknown> NewMultiColumnTextFrameFacet(IPMUnknown* itemBoss);

// Registers the story and frame-list classes (part of host::Reset).
void RegisterTextClasses();

} // namespace host
