#include "Analysis/ZEPColorAnalysis.h"
#include "Analysis/ZEPPageItemInfo.h"
#include "host/sdk/Colors.h"
#include "host/sdk/Document.h"

void ZEPPageItemInfo::AnalyseColors(IPMUnknown* item) {
    if (InterfacePtr<IColorObject> itemColor(item, UseDefaultIID{}); itemColor)
        CollectInks(itemColor.get(), GetColorTint(itemColor.get()), false);
    InterfacePtr<IGraphicAttributes> attributes(item, UseDefaultIID{});
    InterfacePtr<IPMUnknown> ownUtils;
    IGraphicAttributeUtils* utils = Utils<IGraphicAttributeUtils>(ownUtils);
    if (!attributes || !utils)
        return;
    if (InterfacePtr<IColorObject> fill(utils->QueryFillColor(attributes.get())); fill)
        CollectInks(fill.get(), GetColorTint(fill.get()), false);
    if (InterfacePtr<IColorObject> stroke(utils->QueryStrokeColor(attributes.get())); stroke)
        CollectInks(stroke.get(), GetColorTint(stroke.get()), true);
}
