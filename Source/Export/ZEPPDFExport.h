// The PDF export of the export run: the job's pages of the front document go into one PDF file
// through the host's PDF export command, with preferences that follow from the job's check
// settings and the first destination's style.
#pragma once

#include "Export/ZEPHostFile.h"
#include "host/sdk/Command.h"
#include "host/sdk/Document.h"
#include "host/sdk/PMString.h"
#include "utils/FilePath.h"

class BJobFile;
class IPDFExportPrefs;

// The PDF file of the job: its output path ('FS') with the extension ".pdf" in place of its own
// (an output path without extension gets ".pdf" appended); the empty path when the output path
// has no folder.
UFileSpecCore PDFOutputFile(const BJobFile& job);

// Writes the PDF to PDFOutputFile(job), or where `hostFileOf` gives for it (the export's
// temporary, which takes the PDF's name once the export stands): the pages of the job's absolute
// page list, the flattener style of that name, a progress bar "Generating PDF" over 0 to the
// job's 'NP'. Throws CZEPException: 0x52E1F "!(pdfFile.to_parent() && pdfFile.descend(leafName +
// ".pdf"))" for an output path with no folder; 0x52E1E "(result) == NULL" with no front
// document, "(pdfExportCmd) == NULL", "(pdfExportPrefs) == NULL", "(iFirstFlag) == NULL",
// "(iSecondFlag) == NULL", "(iPageList) == NULL", "(pageUID) == NULL", "(iPageOutput) == NULL",
// "(iOutputFile) == NULL" for what the host does not give; the command's failure, or an error it
// leaves in the host's global error, with that code and an empty text. Nothing is created before
// the host writes the file.
void ExportPDF(BJobFile& job, const PMString& flattenerStyleName,
               const ZEPHostFileOf& hostFileOf = {});

// Fills the PDF export preferences from the job (compatibility, image resolutions, font
// subsetting, layers) and fixed values, in the host's expected order.
void SetPDFExportPrefs(const BJobFile& job, IPDFExportPrefs* prefs,
                       const PMString& flattenerStyleName);

// Gives the command the document's pages of the job's absolute page list, in list order, as its
// item list and page output, with the document's name. Takes over the reference `command`
// holds. Throws 0x52E1E "(iPageList) == NULL", "(pageUID) == NULL" (a page the document does
// not have), "(iPageOutput) == NULL".
void BuildExportPageList(const BJobFile& job, IDocument* document, InterfacePtr<ICommand> command);
