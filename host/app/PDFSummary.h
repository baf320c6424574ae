// A PDF file as zephost's report shows it, read with qpdf.
#pragma once

#include <string>
#include <vector>

struct PDFSummary {
    // The PDF version of the header ("1.6").
    std::string version;
    // Per page: its MediaBox, BleedBox and TrimBox, each as "llx lly urx ury".
    struct Page {
        std::string media, bleed, trim;
    };
    std::vector<Page> pages;
};

// Reads the file at the POSIX path; throws std::exception when it is no PDF.
PDFSummary ReadPDFSummary(const std::string& path);
