#include "Analysis/ZEPColorAnalysis.h"
#include "Analysis/ZEPPageItemInfo.h"
#include "host/sdk/Colors.h"
#include "host/sdk/Document.h"

void ZEPPageItemInfo::AnalyseColorComponents(IPMUnknown* item) {
    if (m_textItem || m_colorComponentsFailed)
        return;
    InterfacePtr<IColorTarget> target(item, UseDefaultIID{});
    InterfacePtr<IPMUnknown> ownTest;
    IColorTestUtils* test = Utils<IColorTestUtils>(ownTest);
    if (!target || !test || !test->Test(target.get()))
        return;
    InterfacePtr<IGraphicAttributes> attributes(item, UseDefaultIID{});
    InterfacePtr<IPMUnknown> ownUtils;
    IGraphicAttributeUtils* utils = Utils<IGraphicAttributeUtils>(ownUtils);
    if (!attributes || !utils)
        return;
    // An item without a fill colour has no components to test.
    InterfacePtr<IColorObject> fill(utils->QueryFillColor(attributes.get()));
    if (fill)
        m_colorComponentsFailed = !HasOnlyColorsOfClass(fill.get());
}
