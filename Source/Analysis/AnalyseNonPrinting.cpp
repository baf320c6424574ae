#include "Analysis/ZEPPageItemInfo.h"
#include "host/sdk/Colors.h"
#include "host/sdk/Document.h"

void ZEPPageItemInfo::AnalyseNonPrinting(IPMUnknown* item) {
    InterfacePtr<IGraphicAttributes> attributes(item, UseDefaultIID{});
    if (!attributes || m_printoutSuppressed)
        return;
    InterfacePtr<IPMUnknown> ownUtils;
    IGraphicAttributeUtils* utils = Utils<IGraphicAttributeUtils>(ownUtils);
    if (!utils)
        return;
    bool nonPrinting = false;
    utils->GetNonPrinting(attributes.get(), nonPrinting);
    if (nonPrinting)
        SetPrintoutSuppressed();
}
