// The EPS export of the export run: one EPS file per exported page, each written by the host's
// EPS preferences command and EPS export command.
#pragma once

#include "Export/ZEPHostFile.h"
#include "host/sdk/Database.h"
#include "host/sdk/Document.h"
#include "utils/FilePath.h"

#include <vector>

class BJobFile;

// Writes the pages of the job's absolute page list of `document`, in list order: the first page
// to the job's output path ('FS'), the n-th exported page to "<output leaf>#<n>" beside it. For
// each page the progress display shows "Generating EPS." and the job's name (with " (page %d)"
// and the page's number, counted from 1 as the user sees it, when the job's 'NP' is above 1),
// the job's EPS page box becomes the page grown by the job's bleed, moved to (0, 0) and rounded
// outward, and its second EPS box (0, 0, 0, 0). The colour value is 12 when the first
// destination's 'St' is 1 and `cmsWanted`, else 14; `flattenerStyle` is the plug-in's flattener
// style. Throws CZEPException: 0x52E1F
// "(*it)->GetNumberingStyle() != ePageNumberingStyle_Absolute" for a run that is not absolute;
// the code of the page rectangles' failure; CZEPFileWriteError (0x52E0A) naming the page's file
// when its folder takes no new file, before any host command for that page; 0x52E1E
// "(setPrefsCmd) == NULL", "(prefsData) == NULL", "(exportCmd) == NULL", "(exportData) ==
// NULL"; a host command's failure with its code and an empty text. Nothing is created under a
// page's name before the host writes its file (the check makes and removes a temporary beside
// it); pages already written stay (the export's file transaction puts back what stood there).
// With `hostFileOf`, each page goes where it gives for the page's file (the export's temporary,
// which takes the page's name once the export stands); alerts name the page's file.
void ExportEPS(BJobFile& job, IDocument* document, bool cmsWanted, const UIDRef& flattenerStyle,
               const ZEPHostFileOf& hostFileOf = {});

// The files ExportEPS writes, in the order it writes them (a page that two runs hold, twice).
std::vector<UFileSpecCore> EPSOutputFiles(const BJobFile& job);
