#include "Plugin/ZEPJobList.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPHostAccess.h"
#include "host/sdk/Database.h"
#include "model/JobText.h"

#include <sstream>
#include <stdexcept>

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

void ZEPJobList::ReadWrite(IPMStream* stream, ImplementationID /*id*/) noexcept {
    if (stream->IsWriting()) {
        WriteRecord(stream);
        return;
    }
    try {
        ReadRecord(stream);
    } catch (...) {
        LogUnreadRecord();
    }
}

void ZEPJobList::WriteRecord(IPMStream* stream) noexcept {
    std::string bytes;
    if (!RunLoggingFailure("ZEPJobList::ReadWrite", "the job is stored as an empty one",
                           [&] { bytes = BytesOf(*m_jobFile, kJobFilePartSummary); }))
        bytes.clear();
    std::int16_t version = kJobListVersion;
    stream->XferInt16(version);
    static_cast<void>(XferStdString(stream, bytes)); // a writer takes every length
}

void ZEPJobList::ReadRecord(IPMStream* stream) {
    std::int16_t version = 0;
    stream->XferInt16(version);
    if (version == kUnversioned) {
        // The two bytes just read are the low half of the job's length.
        stream->Seek(-2, IPMStream::kSeekFromCurrent);
    } else if (version == kWithUIDList) {
        UIDList legacy;
        if (!XferUIDList(stream, legacy))
            throw std::runtime_error("its list of UIDs runs past the record");
    }
    std::string bytes;
    if (!XferStdString(stream, bytes))
        throw std::runtime_error("its length runs past the record");
    ReadBytes(*m_jobFile, bytes, kJobFilePartSummary);
}

void ZEPJobList::LogUnreadRecord() const noexcept {
    try {
        std::string name;
        if (IDataBase* db = GetUIDRef(this).GetDataBase()) {
            InterfacePtr<IDocument> document(UIDRef(db, db->GetRootUID()), UseDefaultIID{});
            if (document)
                name = document->GetName().GetUTF8String();
        }
        const std::string what =
            name.empty()
                ? std::string("a stored job does not read and is left out")
                : "the job stored with document \"" + name + "\" does not read and is left out";
        LogCurrentException("ZEPJobList::ReadWrite", what.c_str());
    } catch (...) {
        LogCurrentException("ZEPJobList::ReadWrite", "a stored job does not read and is left out");
    }
}

void ZEPJobList::MarkDirty() {
    PreDirty(kZEPJobListImpl, true);
}

bool HasTrimMargins(const BJobFile& job) {
    return job.GetHorizontalBleed() != 0.0 || job.GetVerticalBleed() != 0.0;
}
