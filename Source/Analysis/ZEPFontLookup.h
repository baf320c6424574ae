// The font summary of a page item and the lookup that fills it.
#pragma once

#include "host/PMString.h"

// What the font lookup found about the fonts an item uses.
struct FontSummary {
    bool enabled = false;
    void SetEnabled(bool on) { enabled = on; }
};

void FindMissingFont(const PMString& name, FontSummary& summary);
