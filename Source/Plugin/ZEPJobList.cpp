#include "Plugin/ZEPJobList.h"

#include "Plugin/ZEPHostAccess.h"
#include "host/sdk/Database.h"
#include "model/JobText.h"

#include <sstream>

namespace {

constexpr std::int16_t kJobListVersion = 4;
// Versions of older documents.
constexpr std::int16_t kUnversioned = 1;
constexpr std::int16_t kWithUIDList = 2;

std::int32_t MaskOf(bool summaryOnly) {
    return summaryOnly ? kJobFilePartSummary : kJobFilePartFull;
}

std::string BytesOf(BJobFile& job, std::int32_t mask) {
    std::ostringstream out;
    job.Write(out, mask);
    return std::move(out).str();
}

// Reads the job in place: a read that fails leaves the job (and the pointer GetJobFile handed
// out) as it was, since BJobFile::Read takes all or nothing.
void ReadBytes(BJobFile& job, const std::string& bytes, std::int32_t mask) {
    std::istringstream in(bytes);
    job.Read(in, mask);
}

} // namespace

ZEPJobList::ZEPJobList(IPMUnknown* boss)
    : CPMUnknown<IZEPJobList>(boss), m_jobFile(std::make_unique<BJobFile>()) {}

ZEPJobList::~ZEPJobList() = default;

bool ZEPJobList::IsStoredInDatabase() const {
    const UIDRef ref = GetUIDRef(this);
    return ref.GetDataBase() && ref.GetUID() != kInvalidUID &&
           ref.GetDataBase()->GetClass(ref.GetUID()) != kInvalidClass;
}

void ZEPJobList::CopyJobFileTo(BJobFile& target, bool summaryOnly) {
    ReadBytes(target, BytesOf(*m_jobFile, MaskOf(summaryOnly)), MaskOf(summaryOnly));
}

void ZEPJobList::CopyFrom(IZEPJobList* source, bool summaryOnly) {
    if (source == this)
        return;
    MarkDirty();
    std::string bytes;
    source->GetAsString(bytes, summaryOnly);
    ReadBytes(*m_jobFile, bytes, MaskOf(summaryOnly));
}

void ZEPJobList::SetFromString(const std::string& text, bool summaryOnly) {
    const std::string bytes = DecodeJobText(text);
    MarkDirty();
    ReadBytes(*m_jobFile, bytes, MaskOf(summaryOnly));
}

void ZEPJobList::GetAsString(std::string& text, bool summaryOnly) {
    text = BytesOf(*m_jobFile, MaskOf(summaryOnly));
}

bool ZEPJobList::HasUnselectedDestination() {
    const BGroup* group = m_jobFile->GetGroups().GetSelectedGroup();
    return group && group->HasUnexported();
}

bool ZEPJobList::DeselectDestinations(const DestinationIdentifierSet& identifiers) {
    MarkDirty();
    for (BGroup& group : m_jobFile->GetGroups())
        group.ClearExportedByIdentifier(identifiers);
    return true;
}

void ZEPJobList::SelectAllDestinations() {
    BGroup* group = m_jobFile->GetGroups().GetSelectedGroup();
    MarkDirty();
    if (group)
        group->MarkAllExported();
}

void ZEPJobList::UpdateGroupSummary() {
    if (BGroup* group = m_jobFile->GetGroups().GetSelectedGroup())
        group->UpdateSummary();
}

void ZEPJobList::GetGroupSummaryFlags(bool& hasDestinations, bool& hasBleed) {
    hasDestinations = false;
    hasBleed = true;
    if (const BGroup* group = m_jobFile->GetGroups().GetSelectedGroup())
        group->GetSummaryFlags(hasDestinations, hasBleed);
}

void ZEPJobList::ReadWrite(IPMStream* stream, ImplementationID /*id*/) {
    std::int16_t version = kJobListVersion;
    stream->XferInt16(version);
    std::string bytes;
    if (stream->IsWriting()) {
        bytes = BytesOf(*m_jobFile, kJobFilePartSummary);
        static_cast<void>(XferStdString(stream, bytes)); // a writer takes every length
        return;
    }
    if (version == kUnversioned) {
        // The two bytes just read are the low half of the job's length.
        stream->Seek(-2, IPMStream::kSeekFromCurrent);
    } else if (version == kWithUIDList) {
        UIDList legacy;
        if (!XferUIDList(stream, legacy))
            return;
    }
    if (XferStdString(stream, bytes))
        ReadBytes(*m_jobFile, bytes, kJobFilePartSummary);
}

void ZEPJobList::MarkDirty() {
    PreDirty(kZEPJobListImpl, true);
}

bool HasTrimMargins(const BJobFile& job) {
    return job.GetHorizontalBleed() != 0.0 || job.GetVerticalBleed() != 0.0;
}
