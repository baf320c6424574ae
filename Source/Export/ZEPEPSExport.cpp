#include "Export/ZEPEPSExport.h"

#include "Export/ZEPPageBounds.h"
#include "Export/ZEPPageGeometry.h"
#include "Plugin/CZEPException.h"
#include "Plugin/ZEPHostAccess.h"
#include "Plugin/ZEPStringConversions.h"
#include "host/sdk/EPSExport.h"
#include "host/sdk/Layout.h"
#include "model/BJobFile.h"
#include "platform/files.h"

#include <cmath>
#include <cstdint>

namespace {

// What every page of one EPS export shares.
struct EPSExport {
    BJobFile& job;
    IDocument* document;
    bool cmsWanted;
    UIDRef flattenerStyle;
    const ZEPHostFileOf& hostFileOf;
};

void ShowExportProgress(const BJobFile& job, std::int64_t pageIndex) {
    ShowSessionMessage("Generating EPS.");
    ustring text = job.jobName;
    if (job.pageCount > 1)
        text += ustring::format(" (page %d)", static_cast<int>(pageIndex + 1));
    ShowSessionSubMessage(text);
}

// The preferences of the page, then the export of the page to `file`.
void ExportPageEPS(const EPSExport& run, std::int32_t pageIndex, const UFileSpecCore& file) {
    const BGroup& group = run.job.GetCurrentGroup();
    const std::int32_t style = group.empty() ? 0 : group[0].GetStyle();
    const std::int32_t color = style == 1 && run.cmsWanted ? 12 : 14;

    InterfacePtr<ICommand> setPrefsCmd(CmdUtils::CreateCommand(kEPSExportPrefsCmdBoss));
    ThrowIfNull(setPrefsCmd, "setPrefsCmd");
    InterfacePtr<IEPSExportPrefsCmdData> prefsData(setPrefsCmd.get(), UseDefaultIID{});
    ThrowIfNull(prefsData, "prefsData");
    prefsData->SetOption(5, 4);
    prefsData->SetPages(UStringToPMString(ustring::format("+%d", pageIndex + 1)));
    prefsData->SetOption(7, 7);
    prefsData->SetOption(8, 9);
    InterfacePtr<IPageSetupPrefs> pageSetup(QueryPreferences<IPageSetupPrefs>(run.document));
    if (pageSetup) {
        // The rectangle holds the top, left, bottom and right bleed as its left, top, right and
        // bottom.
        const PMRect bleed = pageSetup->GetDocumentBleed();
        constexpr double kNone = 1e-8;
        if (std::abs(bleed.Left()) <= kNone && std::abs(bleed.Top()) <= kNone &&
            std::abs(bleed.Right()) <= kNone && std::abs(bleed.Bottom()) <= kNone) {
            prefsData->SetOption(9, 31);
        } else {
            prefsData->SetOption(9, 30);
            prefsData->SetBleedEdge(10, bleed.Left());
            prefsData->SetBleedEdge(11, bleed.Right());
            prefsData->SetBleedEdge(12, bleed.Top());
            prefsData->SetBleedEdge(13, bleed.Bottom());
        }
    }
    prefsData->SetOption(14, color);
    const std::pair<std::int32_t, std::int32_t> fixed[] = {
        {15, 17}, {16, 19}, {18, 28}, {19, 25}, {20, 33}, {21, 35}, {22, 37},
        {23, 39}, {24, 41}, {25, 43}, {17, 22}, {26, 45}, {27, 47}, {28, 49}};
    for (const auto& [operation, value] : fixed)
        prefsData->SetOption(operation, value);
    const UID flattenerStyle = run.flattenerStyle.GetUID();
    prefsData->SetFlattenerStyle(&flattenerStyle);
    prefsData->SetOption(31, 55);
    ThrowIfError(CmdUtils::ProcessCommand(setPrefsCmd.get()));

    InterfacePtr<ICommand> exportCmd(CmdUtils::CreateCommand(kEPSExportCmdBoss));
    ThrowIfNull(exportCmd, "exportCmd");
    InterfacePtr<IEPSExportCmdData> exportData(exportCmd.get(), UseDefaultIID{});
    ThrowIfNull(exportData, "exportData");
    exportData->SetExport(MakeIDFile(file), run.document, 1, 0);
    ThrowIfError(CmdUtils::ProcessCommand(exportCmd.get()));
}

// The file of the page: the output file for the first exported page, "<leaf>#<n>" for the n-th.
UFileSpecCore PageFile(const BJobFile& job, std::int32_t pageIndex) {
    return job.GetOutputFile(job.GetAbsoluteRuns().GetPosition(pageIndex + 1));
}

void ExportPage(const EPSExport& run, std::int32_t pageIndex) {
    ShowExportProgress(run.job, pageIndex);
    PMRect pageRect;
    PMRect bleedRect;
    ThrowIfError(ErrorCode(static_cast<std::uint32_t>(
        GetPageBleedRects(run.document, &run.job, pageIndex, pageRect, bleedRect))));
    bleedRect.MoveRel(-bleedRect.Left(), -bleedRect.Top());
    PMRect whole;
    PMRect margins;
    RoundRectOutward(bleedRect, whole, margins);
    run.job.epsPageBox = PageRectToRect2D(whole);
    run.job.epsSecondBox = zeu::Rect2D::zero;

    // The export command writes the page beside its file and renames it over the file: a folder
    // that takes no new file fails the page here, before any command for it, naming the folder
    // and the system's reason.
    const UFileSpecCore file = PageFile(run.job, pageIndex);
    const UFileSpecCore written = HostFileFor(run.hostFileOf, file);
    if (int error = 0; !platform::canCreateBeside(written.wide_path(), error)) {
        UFileSpecCore folder = file;
        if (error == 0 || !folder.to_parent())
            ThrowFileWriteError(file.path(), error);
        ThrowFolderWriteError(folder.path(), ustring(platform::errorText(error).c_str()));
    }
    ExportPageEPS(run, pageIndex, written);
}

// Calls `visit` with the 0-based index of each page of the absolute runs, in order; a run that is
// not absolute throws 0x52E1F.
template <typename Visit>
void ForEachPage(const BJobFile& job, Visit&& visit) {
    for (const BPageRange& range : job.GetAbsoluteRuns()) {
        if (range.style != kPageRangeStyleAbsolute)
            ThrowZEPException("(*it)->GetNumberingStyle() != ePageNumberingStyle_Absolute",
                              0x52E1F);
        // The page rectangles fail for the first page the document does not have, so a run's
        // count bounds no work.
        const std::int64_t first = std::int64_t{range.firstPage} - 1;
        for (std::int64_t i = first; i < first + range.pageCount; ++i)
            visit(static_cast<std::int32_t>(i));
    }
}

} // namespace

void ExportEPS(BJobFile& job, IDocument* document, bool cmsWanted, const UIDRef& flattenerStyle,
               const ZEPHostFileOf& hostFileOf) {
    const EPSExport run{job, document, cmsWanted, flattenerStyle, hostFileOf};
    ForEachPage(job, [&run](std::int32_t pageIndex) { ExportPage(run, pageIndex); });
}

std::vector<UFileSpecCore> EPSOutputFiles(const BJobFile& job) {
    std::vector<UFileSpecCore> files;
    ForEachPage(job, [&](std::int32_t pageIndex) { files.push_back(PageFile(job, pageIndex)); });
    return files;
}
