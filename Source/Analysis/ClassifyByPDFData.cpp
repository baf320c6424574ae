#include "Analysis/ZEPPlacedContent.h"
#include "model/KeyStrings.h"

// Placed PDF content, its transparency and its colours. The transparency is recorded even when
// the record is a plain page item.
void ZEPPageItemInfo::ClassifyByPDFData(IPMUnknown* item) {
    InterfacePtr<IPlacedPDF> pdf(item, UseDefaultIID{});
    if (!pdf)
        return;
    if (BPlacedGraphic* graphic = GetPlacedGraphic()) {
        graphic->isBitmap = false;
        graphic->fileType = kPlacedFilePDF;
    }
    if (!(m_record && m_record->HasProblem(keystr::PlacedPDFHasTransparentElements)) &&
        pdf->HasTransparency() != 0)
        SetPlacedPDFHasTransparency();
    CollectContentColors(*this, pdf->GetColorList());
}
