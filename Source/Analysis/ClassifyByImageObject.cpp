#include "Analysis/ZEPPageItemInfo.h"
#include "host/sdk/PlacedGraphics.h"

// An image object holds EPS content.
void ZEPPageItemInfo::ClassifyByImageObject(IPMUnknown* item) {
    InterfacePtr<IImageObject> image(item, UseDefaultIID{});
    if (!image)
        return;
    if (BPlacedGraphic* graphic = GetPlacedGraphic()) {
        graphic->isBitmap = false;
        graphic->fileType = kPlacedFileEPS;
    }
}
