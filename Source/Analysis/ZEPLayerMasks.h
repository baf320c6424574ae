// What the spread's own item walk is given: the collector of guides, and the layer masks that
// let only the plug-in's guide layer, or only the printing layers, through.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Layout.h"

// Appends the UID of every guide (an item with interface 0x3301) it reaches to the list, which
// it does not own; never ends the walk.
class ZEPAddGuidesIterator final : public ItemManipulator {
public:
    explicit ZEPAddGuidesIterator(UIDList* guides) : m_guides(guides) {}
    bool ManipulateItem(IPMUnknown* item) override;

private:
    UIDList* m_guides;
};

// Skips every layer but the plug-in's guide layer, named by the key "0x52E00ZEPGuideLayer"
// itself or by its translation; a layer without a name (interface 0x302) is not skipped.
class ZEPGuideLayermask final : public LayerMask {
public:
    bool IsMasked(IPMUnknown* layer) const override;
};

// Skips the layers that are hidden on the spread (interface 0x303) or do not print (interface
// 0x302); a layer lacking one of the interfaces is judged by the other, one lacking both is not
// skipped.
class ZEPPrintLayermask final : public LayerMask {
public:
    bool IsMasked(IPMUnknown* layer) const override;
};
