// The font summary of a page item and the lookup that fills it.
#pragma once

#include "host/sdk/PMString.h"

#include <array>

// What the font lookup found about the fonts an item uses.
struct FontSummary {
    bool enabled = false;
    // Font kinds 1 to 6 (index 0 to 5) found among the fonts; set by the lookup, never cleared.
    std::array<bool, 6> kinds{};

    void SetEnabled(bool on) { enabled = on; }
};

// Looks the font up in the host's font manager and records its kinds in the summary: one by its
// class value (0 to 4: kinds 1 to 5, any other value: kind 6) and one by its type value (0, 1, 2,
// 4: kinds 1 to 4; 6, 7, 8: kind 6; other values: none). A name the font manager does not know
// is passed over. No font manager: 0x52E1E "(iFontMgr) == NULL".
void FindMissingFont(const PMString& name, FontSummary& summary);
