#include "Analysis/ZEPAnalysisRun.h"

#include "host/sdk/Document.h"
#include "model/BJobFile.h"

const UFileSpecCore& ZEPAnalysisRun::GetPlacedImagesFolder() {
    if (!m_placedImagesFolder)
        m_placedImagesFolder = m_job.GetPlacedImagesFolder();
    return *m_placedImagesFolder;
}

IGeometryUtils* ZEPAnalysisRun::GetGeometryUtils() {
    if (!m_geometryUtils)
        m_geometryUtils.reset(UtilsBoss::QueryUtils<IGeometryUtils>());
    return m_geometryUtils.get();
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
