// What the analyses of one export's page items share, so that none of it is looked up again for
// every item: the job, the export's change of the file system, the job's placed-images folder
// (made when missing for the run's first analysed item) and the host objects the analyses ask for
// every item (the host's utilities, the document's link manager and transparency tester).
//
// A run lives on the collection's stack for one collection; a record holds it during its Init.
// A host object that is missing is asked for again the next time, as for every item before.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Links.h"
#include "host/sdk/Transparency.h"
#include "utils/FilePath.h"

#include <memory>
#include <utility>
#include <vector>

class BJobFile;
class ZEPFileTransaction;

class ZEPAnalysisRun {
public:
    // `files`: the change in which the files the analyses write are staged; null: in place.
    explicit ZEPAnalysisRun(const BJobFile& job, ZEPFileTransaction* files = nullptr)
        : m_job(job), m_files(files) {}
    ZEPAnalysisRun(const ZEPAnalysisRun&) = delete;
    ZEPAnalysisRun& operator=(const ZEPAnalysisRun&) = delete;

    const BJobFile& GetJob() const { return m_job; }
    ZEPFileTransaction* GetFileTransaction() const { return m_files; }

    // The job's "PlacedImages" folder, made when missing at the first call of the run; the empty
    // path when the job has no folder or it cannot be made, which the run keeps. The records of
    // the run share the one path.
    const std::shared_ptr<const UFileSpecCore>& GetPlacedImagesFolder();
    // The system error number of the failed making of that folder; 0 when it was made, was
    // there, or was not asked for yet.
    int GetPlacedImagesFolderError() const { return m_placedImagesError; }
    // The host's utilities of interface I (UtilsBoss::QueryUtils); null when it has none.
    template <typename I>
    I* GetUtils() {
        return static_cast<I*>(GetUtils(I::kDefaultIID));
    }
    IPMUnknown* GetUtils(PMIID iid);
    // Of the document whose database `db` is (its root object).
    ILinkManager* GetLinkManager(IDataBase* db);
    ITransparencyTester* GetTransparencyTester(IDataBase* db);

private:
    // A host object of one database, asked for while none is held or the database changes.
    template <typename I>
    struct OfDataBase {
        IDataBase* db = nullptr;
        InterfacePtr<I> object;
    };

    const BJobFile& m_job;
    ZEPFileTransaction* m_files;
    std::shared_ptr<const UFileSpecCore> m_placedImagesFolder; // null until asked for
    int m_placedImagesError = 0;
    std::vector<std::pair<PMIID, InterfacePtr<IPMUnknown>>> m_utils;
    OfDataBase<ILinkManager> m_linkManager;
    OfDataBase<ITransparencyTester> m_transparencyTester;
};

// The link manager of the document whose database `db` is; null when there is none.
InterfacePtr<ILinkManager> QueryLinkManager(IDataBase* db);
// The host's transparency tester of the database; null when there is none.
InterfacePtr<ITransparencyTester> QueryTransparencyTester(IDataBase* db);
