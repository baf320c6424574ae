#include "Export/ZEPPDFExport.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPHostAccess.h"
#include "host/sdk/Errors.h"
#include "host/sdk/Layout.h"
#include "host/sdk/PDFExport.h"
#include "host/sdk/Progress.h"
#include "model/BJobFile.h"
#include "model/KeyStrings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <utility>

namespace {

// The compatibility code of a PDF version; anything but exactly 1.3 to 1.7 gives 1.4's.
std::int32_t CompatibilityOf(double version) {
    constexpr std::pair<double, std::int32_t> kCodes[] = {
        {1.3, 13}, {1.4, 14}, {1.5, 15}, {1.6, 16}, {1.7, 17}};
    for (const auto& [known, code] : kCodes)
        if (version == known)
            return code;
    return 14;
}

// trunc(resolution × factor) as a 32-bit integer: clamped to its range, a NaN giving 0.
std::int32_t Threshold(std::int32_t resolution, double factor) {
    const double value = std::trunc(resolution * factor);
    if (std::isnan(value))
        return 0;
    return static_cast<std::int32_t>(
        std::clamp(value, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                   static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

// 'St' of the current group's first destination; 0 without one.
std::int32_t FirstDestinationStyle(const BJobFile& job) {
    const BGroup& group = job.GetCurrentGroup();
    return group.empty() ? 0 : group[0].GetStyle();
}

} // namespace

void SetPDFExportPrefs(const BJobFile& job, IPDFExportPrefs* prefs,
                       const PMString& flattenerStyleName) {
    const BCheckSettingList& settings = job.GetCheckSettings();
    const auto set = [prefs](std::initializer_list<std::int32_t> operations, std::int32_t value) {
        for (std::int32_t operation : operations)
            prefs->SetOption(operation, value);
    };
    set({IPDFExportPrefs::kCompatibility}, CompatibilityOf(settings.GetPDFVersion()));
    set({17, 18, 19}, 4);
    std::int32_t resolution = 0;
    double factor = 0;
    settings.GetDownsampling(true, resolution, factor);
    set({20, 21}, resolution);
    set({132}, Threshold(resolution, factor));
    set({22, 23}, resolution);
    set({134}, Threshold(resolution, factor));
    settings.GetDownsampling(false, resolution, factor);
    set({24, 25}, resolution);
    set({136}, Threshold(resolution, factor));
    set({26, 27}, 13);
    set({28}, 0x10004);
    set({10}, settings.GetSeverity(keystr::FontNotSubset) < settings.GetSeverity(keystr::FontSubset)
                  ? 1
                  : 2);
    set({9}, 1);
    set({11}, 99);
    const std::int32_t style = FirstDestinationStyle(job);
    set({12}, style == 1 || style == 6 ? 4 : 2);
    prefs->SetOptionText(prefs->GetOptionText(), 3);
    set({13}, 2);
    set({142}, 1);
    set({30, 31, 32, 33, 34}, 2);
    set({14, 5, 7, 8}, 2);
    set({16}, 1);
    set({148}, 0);
    set({37, 38, 39, 40}, 2);
    if (settings.GetSeverity(keystr::LayersInPDF) < eProblemSeverity_Warn)
        set({128}, 1);
    prefs->SetFlattenerStyleName(flattenerStyleName);
}

void BuildExportPageList(const BJobFile& job, IDocument* document, InterfacePtr<ICommand> command) {
    UIDList pages(GetUIDRef(document).GetDataBase());
    InterfacePtr<IPageList> iPageList(document, UseDefaultIID{});
    ThrowIfNull(iPageList, "iPageList");
    for (const BPageRange& run : job.GetAbsoluteRuns()) {
        const std::int64_t last = std::int64_t{run.firstPage} + run.pageCount - 1;
        // A page the document does not have ends the list, so a run's count bounds no work.
        for (std::int64_t page = run.firstPage; page <= last; ++page) {
            const UID pageUID = page >= 1 && page <= iPageList->GetPageCount()
                                    ? iPageList->GetNthPageUID(static_cast<std::int32_t>(page - 1))
                                    : kInvalidUID;
            if (pageUID == kInvalidUID)
                ThrowZEPException("(pageUID) == NULL", 0x52E1E);
            pages.Append(pageUID);
        }
    }
    command->SetItemList(pages);
    InterfacePtr<IPageOutput> iPageOutput(command.get(), UseDefaultIID{});
    ThrowIfNull(iPageOutput, "iPageOutput");
    iPageOutput->SetPages(pages, 0);
    iPageOutput->SetDocumentName(document->GetName());
}

UFileSpecCore PDFOutputFile(const BJobFile& job) {
    UFileSpecCore pdfFile = job.outputFile;
    const ustring leafName = pdfFile.name(false);
    if (!(pdfFile.to_parent() && pdfFile.descend(leafName + ".pdf")))
        return UFileSpecCore();
    return pdfFile;
}

void ExportPDF(BJobFile& job, const PMString& flattenerStyleName, const ZEPHostFileOf& hostFileOf) {
    const UFileSpecCore pdfFile = PDFOutputFile(job);
    if (!pdfFile.is_valid())
        ThrowZEPException("!(pdfFile.to_parent() && pdfFile.descend(leafName + \".pdf\"))",
                          0x52E1F);
    const IDFile idFile = MakeIDFile(HostFileFor(hostFileOf, pdfFile));
    IDocument* document = GetFrontDocument();
    InterfacePtr<ICommand> pdfExportCmd(CmdUtils::CreateCommand(kPDFExportCmdBoss));
    ThrowIfNull(pdfExportCmd, "pdfExportCmd");
    RangeProgressBar progress(PMString("Generating PDF"), 0, job.pageCount, true, true, nullptr, 0,
                              nullptr);
    InterfacePtr<IPDFExportPrefs> pdfExportPrefs(pdfExportCmd.get(), UseDefaultIID{});
    ThrowIfNull(pdfExportPrefs, "pdfExportPrefs");
    SetPDFExportPrefs(job, pdfExportPrefs.get(), flattenerStyleName);
    pdfExportPrefs->SetProgressBar(&progress);
    InterfacePtr<ICommandFlag> iFirstFlag(pdfExportCmd.get(), UseDefaultIID{});
    ThrowIfNull(iFirstFlag, "iFirstFlag");
    iFirstFlag->Set(0);
    InterfacePtr<ICommandFlag> iSecondFlag(pdfExportCmd.get(), IID_ISECONDCOMMANDFLAG);
    ThrowIfNull(iSecondFlag, "iSecondFlag");
    iSecondFlag->Set(0);
    BuildExportPageList(job, document, pdfExportCmd);
    InterfacePtr<IOutputFile> iOutputFile(pdfExportCmd.get(), UseDefaultIID{});
    ThrowIfNull(iOutputFile, "iOutputFile");
    iOutputFile->SetFile(idFile);
    ThrowIfError(CmdUtils::ProcessCommand(pdfExportCmd.get()));
    ThrowIfError(ErrorUtils::PMGetGlobalErrorCode());
}
