// A PDF file written with qpdf, apart from the host's model: the source that includes qpdf is
// built with qpdf's own language standard, C++17.
#pragma once

#include <string>
#include <vector>

namespace host {

// A spot colour: a Separation colour space of the ink's name whose alternate is DeviceCMYK
// (four values) or DeviceRGB (three), reached at full tint.
struct PDFSeparation {
    std::string name; // UTF-8
    std::vector<double> alternate;
};

// One page: its media box (also its bleed box) from (0, 0), its trim box (left, bottom, right,
// top), its content stream and the resources it names: the font /F1 (Helvetica, WinAnsi
// encoding) and the colour spaces /CS0, /CS1, ... of its separations.
struct PDFPage {
    double width = 0;
    double height = 0;
    double trimBox[4] = {0, 0, 0, 0};
    std::string content;
    std::vector<PDFSeparation> separations;
};

// The bytes of a PDF of the pages, of the version ("1.3" to "1.7"), with /Title in its document
// information and a file ID that follows from the content. Throws std::exception on failure.
std::string PDFFileBytes(const std::vector<PDFPage>& pages, const std::string& version,
                         const std::string& title);

} // namespace host
