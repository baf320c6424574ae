// The job (advertisement booking) that a host object carries: the job stored with a document
// (on its workspace), the transient job of a script call, and the job a save-details command
// copies into a document. Copies between job lists always travel through the job file's bytes.
#pragma once

#include "Plugin/ZEPID.h"
#include "host/sdk/IPMUnknown.h"
#include "model/BDestinationList.h"

#include <string>

class BJobFile;

class IZEPJobList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID = IID_IZEPJOBLIST;

    // The job list's own object is stored in its database.
    virtual bool IsStoredInDatabase() const = 0;
    // The owned job (not a copy; valid as long as the job list).
    virtual BJobFile* GetJobFile() = 0;
    // Reads `target` from the owned job's bytes, the summary part or the full part.
    virtual void CopyJobFileTo(BJobFile& target, bool summaryOnly) = 0;
    // Marks dirty and reads the owned job from the source's bytes; nothing for itself. A failed
    // read leaves the job as it was and passes its exception on.
    virtual void CopyFrom(IZEPJobList* source, bool summaryOnly) = 0;
    // Marks dirty and reads the owned job from the text: raw job-file bytes when it starts with
    // 'K' 'S', else upper-case hex pairs (an odd last character dropped). A failed read leaves
    // the job as it was and passes its exception on ("UKeyInStream: meta key mismatch" for a
    // text that is no job).
    virtual void SetFromString(const std::string& text, bool summaryOnly) = 0;
    // The owned job's raw bytes (not hex).
    virtual void GetAsString(std::string& text, bool summaryOnly) = 0;
    // The selected group has a destination whose exported flag is clear.
    virtual bool HasUnselectedDestination() = 0;
    // Marks dirty, then clears the exported flag of the listed destinations in every group;
    // true.
    virtual bool DeselectDestinations(const DestinationIdentifierSet& identifiers) = 0;
    // Marks dirty, then sets the exported flag of every destination of the selected group.
    virtual void SelectAllDestinations() = 0;
    // Recomputes the selected group's summary flags (not a change that marks dirty).
    virtual void UpdateGroupSummary() = 0;
    // The selected group's summary flags (it holds a destination; one has a bleed); false and
    // true without a selected group.
    virtual void GetGroupSummaryFlags(bool& hasDestinations, bool& hasBleed) = 0;
};
