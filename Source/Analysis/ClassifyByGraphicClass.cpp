#include "Analysis/ZEPPageItemInfo.h"
#include "host/sdk/PlacedGraphics.h"

// A graphic of the PICT class is a PICT bitmap.
void ZEPPageItemInfo::ClassifyByGraphicClass(IPMUnknown* item) {
    const UIDRef ref = GetUIDRef(item);
    if (!ref.GetDataBase() || ref.GetDataBase()->GetClass(ref.GetUID()) != kPICTItemBoss)
        return;
    if (BPlacedGraphic* graphic = GetPlacedGraphic()) {
        graphic->isBitmap = true;
        graphic->fileType = kPlacedFilePICT;
    }
}
