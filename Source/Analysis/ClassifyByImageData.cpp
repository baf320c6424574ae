#include "Analysis/ZEPPlacedContent.h"

// EPS content, the UID of the image data the document holds, and the colours of the content.
void ZEPPageItemInfo::ClassifyByImageData(IPMUnknown* item) {
    if (InterfacePtr<IEPSContent> eps(item, UseDefaultIID{}); eps)
        if (BPlacedGraphic* graphic = GetPlacedGraphic()) {
            graphic->isBitmap = false;
            graphic->fileType = kPlacedFileEPS;
        }
    if (InterfacePtr<IEmbeddedImage> image(item, UseDefaultIID{}); image)
        if (const UID* uid = image->GetImageUID())
            m_embeddedImageUID = *uid;
    if (InterfacePtr<IContentColors> colors(item, UseDefaultIID{}); colors)
        CollectContentColors(*this, colors->GetColorList());
}
