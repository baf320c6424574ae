#include "Export/ZEPExportHelper.h"

#include "Analysis/ZEPTransparencyFlattener.h"
#include "Export/ZEPEPSExport.h"
#include "Export/ZEPJobFileModifiers.h"
#include "Export/ZEPPDFExport.h"
#include "Export/ZEPPageBounds.h"
#include "Plugin/CZEPException.h"
#include "Plugin/IZEPJobList.h"
#include "Plugin/ZEPActiveSelection.h"
#include "Plugin/ZEPFileTransaction.h"
#include "Plugin/ZEPHostAccess.h"
#include "Plugin/ZEPPluginPrefs.h"
#include "host/sdk/Selection.h"
#include "model/BJobFile.h"
#include "model/KeyStrings.h"
#include "platform/files.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr std::int32_t kColorManagedEPSStyle = 1;

// The value truncated towards zero into 32 bits, clamped to their range (NaN: 0).
std::int32_t TruncateToInt32(double value) {
    if (std::isnan(value))
        return 0;
    const double limited = std::clamp(value, double(std::numeric_limits<std::int32_t>::min()),
                                      double(std::numeric_limits<std::int32_t>::max()));
    return static_cast<std::int32_t>(limited);
}

// True when the document shown by the front view's spread is a master spread.
bool ShowsMasterSpread(const ILayoutControlData& view) {
    InterfacePtr<IMasterSpread> master(view.GetSpreadRef(), UseDefaultIID{});
    return static_cast<bool>(master);
}

// The sum of the positive page counts of the runs, in order, exceeds 1.
bool HasMoreThanOnePage(const BPageRangeAbsoluteList& runs) {
    std::int64_t pages = 0;
    for (const BPageRange& run : runs) {
        if (run.pageCount <= 0)
            continue;
        pages += run.pageCount;
        if (pages > 1)
            return true;
    }
    return false;
}

// The folder a file lies in; the empty path when it has none.
UFileSpecCore FolderOf(const UFileSpecCore& file) {
    UFileSpecCore folder = file;
    if (!folder.to_parent())
        static_cast<void>(folder.clear());
    return folder;
}

bool IsSamePlace(const UFileSpecCore& first, const UFileSpecCore& second) {
    return first.is_valid() && second.is_valid() &&
           platform::isSamePlace(first.wide_path(), second.wide_path());
}

// Every absolute run holds pages, and only pages the document has: else 0x52E3C. Runs of another
// style are refused by the collection.
void CheckPageRuns(const BJobFile& job, const IPageList& pageList) {
    for (const BPageRange& run : job.GetAbsoluteRuns()) {
        const std::int64_t last = std::int64_t{run.firstPage} + run.pageCount - 1;
        if (run.style == kPageRangeStyleAbsolute &&
            (run.pageCount < 1 || run.firstPage < 1 || last > pageList.GetPageCount()))
            ThrowZEPException(ustring(), kZEPPageRunError);
    }
}

// The output file and the page-item file must be absolute paths, as the job folder; the job's
// paths must name files a Windows system could have (0x52E0A with the platform's reason); and the
// page-item file must be no file of the output, which it would overwrite (0x52E3D).
void CheckOutputFiles(const BJobFile& job) {
    if (!job.outputFile.is_absolute())
        ThrowZEPException("!(jobs->outputFile.is_absolute())", kZEPFailedConditionError);
    if (!job.pageItemFile.is_absolute())
        ThrowZEPException("!(jobs->pageItemFile.is_absolute())", kZEPFailedConditionError);
    for (const UFileSpecCore& file :
         {job.jobFolder, job.outputFile, PDFOutputFile(job), job.pageItemFile})
        if (const auto refusal =
                file.is_valid() ? platform::pathRefusal(file.path().view()) : std::nullopt)
            ThrowZEPException("The file cannot be written: " + ustring(refusal->c_str()) + ".",
                              kZEPFileWriteError);
    if (IsOutputFileOf(job, job.pageItemFile))
        ThrowZEPException("The page-item file " + job.pageItemFile.path() +
                              " is a file of the output " + job.outputFile.path() + ".",
                          kZEPSameFileError);
}

// Decimal digits only, at least one.
bool IsNumber(const ustring& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

bool ZEPExportHelper::Export(IDocument* document, BJobFile* job) {
    Prepare(document, job);
    ZEPExportJobFileHelper helper(*this);
    CheckPageRuns(*m_job, *m_pageList);
    CheckOutputFiles(*m_job);
    // Every folder the export writes into is checked and held before anything is written.
    // "PlacedImages" is held when a profile is written there: an ad without one goes out
    // whatever stands under that name.
    ZEPFileTransaction files;
    m_files = &files;
    const struct Forget {
        ZEPFileTransaction*& files;
        ~Forget() { files = nullptr; }
    } forget{m_files};
    const UFileSpecCore placedImages = m_job->GetPlacedImagesFolderPath();
    files.Begin(m_job->jobFolder, {FolderOf(m_job->outputFile), FolderOf(m_job->pageItemFile)});
    files.WatchFolder(placedImages);
    helper.CollectPageItems(&files);
    // What stands under the page-item file's name is kept before the journal lists it; the file
    // is written once the profiles it names stand under their names, and takes its own name at
    // the commit. The host writes the PDF or the EPS pages under temporaries of the change,
    // which take their names at the commit too.
    platform::OutputFileStream& pageItems = files.Stage(m_job->pageItemFile);
    if (ShouldExportPDF()) {
        files.Expect(PDFOutputFile(*m_job));
        helper.ExportPDF();
    } else {
        files.Expect(EPSOutputFiles(*m_job));
        helper.ExportEPS();
    }
    files.PlaceNewFiles();
    int error = 0;
    if (!m_job->WritePageItemFile(pageItems, m_job->pageItemFile.path(), error))
        ThrowFileWriteError(m_job->pageItemFile.path(), error);
    files.Commit();
    return true;
}

void ZEPExportHelper::Prepare(IDocument* document, BJobFile* job) {
    if (!document)
        document = GetFrontDocument();
    ThrowIfNull(job, "jobs");
    if (!job->jobFolder.is_absolute())
        ThrowZEPException("!(jobs->jobFolder.is_absolute())", kZEPFailedConditionError);
    m_document = document;
    m_job = job;
    m_pageList = InterfacePtr<IPageList>(document, UseDefaultIID{});
    ThrowIfNull(m_pageList, "mPageList");
    if (job->flagSE)
        return;
    InterfacePtr<IPageSetupPrefs> setup(QueryPreferences<IPageSetupPrefs>(document));
    if (!setup)
        return;
    const PMRect bleed = setup->GetDocumentBleed();
    job->layoutHorizontalBleed = (bleed.Left() + bleed.Right()) / 2;
    job->layoutVerticalBleed = (bleed.Top() + bleed.Bottom()) / 2;
}

bool ZEPExportHelper::ShouldExportPDF() const {
    if (WantsColorManagedEPS(*m_job))
        return false;
    bool trueType = false;
    bool cid = false;
    bool transparency = false;
    const BPageItemList& items = m_job->GetPageSet(kAnalysedPageSet).items;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::shared_ptr<const BPageItem> item = items[i];
        if (!item)
            continue;
        trueType = trueType || item->HasProblem(keystr::TrueTypeFontUsedInLayout) ||
                   item->HasProblem(keystr::OpenTypeTrueTypeFontUsedInLayout);
        cid = cid || item->HasProblem(keystr::CIDFontUsedInLayout) ||
              item->HasProblem(keystr::OpenTypeCIDFontUsedInLayout);
        transparency = transparency || item->HasProblem(keystr::TransparencyAppliedToObject) ||
                       item->HasProblem(keystr::FeatherTransparencyAppliedToObject);
    }
    return m_job->GetCheckSettings().AllowsPDFExport(transparency, cid, trueType);
}

ZEPHostFileOf ZEPExportJobFileHelper::HostFiles() const {
    ZEPFileTransaction* files = m_owner.GetFiles();
    if (!files)
        return {};
    return [files](const UFileSpecCore& file) { return files->HostFile(file); };
}

void ZEPExportJobFileHelper::ExportPDF() {
    ::ExportPDF(m_owner.GetJob(), GetFlattenerStyleName(), HostFiles());
}

void ZEPExportJobFileHelper::ExportEPS() {
    ::ExportEPS(m_owner.GetJob(), m_owner.GetDocument(), m_cmsWanted, GetOrCreateFlattenerStyle(),
                HostFiles());
}

void ZEPExportJobFileModifier::BeginModify() {
    if (m_cmdSeq)
        return;
    m_cmdSeq = CmdUtils::BeginAbortableCmdSeq();
    ThrowIfNull(m_cmdSeq, "mCmdSeq = CmdUtils::BeginAbortableCmdSeq()");
    m_cmdSeq->SetName(PMString("ZEPExportJobFileModifier"));
}

IDocument* ZEPExportJobFileModifier::GetDocument() const {
    return m_owner.GetOwner().GetDocument();
}

BJobFile& ZEPExportJobFileModifier::GetJob() const {
    return m_owner.GetOwner().GetJob();
}

void ZEPExportJobFileModifier::AbortModify() noexcept {
    IAbortableCmdSeq* sequence = std::exchange(m_cmdSeq, nullptr);
    if (!sequence)
        return;
    try {
        CmdUtils::AbortCommandSequence(sequence);
    } catch (...) {
        // The host refuses to abort a sequence that is not the innermost one; the modifiers are
        // destroyed innermost first, so this cannot happen, and nothing here could mend it.
    }
}

ZEPExportJobFileHelper::ZEPExportJobFileHelper(ZEPExportHelper& owner) : m_owner(owner) {
    Init();
}

ZEPExportJobFileHelper::~ZEPExportJobFileHelper() {
    for (auto modifier = m_modifiers.rbegin(); modifier != m_modifiers.rend(); ++modifier)
        modifier->reset();
}

void ZEPExportJobFileHelper::Init() {
    DetermineExportScope();
    if (m_exportScope == kSelection)
        m_modifiers[kSelectionSlot] = std::make_unique<ZEPExportSelectionHelper>(*this);
    if (WantsColorManagedEPS(m_owner.GetJob())) {
        m_cmsWanted = true;
        m_modifiers[kColorManagementSlot] = std::make_unique<ZEPExportCMSOnOffHelper>(*this);
    }
}

void ZEPExportJobFileHelper::DetermineExportScope() {
    m_exportScope = kSelection;
    bool selectionBased = false;
    ILayoutUtils* layoutUtils = GetLayoutUtils();
    if (IDocument* front = layoutUtils ? layoutUtils->GetFrontDocument() : nullptr) {
        InterfacePtr<IZEPJobList> jobList(front->GetDocWorkSpace(), UseDefaultIID{});
        if (jobList && jobList->IsStoredInDatabase())
            selectionBased = GetSelectionBasedExports();
        if (!selectionBased)
            m_exportScope = kSinglePage;
    }
    InterfacePtr<ILayoutControlData> iLayoutControlData(
        QueryFrontLayoutControlData(m_owner.GetDocument()));
    ThrowIfNull(iLayoutControlData, "iLayoutControlData");
    const bool showsMaster = ShowsMasterSpread(*iLayoutControlData);
    BJobFile& job = m_owner.GetJob();
    if (!selectionBased && HasMoreThanOnePage(job.GetAbsoluteRuns()))
        m_exportScope = kWholeDocument;
    if (m_exportScope != kSelection)
        return;

    const ActiveSelection active = QueryActiveSelection();
    if (showsMaster || !active.layoutSuite || active.layoutSuite->IsSelectionEmpty())
        return;
    if (!active.jobSuite)
        ThrowZEPException(ustring(), kZEPNoSelectionSuiteError);
    const UIDList items = SelectedLayoutItems(*active.jobSuite);

    InterfacePtr<IHierarchy> iHierarchy(items.IsEmpty() ? UIDRef() : items.GetRef(0),
                                        UseDefaultIID{});
    ThrowIfNull(iHierarchy, "iHierarchy");
    const UIDRef spread(items.GetDataBase(), iHierarchy->GetSpreadUID());
    InterfacePtr<ISpread> iSpread(spread, UseDefaultIID{});
    ThrowIfNull(iSpread, "iSpread");
    PMRect selection;
    GetItemListBounds(items, selection, true);
    PMRect pages = iSpread->GetPagesBounds(3, PMMatrix());
    UnoffsetRectBySpread(spread, pages);
    InterfacePtr<IGeometry> pageGeom(iSpread->QueryNthPageGeometry(0));
    ThrowIfNull(pageGeom, "pageGeom");
    selection.MoveRel(pages.Left(), pages.Top());
    const UID page =
        iSpread->GetNthPageUID(SelectionPageOfSpread(selection, pages, iSpread->GetNumPages()));
    const std::int32_t index = m_owner.GetPageList()->GetPageIndex(page);

    job.GetAbsoluteRuns().Clear();
    job.GetAbsoluteRuns().Append(
        std::make_unique<BPageRange>(ustring(), index + 1, 1, kPageRangeStyleAbsolute));
    m_exportScope = kSelection;
}

std::int32_t SelectionPageOfSpread(const PMRect& selection, const PMRect& pages,
                                   std::int32_t pageCount) {
    constexpr double e = 1e-8;
    if (pages.Bottom() + e < selection.Top() || selection.Bottom() < selection.Top() - e ||
        selection.Top() < pages.Bottom() - e)
        return 0;
    const std::int32_t width = TruncateToInt32(pages.Width());
    if (width <= 0 || pageCount <= 0)
        return 0;
    return std::clamp(TruncateToInt32(selection.Left()) / width, 0, pageCount - 1);
}

bool WantsColorManagedEPS(const BJobFile& job) {
    const BGroup& group = job.GetCurrentGroup();
    return !group.empty() && group.front().GetStyle() == kColorManagedEPSStyle;
}

void CheckPrintableDestinations(const BJobFile& job) {
    for (const BDestination& destination : job.GetCurrentGroup()) {
        const struct {
            const char* what;
            double value;
            bool size;
        } values[] = {{"width", destination.GetWidth(), true},
                      {"height", destination.GetHeight(), true},
                      {"left bleed", destination.GetBleedLeft(), false},
                      {"top bleed", destination.GetBleedTop(), false},
                      {"right bleed", destination.GetBleedRight(), false},
                      {"bottom bleed", destination.GetBleedBottom(), false}};
        for (const auto& [what, value, size] : values) {
            if (std::isfinite(value) && (size ? value > 0 : value >= 0))
                continue;
            const ustring name =
                destination.GetName().empty()
                    ? destination.GetIdentifier()
                    : "\"" + destination.GetName() + "\" (" + destination.GetIdentifier() + ")";
            ThrowZEPException("The destination " + name + " cannot be printed: its " + what +
                                  " is " +
                                  (std::isnan(value) ? ustring("not a number")
                                                     : ustring::format("%g points", value)) +
                                  ".",
                              kZEPUnprintableDestinationError);
        }
    }
}

bool IsOutputFileOf(const BJobFile& job, const UFileSpecCore& file) {
    if (IsSamePlace(file, PDFOutputFile(job)) || IsSamePlace(file, job.outputFile))
        return true;
    const ustring prefix = job.outputFile.name(true) + "#";
    const ustring leaf = file.name(true);
    UFileSpecCore folder = file;
    UFileSpecCore outputFolder = job.outputFile;
    return leaf.size() > prefix.size() && leaf.substr(0, prefix.size()) == prefix &&
           IsNumber(leaf.substr(prefix.size())) && folder.to_parent() && outputFolder.to_parent() &&
           IsSamePlace(folder, outputFolder);
}
