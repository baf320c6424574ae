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

    // Writes the record, or reads one into the job (without marking dirty). A host call: nothing
    // is thrown. A record that does not read (a length or legacy count the stream cannot hold,
    // job bytes the job reader refuses) leaves the job as it was, for a document being opened
    // none, and one ERROR record names the document. A job that cannot be written is stored as
    // an empty one, with an ERROR record.
    void ReadWrite(IPMStream* stream, ImplementationID id) noexcept;

private:
    void MarkDirty();
    void WriteRecord(IPMStream* stream) noexcept;
    // Reads the record into the job; throws for a record that does not read.
    void ReadRecord(IPMStream* stream);
    // Logs the exception being handled as the reason the stored job is left out.
    void LogUnreadRecord() const noexcept;

    std::unique_ptr<BJobFile> m_jobFile;
};

// The job's boxes give a bleed in either direction.
bool HasTrimMargins(const BJobFile& job);
