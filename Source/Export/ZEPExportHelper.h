// The export run of one job: `ZEPExportHelper` prepares the run and carries it out through a
// `ZEPExportJobFileHelper`, which decides what is exported (the whole document or the
// selection), makes the temporary document changes of its job-file modifiers, collects the
// analysis records of the exported pages and their items, and undoes every change when it goes.
//
// A modifier changes the document inside an abortable command sequence of its own, begun before
// its first change and aborted when the modifier goes, so the host rolls the changes back. The
// sequences nest in the order the modifiers are made, so they are destroyed in the reverse
// order: only the innermost open sequence can be aborted.
#pragma once

#include "Analysis/ZEPItemCallbacks.h"
#include "Export/ZEPHostFile.h"
#include "host/sdk/Command.h"
#include "host/sdk/Document.h"
#include "host/sdk/Layout.h"

#include <array>
#include <cstdint>
#include <memory>

class BJobFile;
class ZEPExportJobFileHelper;
class ZEPFileTransaction;

// One export of a job; lives on the stack of the export handler.
class ZEPExportHelper {
public:
    ZEPExportHelper() = default;
    ZEPExportHelper(const ZEPExportHelper&) = delete;
    ZEPExportHelper& operator=(const ZEPExportHelper&) = delete;

    // Prepare, then the run: the job-file helper decides the scope and changes the document;
    // the job is refused, before anything is written, when a page run lies outside the document
    // (0x52E3C) or the page-item file is a file the PDF or EPS output would write (0x52E3D naming
    // both); the folders the export writes into (the job folder, its "PlacedImages", the
    // output's and the page-item file's folders) are checked and held, waiting for another export
    // at most kExportFolderWait; the page items are collected, PDF or EPS is written and then the
    // job's page-item file. All the files are one change of the file system
    // (Plugin/ZEPFileTransaction.h): a file that cannot be written (CZEPFileWriteError, naming
    // it) or any other failure leaves the folders as they were; success is on the disk before
    // this returns. The helper's end undoes the document changes, also when a step throws. True
    // on completion; every failure is thrown.
    bool Export(IDocument* document, BJobFile* job);
    // Keeps the document (null: the front document, none: 0x52E1E "(result) == NULL"), the job
    // (null: 0x52E1E "(jobs) == NULL") and the document's page list (none: 0x52E1E
    // "(mPageList) == NULL"). A job folder ('TF') that is not an absolute path would put the
    // export's files into the working folder: 0x52E1F "!(jobs->jobFolder.is_absolute())",
    // before anything changes. Unless the job's 'SE' is set, 'LH' and 'LV' become the means of
    // the document bleed's two pairs of edges, when the document has page-setup preferences.
    void Prepare(IDocument* document, BJobFile* job);
    // True for PDF, false for EPS: EPS when the current group's first destination has 'St' 1,
    // else as the job's check settings allow for the fonts and transparency the job's page items
    // show.
    bool ShouldExportPDF() const;

    IDocument* GetDocument() const { return m_document; }
    BJobFile& GetJob() const { return *m_job; }
    IPageList* GetPageList() const { return m_pageList.get(); }
    // The file change of the export that runs (null between exports): it stages the host's
    // files.
    ZEPFileTransaction* GetFiles() const { return m_files; }

private:
    ZEPFileTransaction* m_files = nullptr;
    IDocument* m_document = nullptr;
    BJobFile* m_job = nullptr;
    InterfacePtr<IPageList> m_pageList;
};

// The base of the job-file modifiers: the owner, and the abortable command sequence that holds
// the modifier's changes. Each subclass's constructor runs its Modify at once; a throw from there
// leaves only this base to destroy, which aborts the sequence.
class ZEPExportJobFileModifier {
public:
    explicit ZEPExportJobFileModifier(ZEPExportJobFileHelper& owner) : m_owner(owner) {}
    // Aborts the sequence, if one was begun.
    virtual ~ZEPExportJobFileModifier() { AbortModify(); }
    ZEPExportJobFileModifier(const ZEPExportJobFileModifier&) = delete;
    ZEPExportJobFileModifier& operator=(const ZEPExportJobFileModifier&) = delete;

    // Makes the modifier's changes; throws CZEPException.
    virtual void Modify() = 0;
    // Begins the sequence, named "ZEPExportJobFileModifier", unless it is open already; the host
    // refusing one throws 0x52E1E "(mCmdSeq = CmdUtils::BeginAbortableCmdSeq()) == NULL".
    void BeginModify();

protected:
    ZEPExportJobFileHelper& GetOwner() const { return m_owner; }
    IDocument* GetDocument() const;
    BJobFile& GetJob() const;
    // Aborts the sequence now, rolling back every change inside it; nothing when none is open.
    // Never throws.
    void AbortModify() noexcept;

private:
    ZEPExportJobFileHelper& m_owner;
    IAbortableCmdSeq* m_cmdSeq = nullptr;
};

// The run's state: the scope, the modifiers and the analysis records. Made by Export; its
// destruction restores the document.
class ZEPExportJobFileHelper {
public:
    // What is exported.
    enum ExportScope : std::uint32_t {
        kWholeDocument = 0, // more than one page
        kSinglePage = 1,
        kSelection = 2,
    };
    // The modifier slots, in the order the run fills them; the last two no road fills.
    enum ModifierSlot : std::size_t {
        kSelectionSlot = 0,
        kPaperSlot = 1,
        kColorManagementSlot = 2,
        kSlotCount = 5,
    };

    // Keeps the owner and runs Init; when Init throws, the modifiers made so far are destroyed
    // (restoring the document) before the exception leaves.
    explicit ZEPExportJobFileHelper(ZEPExportHelper& owner);
    // Destroys the modifiers in the reverse order of their making, then the records.
    ~ZEPExportJobFileHelper();
    ZEPExportJobFileHelper(const ZEPExportJobFileHelper&) = delete;
    ZEPExportJobFileHelper& operator=(const ZEPExportJobFileHelper&) = delete;

    // The scope, then the selection modifier for a selection export and the colour-management
    // modifier when the current group's first destination has 'St' 1.
    void Init();
    // The scope: 1 or 0 (by the job's absolute page count) unless the front document's stored
    // job list asks for selection-based exports; then 2, and when the front view shows a normal
    // spread with a non-empty layout selection, the job's absolute pages become the one page of
    // the selection's spread that holds the selection. Missing host objects throw 0x52E1E
    // "(iLayoutControlData) == NULL", "(theLayoutTarget) == NULL", "(iHierarchy) == NULL",
    // "(iSpread) == NULL", "(pageGeom) == NULL"; no selection job suite throws 0x52E36.
    void DetermineExportScope();
    // One record per exported page and per page item on it, handed to the job's page-item list.
    // The files it writes (embedded graphics, embedded profiles) are staged in `files`; without
    // one they are written in place.
    void CollectPageItems(ZEPFileTransaction* files = nullptr);
    // The job's pages as one PDF file (Export/ZEPPDFExport.h) with the plug-in's flattener style,
    // written where the export's file change stages it.
    void ExportPDF();
    // The job's pages as EPS files (Export/ZEPEPSExport.h), colour-managed when the job wants it,
    // with the plug-in's flattener style, each page written where the export's file change
    // stages it.
    void ExportEPS();

    ZEPExportHelper& GetOwner() const { return m_owner; }
    std::uint32_t GetExportScope() const { return m_exportScope; }
    bool IsCMSWanted() const { return m_cmsWanted; }
    const ZEPExportJobFileModifier* GetModifier(ModifierSlot slot) const {
        return m_modifiers[slot].get();
    }
    const ZEPPageItemInfoList& GetRecords() const { return m_records; }

private:
    // Where the host writes the export's files: the export's file change's temporaries.
    [[nodiscard]] ZEPHostFileOf HostFiles() const;

    ZEPExportHelper& m_owner;
    ZEPPageItemInfoList m_records;
    std::array<std::unique_ptr<ZEPExportJobFileModifier>, kSlotCount> m_modifiers;
    std::uint32_t m_exportScope = kSelection;
    bool m_cmsWanted = false;
};

// The page of a spread that holds the selection, as a position among the spread's pages: the
// selection's bounds `selection` and the spread's page bounds `pages`, both in spread
// coordinates, picked by the selection's left edge per page-row width; the first page for a
// selection above or below the pages' bottom edge, for a row of no width, and at most the last
// page.
std::int32_t SelectionPageOfSpread(const PMRect& selection, const PMRect& pages,
                                   std::int32_t pageCount);

// True when the job's current group has a destination and the first one's 'St' is 1 (EPS with
// colour management switched on).
bool WantsColorManagedEPS(const BJobFile& job);

// True when `file` names the place of a file that the job's PDF or EPS output writes: the PDF
// file, the output file or a further EPS file ("<output leaf>#<n>" beside it).
bool IsOutputFileOf(const BJobFile& job, const UFileSpecCore& file);

// Refuses a booking that cannot be printed: the first destination of the job's current group
// whose width or height is not a number above 0, or one of whose bleeds is not a number from 0
// up, raises 0x52E40 with a text naming the destination and the value, as 'The destination "City
// Magazine" (4101) cannot be printed: its width is -595.28 points.'. A group without destinations
// passes: fitting tells of a job without a page size itself.
void CheckPrintableDestinations(const BJobFile& job);
