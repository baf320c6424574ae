#include "Analysis/ZEPPageItemInfo.h"
#include "Plugin/CZEPException.h"
#include "host/sdk/Colors.h"
#include "host/sdk/Document.h"

#include <array>
#include <vector>

namespace {

// The swatch of the process colour that a process ink's name stands for ("Cyan", "Magenta",
// "Yellow", "Black", compared exactly); an invalid reference for any other name.
UIDRef ProcessColorRef(IDataBase* db, const PMString& name) {
    static const std::array<PMString, 4> kProcessInks = {PMString("Cyan"), PMString("Magenta"),
                                                         PMString("Yellow"), PMString("Black")};
    std::vector<PMReal> values(kProcessInks.size(), 0.0);
    bool found = false;
    for (std::size_t i = 0; i < kProcessInks.size(); ++i)
        if (name == kProcessInks[i]) {
            values[i] = 1.0;
            found = true;
        }
    InterfacePtr<IWorkspaceUtils> workspaces(UtilsBoss::QueryUtils<IWorkspaceUtils>());
    if (!found || !workspaces)
        return {};
    InterfacePtr<IWorkspace> iWorkspace(workspaces->QueryWorkspace(db));
    ThrowIfNull(iWorkspace, "iWorkspace");
    InterfacePtr<ISwatchList> iSwatchList(iWorkspace, UseDefaultIID{});
    ThrowIfNull(iSwatchList, "iSwatchList");
    return iSwatchList->FindSwatch(kCMYKColorSpace, values);
}

} // namespace

void ZEPPageItemInfo::AnalyseDocumentInks(IPMUnknown* item) {
    InterfacePtr<IItemInkList> itemInks(item, UseDefaultIID{});
    InterfacePtr<IPMUnknown> ownInkUtils;
    IInkUtils* inkUtils = Utils<IInkUtils>(ownInkUtils);
    if (!itemInks || !inkUtils)
        return;
    IDataBase* db = GetUIDRef(item).GetDataBase();
    InterfacePtr<IInkList> theInkList(inkUtils->QueryInkList(db));
    ThrowIfNull(theInkList, "theInkList");
    for (std::int32_t i = 0; i < itemInks->GetInkCount(); ++i) {
        const PMString name = itemInks->GetInkName(i);
        const UID ink = inkUtils->FindInk(name, theInkList.get());
        const UIDRef colorRef = ink != kInvalidUID ? inkUtils->GetInkColorRef(UIDRef(db, ink))
                                                   : ProcessColorRef(db, name);
        // The ink's colour is resolved but not recorded: the colour analyses record the colours
        // the item is painted with.
        InterfacePtr<IColorObject> color(colorRef, UseDefaultIID{});
    }
}
