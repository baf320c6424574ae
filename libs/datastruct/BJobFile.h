// BJobFile: one job (an advertisement booking with its destinations and groups, the job boxes
// that follow from them, its output paths, page runs, check settings and analysed page items),
// read and written as the "JOB5" keyed stream, and the writer of the job's page-item file.
#pragma once

#include "model/BCheckSettingList.h"
#include "model/BDestinationList.h"
#include "model/BExportedDestination.h"
#include "model/BPageRange.h"
#include "model/BPageSet.h"
#include "model/JobFilePart.h"
#include "utils/FilePath.h"
#include "utils/Geometry2D.h"
#include "utils/ustring.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>

namespace platform {
class OutputFileStream;
}

class UKeyInStream;
class UKeyOutStream;

// The job's plain values. Those with a key travel in the job file under it; the others live in
// memory only.
struct BJobFields {
    UFileSpecCore jobFolder;    // 'TF': folder of the job's files, "PlacedImages" lies under it
    UFileSpecCore outputFile;   // 'FS': the export's output file
    UFileSpecCore pathPD;       // 'PD': carried as is
    UFileSpecCore pageItemFile; // 'PI': target of WritePageItemFile
    ustring jobName;            // 'DN': read only with the full part
    ustring documentName;       // 'LN'
    // The job boxes; an unset box is zeu::Rect2D::unset.
    zeu::Rect2D bleedBox = zeu::Rect2D::unset; // 'RB'
    zeu::Rect2D trimBox = zeu::Rect2D::unset;  // 'RT'
    zeu::Rect2D typeArea = zeu::Rect2D::unset; // 'RY'
    std::int32_t pageCount = 1; // 'NP': above 1 the export's status text adds the page number
    std::int32_t pageCP = 1;    // 'CP': a 1-based page number, carried as is
    std::int32_t pageLC = 0;    // 'LC': a 1-based page number, carried as is
    // The job page as document fitting last computed it: bleed per side, width and depth.
    double layoutHorizontalBleed = 0.0; // 'LH'
    double layoutVerticalBleed = 0.0;   // 'LV'
    double layoutWidth = 0.0;           // 'Lw'
    double layoutDepth = 0.0;           // 'Ld'
    bool flagSE = false;                // 'SE': carried as is
    bool commonSizing = false;          // 'CZ': the boxes are computed over all groups
    std::int32_t style = 0;             // 'St': 1 selects the grayscale output profile
    ustring textSN;                     // 'SN': carried as is
    ustring identifier;                 // 'SS': UUID text, made on the first write
    // Written only by the EPS export; never stored.
    zeu::Rect2D epsPageBox = zeu::Rect2D::unset;
    zeu::Rect2D epsSecondBox = zeu::Rect2D::unset;
    // Three further boxes and a flag that the job carries in memory only: they start unset and
    // false, are never stored, and nothing in the system sets or reads them.
    zeu::Rect2D thirdUnstoredBox = zeu::Rect2D::unset;
    zeu::Rect2D fourthUnstoredBox = zeu::Rect2D::unset;
    zeu::Rect2D fifthUnstoredBox = zeu::Rect2D::unset;
    bool unstoredFlag = false;
};

// The page set that an export fills with the page items it collects and analyses; the page-item
// file carries it.
inline constexpr int kAnalysedPageSet = 2;

class BJobFile : public BJobFields {
public:
    BJobFile();
    // A job is copied only through its bytes.
    BJobFile(const BJobFile&) = delete;
    BJobFile& operator=(const BJobFile&) = delete;

    // Writes the job as a keyed stream with the identifier "JOB5" under the parts mask
    // (JobFilePart: 2 summary, 4 full, 52 the selected groups' unexported destinations, marked
    // exported as they are written), then flushes the output stream.
    void Write(std::ostream& out, std::int32_t mask);
    // Does nothing when the stream has already failed. Otherwise assigns the process-wide
    // default-settings message from the root element 'Dp' and reads the job (ReadBody). The
    // keyed stream's failures pass to the caller as std::runtime_error ("UKeyInStream: ..."),
    // among them a present 'Dp' or 'SR' that does not unflatten; the job, the default settings
    // and the PDF-forbidding flag are then as they were before the call. A stored path whose
    // text goes on past a NUL is kept whole, NUL included, so that it names no file (cut at
    // the NUL it would name another one).
    void Read(std::istream& in, std::int32_t mask);
    // Writes with the mask 52, then selects the first group that still has an unexported
    // destination, if any, and recomputes the boxes.
    void WriteExported(std::ostream& out);

    // The root's elements after the head: 'JJ' (what the mask carries) and 'GG'. Makes the job
    // identifier first when it is empty.
    void WriteBody(UKeyOutStream& out, std::int32_t mask);
    // Reads 'JJ', 'GG', with the full part the ticket 'SR' into the check settings, and 'BP'
    // into the PDF-forbidding flag, then resolves the output profiles. Everything is read aside
    // first, so a failure (an exception) leaves the job unchanged. What the mask does not carry
    // keeps its value; a string or path of the carried part whose key is absent becomes empty.
    void ReadBody(UKeyInStream& in, std::int32_t mask);

    // The bleed box, trim box and type area from the destinations of the current group, or of
    // every group with common sizing: bleed and trim box always at origin (0, 0); the type area
    // only when both its sizes come out non-zero.
    void ComputeBoxes();

    // Bleed per side: (|bleed box size| - |trim box size|) / 2; 0.0 when either box is unset.
    double GetHorizontalBleed() const;
    double GetVerticalBleed() const;
    // Type indent per side: (|trim box size| - |type area size|) / 2; 0.0 when either is unset.
    double GetHorizontalTypeIndent() const;
    double GetVerticalTypeIndent() const;

    // The file of the n-th exported page when each page gets a file of its own: the output file
    // for n below 2, else "<leaf>#<n>" in the output file's folder (ad.pdf -> ad.pdf#3); the
    // empty path when the output file has no folder.
    UFileSpecCore GetOutputFile(long n) const;
    // "PlacedImages" in the job folder, created (one level) when it is not a folder yet. The
    // empty path when the job folder is not a valid path (nothing is created) or when the folder
    // cannot be created (an ERROR record).
    UFileSpecCore GetPlacedImagesFolder() const;
    // The same, with `error` the system error number of the failure when the folder cannot be
    // created (ENOTDIR when a file stands under its name); 0 otherwise.
    UFileSpecCore GetPlacedImagesFolder(int& error) const;
    // The folder GetPlacedImagesFolder gives, without making it; the empty path when the job
    // folder is not a valid path.
    UFileSpecCore GetPlacedImagesFolderPath() const;

    // Full paths of the resolved output profiles; null when none was resolved.
    const ustring* GetProcessProfile() const;
    const ustring* GetGrayscaleProfile() const;
    // The grayscale profile for style 1, else the process profile.
    const ustring* GetOutputProfile() const;
    // False for the styles 2, 5 and 6, true for every other.
    bool IsOrdinaryStyle() const;
    // Resolves the process and grayscale output profiles from the check settings (run at the
    // end of every read).
    void ApplyProfileSettings();

    // Writes page set 2's items and page flattener records to the page-item file: a record 10
    // holding the document-level items (120 = -2), then for each page n of the absolute page
    // runs 120 = n - 1, the page's items and its flattener record. False, with an ERROR record,
    // when the file cannot be opened or a write up to its close fails.
    [[nodiscard]] bool WritePageItemFile() const { return WritePageItemFile(pageItemFile); }
    // The same into `file` in place of the page-item file (a temporary one, to be put in place).
    [[nodiscard]] bool WritePageItemFile(const UFileSpecCore& file) const;
    // The same, with `error` the system error number of a failure to open, write or close the
    // file (platform::OutputFileStream::error; 0 when it has none).
    [[nodiscard]] bool WritePageItemFile(const UFileSpecCore& file, int& error) const;
    // The same into a file opened for it (a new file an export staged), which is closed;
    // `name` names it in the ERROR record.
    [[nodiscard]] bool WritePageItemFile(platform::OutputFileStream& file, const ustring& name,
                                         int& error) const;

    BGroupList& GetGroups() { return m_groups; }
    const BGroupList& GetGroups() const { return m_groups; }
    // The selected group, else the default group.
    BGroup& GetCurrentGroup();
    const BGroup& GetCurrentGroup() const;

    // 'LX': the section runs.
    BPageRangeList& GetSectionRuns() { return m_sectionRuns; }
    const BPageRangeList& GetSectionRuns() const { return m_sectionRuns; }
    // A second list of section runs, never stored.
    BPageRangeList& GetSecondSectionRuns() { return m_secondSectionRuns; }
    const BPageRangeList& GetSecondSectionRuns() const { return m_secondSectionRuns; }
    // 'PR': the absolute runs, the pages to export.
    BPageRangeAbsoluteList& GetAbsoluteRuns() { return m_absoluteRuns; }
    const BPageRangeAbsoluteList& GetAbsoluteRuns() const { return m_absoluteRuns; }
    // 'EL': the destinations already exported.
    BExportedDestinationList& GetExportedDestinations() { return m_exported; }
    const BExportedDestinationList& GetExportedDestinations() const { return m_exported; }
    // Loaded from the ticket 'SR' of a full read.
    BCheckSettingList& GetCheckSettings() { return m_checkSettings; }
    const BCheckSettingList& GetCheckSettings() const { return m_checkSettings; }

    // Page set 1 or 2 (else std::out_of_range).
    BPageSet& GetPageSet(int n);
    // The current page set: page set 1 until another is chosen.
    BPageSet& GetCurrentPageSet() { return *m_currentPageSet; }
    const BPageSet& GetCurrentPageSet() const { return *m_currentPageSet; }
    // Makes page set n (1 or 2) current; any other n throws std::out_of_range and changes
    // nothing.
    void SetCurrentPageSet(int n) { m_currentPageSet = &GetPageSet(n); }

private:
    struct ReadResult;

    void ReadJobRecord(UKeyInStream& in, std::int32_t mask, ReadResult& result) const;
    void CommitRead(ReadResult& result, std::int32_t mask);
    void WriteJobRecord(UKeyOutStream& out, std::int32_t mask) const;

    BGroupList m_groups;
    BGroup m_defaultGroup; // the current group when none is selected; never stored
    std::array<BPageSet, 2> m_pageSets;
    BPageSet* m_currentPageSet; // one of m_pageSets
    BPageRangeList m_sectionRuns;
    BPageRangeList m_secondSectionRuns;
    BPageRangeAbsoluteList m_absoluteRuns;
    BExportedDestinationList m_exported;
    BCheckSettingList m_checkSettings;
    // The resolved output profiles: slot 0 process, slot 1 grayscale.
    std::array<std::optional<ustring>, 2> m_profiles;
};
