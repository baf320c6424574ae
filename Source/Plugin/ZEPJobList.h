// The job list's implementation, persistent with the document: a version-4 record is a 16-bit
// version 4, then the job's summary part as a 32-bit length and that many bytes of a "JOB5"
// keyed stream. Older records: version 1 stored no version (its first two bytes are the low
// half of the length) and version 2 a list of UIDs before the job, which is skipped.
#pragma once

#include "Plugin/IZEPJobList.h"
#include "host/sdk/ObjectModel.h"
#include "host/sdk/Stream.h"
#include "model/BJobFile.h"

#include <cstdint>
#include <memory>

class ZEPJobList final : public CPMUnknown<IZEPJobList> {
public:
    explicit ZEPJobList(IPMUnknown* boss);
    ~ZEPJobList() override;

    bool IsStoredInDatabase() const override;
    BJobFile* GetJobFile() override { return m_jobFile.get(); }
    void CopyJobFileTo(BJobFile& target, bool summaryOnly) override;
    void CopyFrom(IZEPJobList* source, bool summaryOnly) override;
    void SetFromString(const std::string& text, bool summaryOnly) override;
    void GetAsString(std::string& text, bool summaryOnly) override;
    bool HasUnselectedDestination() override;
    bool DeselectDestinations(const DestinationIdentifierSet& identifiers) override;
    void SelectAllDestinations() override;
    void UpdateGroupSummary() override;
    void GetGroupSummaryFlags(bool& hasDestinations, bool& hasBleed) override;

    // Writes the record, or reads one into the job (without marking dirty). A stored length or
    // legacy count that the stream cannot hold is a damaged record: the job stays as it was. The
    // job reader's exceptions pass to the caller.
    void ReadWrite(IPMStream* stream, ImplementationID id);

private:
    void MarkDirty();

    std::unique_ptr<BJobFile> m_jobFile;
};

// The job's boxes give a bleed in either direction.
bool HasTrimMargins(const BJobFile& job);
