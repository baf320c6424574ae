// The fonts a page item uses (interface 0x2502): an item whose description gives "fonts" has it.
#pragma once

#include "host/IPMUnknown.h"
#include "host/PMString.h"

#include <memory>
#include <vector>

class IUsedFontList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x2502};

    // The names of the fonts, in the description's order.
    virtual std::vector<PMString> GetFontNames() const = 0; // 4th operation
};

namespace host {

std::unique_ptr<IPMUnknown> NewUsedFontListFacet(IPMUnknown* itemBoss);

} // namespace host
