#include "Analysis/ZEPPageItemInfo.h"
#include "host/sdk/PlacedGraphics.h"

// A graphic of the PICT class is a PICT bitmap.
void ZEPPageItemInfo::ClassifyByGraphicClass(IPMUnknown* item) {
    const UIDRef ref = GetUIDRef(item);
    if (!ref.GetDataBase())
        return;
    const ClassID cls = ref == m_itemRef ? m_itemClass : ref.GetDataBase()->GetClass(ref.GetUID());
    if (cls != kPICTItemBoss)
        return;
    if (BPlacedGraphic* graphic = GetPlacedGraphic()) {
        graphic->isBitmap = true;
        graphic->fileType = kPlacedFilePICT;
    }
}
