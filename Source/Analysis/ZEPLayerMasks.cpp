#include "Analysis/ZEPLayerMasks.h"

#include "host/sdk/PMString.h"

namespace {

constexpr const char* kGuideLayerKey = "0x52E00ZEPGuideLayer";

} // namespace

bool ZEPAddGuidesIterator::ManipulateItem(IPMUnknown* item) {
    if (InterfacePtr<IGuide>(item, UseDefaultIID{}))
        m_guides->Append(GetUIDRef(item).GetUID());
    return true;
}

bool ZEPGuideLayermask::IsMasked(IPMUnknown* layer) const {
    InterfacePtr<IDocumentLayer> documentLayer(layer, UseDefaultIID{});
    if (!documentLayer)
        return false;
    const PMString name = documentLayer->GetName();
    return !(name == PMString(kGuideLayerKey) ||
             name == PMString(kGuideLayerKey, PMString::kTranslateDuringCall));
}

bool ZEPPrintLayermask::IsMasked(IPMUnknown* layer) const {
    InterfacePtr<ISpreadLayer> spreadLayer(layer, UseDefaultIID{});
    if (spreadLayer && !spreadLayer->IsVisible())
        return true;
    InterfacePtr<IDocumentLayer> documentLayer(layer, UseDefaultIID{});
    return documentLayer && !documentLayer->IsPrintable();
}
