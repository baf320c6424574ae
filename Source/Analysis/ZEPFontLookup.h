// The font summary of a page item and the lookup that fills it.
#pragma once

#include "host/sdk/PMString.h"

#include <array>
#include <cstdint>

// What the font lookup found about the fonts an item uses. Each field is one byte holding 0 or 1,
// in this order: enabled, the summary flag, six further flags, six font kinds.
struct FontSummary {
    bool enabled = false;
    // Set together with each of the six further flags.
    bool summary = false;
    // Six further flags (index 0 to 5), each set by its own setter below.
    std::array<bool, 6> flags{};
    // Font kinds 1 to 6 (index 0 to 5) found among the fonts; set by the lookup, never cleared.
    std::array<bool, 6> kinds{};

    void SetEnabled(bool on) { enabled = on; }
    // Each sets its further flag and the summary flag.
    void SetFlag1() { SetFlag(0); }
    void SetFlag2() { SetFlag(1); }
    void SetFlag3() { SetFlag(2); }
    void SetFlag4() { SetFlag(3); }
    void SetFlag5() { SetFlag(4); }
    void SetFlag6() { SetFlag(5); }

private:
    void SetFlag(std::size_t index) {
        flags[index] = true;
        summary = true;
    }
};

// The font kind (1 to 6) that a font's class value stands for: class values 0 to 4 are kinds 1 to
// 5, any other value kind 6.
std::int32_t FontKindOfClass(std::int32_t classValue);

// Looks the font up in the host's font manager and records its kinds in the summary: one by its
// class value (FontKindOfClass) and one by its type value (0, 1, 2, 4: kinds 1 to 4; 6, 7, 8:
// kind 6; other values: none). The font manager is asked for a font object also where the font
// is not installed. No font manager: 0x52E1E "(iFontMgr) == NULL"; no font object: 0x52E1E
// "(iFont) == NULL".
void FindMissingFont(const PMString& name, FontSummary& summary);
