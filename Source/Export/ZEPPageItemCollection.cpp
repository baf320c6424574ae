// The export run's page-item collection: one analysis record per exported page and per page item
// the host's item walker reaches on it, the data of embedded graphics saved into files of their
// own, the printout and spread transparency analyses, and the hand-over of every record into the
// job's page-item list.
#include "Analysis/ZEPAnalysisRun.h"
#include "Analysis/ZEPLayerMasks.h"
#include "Analysis/ZEPTransparencyFlattener.h"
#include "Export/ZEPExportHelper.h"
#include "Export/ZEPJobFileModifiers.h"
#include "Export/ZEPPageGeometry.h"
#include "Plugin/CZEPException.h"
#include "Plugin/ZEPFileTransaction.h"
#include "Plugin/ZEPHostAccess.h"
#include "Plugin/ZEPID.h"
#include "host/sdk/EmbeddedData.h"
#include "host/sdk/ItemWalk.h"
#include "host/sdk/LayerCommands.h"
#include "host/sdk/Stream.h"
#include "model/BJobFile.h"
#include "platform/files.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace {

// The item walk's flags: page by page, into groups.
constexpr std::int32_t kWalkFlags = IItemWalker::kByPage | IItemWalker::kEnterGroups;

// The export's reference item: the one item selected when the selection modifier saved the
// selection; kInvalidUID when there is no such modifier or it saved more or fewer items.
UID ReferenceUID(const ZEPExportJobFileModifier* selectionModifier) {
    const auto* selection = dynamic_cast<const ZEPExportSelectionHelper*>(selectionModifier);
    if (!selection || selection->GetSavedSelection().Length() != 1)
        return kInvalidUID;
    return selection->GetSavedSelection()[0];
}

// The page's own record and the records of the items on it.
void CollectPage(IDocument* document, ZEPAnalysisRun& run, IPageList& pageList, IItemWalker* walker,
                 std::int32_t index, bool hasSelectionModifier, UID referenceUID,
                 ZEPPageItemInfoList& records) {
    const BJobFile& job = run.GetJob();
    PMRect pageRect;
    PMRect bleedRect;
    ThrowIfError(ErrorCode(static_cast<std::uint32_t>(GetPasteboardPageBleedRects(
        document, &job, index, pageRect, bleedRect, hasSelectionModifier))));
    const UIDRef page(GetUIDRef(&pageList).GetDataBase(), pageList.GetNthPageUID(index));
    InterfacePtr<IHierarchy> thePageHier(page, UseDefaultIID{});
    ThrowIfNull(thePageHier, "thePageHier");
    InterfacePtr<ISpread> iSpread(UIDRef(page.GetDataBase(), thePageHier->GetSpreadUID()),
                                  UseDefaultIID{});
    ThrowIfNull(iSpread, "iSpread");
    InterfacePtr<IGeometry> iGeometry(page, UseDefaultIID{});
    ThrowIfNull(iGeometry, "iGeometry");
    ZEPPageItemInfo& pageRecord = records.AppendRecord();
    try {
        pageRecord.InitWithoutAnalysis(iGeometry.get(), bleedRect, job, index + 1);
    } catch (...) {
        records.RemoveLastRecord();
        throw;
    }
    ZEPItemInfoCallback callback(walker, document, records, run, bleedRect,
                                 static_cast<std::uint32_t>(index), referenceUID);
    // The printing layers' mask is made for the page but given to no walk: the walk reaches the
    // items of every layer.
    [[maybe_unused]] const ZEPPrintLayermask printLayermask;
    InterfacePtr<IShape> shape(iSpread, UseDefaultIID{});
    if (shape)
        walker->Walk(PMMatrix(), GetUIDRef(shape.get()), &callback, kWalkFlags);
}

// The graphic names no file that exists.
bool NeedsFileOfItsOwn(const BPlacedGraphic& graphic) {
    return graphic.linkPath.empty() || !UFileSpecCore(graphic.linkPath).is_file();
}

// The next free "EmbeddedGraphic#n" in the job folder, the counter running on over the whole
// run: a name is taken when something is there or the export's own files may take it. The empty
// path when the name does not descend from the folder.
UFileSpecCore NextFreeGraphicFile(const BJobFile& job, std::uint32_t& counter) {
    UFileSpecCore file;
    do {
        ++counter;
        file = job.jobFolder;
        if (!file.descend(
                ustring::format("EmbeddedGraphic#%lu", static_cast<unsigned long>(counter))))
            return UFileSpecCore();
    } while (file.exists() || IsOutputFileOf(job, file) ||
             platform::isSamePlace(file.wide_path(), job.pageItemFile.wide_path()));
    return file;
}

// The host's stream over a file of the export's change: the embedded data goes into the staged
// file the change made in the folder it holds, and a failure keeps the system's reason.
class StagedFileStream final : public IPMStream {
public:
    explicit StagedFileStream(platform::OutputFileStream& file) : IPMStream(false), m_file(file) {}

private:
    std::uint64_t Size() const override { return m_size; }
    bool ReadAt(std::uint64_t, void*, std::size_t) override { return false; }
    bool WriteAt(std::uint64_t position, const void* bytes, std::size_t count) override {
        if (position != m_end && !m_file.seekp(static_cast<std::streamoff>(position)))
            return false;
        m_file.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count));
        m_end = position + count;
        m_size = std::max(m_size, m_end);
        return static_cast<bool>(m_file);
    }
    bool Finish() override { return m_file.close(); }

    platform::OutputFileStream& m_file;
    std::uint64_t m_end = 0;  // where the file's position is
    std::uint64_t m_size = 0; // the bytes written
};

// Writes the embedded data of each placed graphic that has no usable link into a file of its
// own in the job folder (staged in `files` when given), which becomes the graphic's link. Data
// the document does not hold leaves the new file empty and the link as it was. A file that
// cannot be opened, written or closed throws CZEPFileWriteError.
void WriteEmbeddedGraphics(IDocument* document, const BJobFile& job,
                           const ZEPPageItemInfoList::Records& records, ZEPFileTransaction* files) {
    std::uint32_t counter = 0;
    IDataBase* db = GetUIDRef(document).GetDataBase();
    for (const auto& record : records) {
        const BPageItem* item = record->GetPageItem();
        if (!item || item->kind != BPageItem::kPlacedGraphic)
            continue;
        BPlacedGraphic* graphic = record->GetPlacedGraphic();
        if (!graphic || !NeedsFileOfItsOwn(*graphic) ||
            record->GetEmbeddedImageUID() == kInvalidUID)
            continue;
        const UFileSpecCore file = NextFreeGraphicFile(job, counter);
        platform::OutputFileStream* staged = files ? &files->Stage(file) : nullptr;
        std::unique_ptr<IPMStream> stream =
            staged ? std::make_unique<StagedFileStream>(*staged)
                   : StreamUtil::CreateFileStreamWrite(MakeIDFile(file));
        if (!stream)
            ThrowFileWriteError(file.path());
        InterfacePtr<IEmbeddedData> data(UIDRef(db, record->GetEmbeddedImageUID()),
                                         UseDefaultIID{});
        if (data)
            data->WriteData(stream.get(), 0);
        stream->Close();
        if (stream->Failed())
            ThrowFileWriteError(file.path(), staged ? staged->error() : 0);
        if (data)
            graphic->SetLinkPath(file.path());
    }
}

// Moves every record's page item, and after it the record's text runs (a text frame's, or those
// of the table its frame shows), into the list. A record that holds text runs has a page item of
// its own (ZEPPageItemInfo::Init), so the runs follow their own item.
void HandOver(const ZEPPageItemInfoList::Records& records, BPageItemList& list) {
    list.Clear();
    for (const auto& record : records) {
        if (record->GetPageItem())
            list.Append(std::shared_ptr<BPageItem>(record->ReleasePageItem()));
        if (BPageItemList* runs = record->GetTextRuns()) {
            for (std::size_t i = 0; i < runs->size(); ++i)
                list.Append((*runs)[i]);
            runs->Clear();
        }
    }
}

} // namespace

void ZEPExportJobFileHelper::CollectPageItems(ZEPFileTransaction* files) {
    IDocument* document = m_owner.GetDocument();
    BJobFile& job = m_owner.GetJob();
    InterfacePtr<IItemWalker> theWalker(
        static_cast<IItemWalker*>(CreateObject(kItemWalkerBoss, IItemWalker::kDefaultIID)));
    ThrowIfNull(theWalker, "theWalker");
    const bool hasSelectionModifier = m_modifiers[kSelectionSlot] != nullptr;
    const UID referenceUID = ReferenceUID(m_modifiers[kSelectionSlot].get());
    ZEPAnalysisRun analysisRun(job, files);
    for (const BPageRange& run : job.GetAbsoluteRuns()) {
        if (run.style != kPageRangeStyleAbsolute)
            ThrowZEPException("(*it)->GetNumberingStyle() != ePageNumberingStyle_Absolute",
                              kZEPFailedConditionError);
        const std::int64_t end = std::int64_t(run.firstPage) - 1 + run.pageCount;
        for (std::int64_t index = std::int64_t(run.firstPage) - 1; index < end; ++index)
            CollectPage(document, analysisRun, *m_owner.GetPageList(), theWalker.get(),
                        static_cast<std::int32_t>(index), hasSelectionModifier, referenceUID,
                        m_records);
    }
    const ZEPPageItemInfoList::Records& records = m_records.GetRecords();
    WriteEmbeddedGraphics(document, job, records, files);
    InterfacePtr<ILayerUtils> iLayerUtils(UtilsBoss::QueryUtils<ILayerUtils>());
    ThrowIfNull(iLayerUtils, "iLayerUtils");
    if (iLayerUtils->IsPrintingSuppressed(document, false) && !records.empty())
        records.front()->SetPrintoutSuppressed();
    AnalyseSpreadTransparency(document, GetOrCreateFlattenerStyle(), records,
                              job.GetPageSet(kAnalysedPageSet));
    HandOver(records, job.GetPageSet(kAnalysedPageSet).items);
}
