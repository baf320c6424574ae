#include "Analysis/ZEPAnalysisRun.h"
#include "Analysis/ZEPPageItemInfo.h"
#include "host/sdk/Links.h"
#include "utils/FilePath.h"

// The first link's resource names the placed file; its name replaces the path the image
// attributes gave.
void ZEPPageItemInfo::AnalyseLinkInfo(IPMUnknown* item) {
    const UIDRef ref = GetUIDRef(item);
    IDataBase* db = ref.GetDataBase();
    if (!db)
        return;
    InterfacePtr<ILinkManager> ownManager;
    ILinkManager* manager =
        m_run ? m_run->GetLinkManager(db) : (ownManager = QueryLinkManager(db)).get();
    if (!manager)
        return;
    UIDList links(db);
    if (manager->QueryLinksByObject(ref.GetUID(), links) <= 0 || links.IsEmpty())
        return;
    InterfacePtr<ILink> link(links.GetRef(0), UseDefaultIID{});
    if (!link)
        return;
    InterfacePtr<ILinkResource> resource(manager->QueryResourceByUID(link->GetResource()));
    if (!resource)
        return;
    const ustring name = PMStringToUTF8(PMString(resource->GetLongName(0)));
    if (BPlacedGraphic* graphic = GetPlacedGraphic()) {
        const UFileSpecCore spec(name, nullptr);
        graphic->SetLinkPath(spec.is_valid() ? spec.path() : name);
    }
}
