#include "Analysis/ZEPAnalysisRun.h"

#include "host/sdk/Document.h"
#include "model/BJobFile.h"

#include <algorithm>

const std::shared_ptr<const UFileSpecCore>& ZEPAnalysisRun::GetPlacedImagesFolder() {
    if (!m_placedImagesFolder)
        m_placedImagesFolder =
            std::make_shared<const UFileSpecCore>(m_job.GetPlacedImagesFolder(m_placedImagesError));
    return m_placedImagesFolder;
}

IPMUnknown* ZEPAnalysisRun::GetUtils(PMIID iid) {
    auto held = std::find_if(m_utils.begin(), m_utils.end(),
                             [iid](const auto& utils) { return utils.first == iid; });
    if (held == m_utils.end())
        held = m_utils.insert(m_utils.end(), {iid, {}});
    if (!held->second)
        held->second.reset(UtilsBoss::QueryUtils(iid));
    return held->second.get();
}

ILinkManager* ZEPAnalysisRun::GetLinkManager(IDataBase* db) {
    if (!m_linkManager.object || m_linkManager.db != db)
        m_linkManager = {db, QueryLinkManager(db)};
    return m_linkManager.object.get();
}

ITransparencyTester* ZEPAnalysisRun::GetTransparencyTester(IDataBase* db) {
    if (!m_transparencyTester.object || m_transparencyTester.db != db)
        m_transparencyTester = {db, QueryTransparencyTester(db)};
    return m_transparencyTester.object.get();
}

InterfacePtr<ILinkManager> QueryLinkManager(IDataBase* db) {
    if (!db)
        return {};
    return InterfacePtr<ILinkManager>(UIDRef(db, db->GetRootUID()), UseDefaultIID{});
}

InterfacePtr<ITransparencyTester> QueryTransparencyTester(IDataBase* db) {
    InterfacePtr<ITransparencyUtils> utils(UtilsBoss::QueryUtils<ITransparencyUtils>());
    return InterfacePtr<ITransparencyTester>(utils ? utils->QueryTester(db) : nullptr);
}
