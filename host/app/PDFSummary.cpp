// Built in qpdf's own language standard, C++17 (clang's C++20 refuses its headers).
#include "PDFSummary.h"

#include "host/standin/Recorder.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

namespace {

// The page's box of that key, as "llx lly urx ury"; "-" when the page has none.
std::string Box(QPDFObjectHandle page, const char* key) {
    QPDFObjectHandle box = page.getKey(key);
    if (!box.isRectangle())
        return "-";
    const QPDFObjectHandle::Rectangle r = box.getArrayAsRectangle();
    return host::Number(r.llx) + " " + host::Number(r.lly) + " " + host::Number(r.urx) + " " +
           host::Number(r.ury);
}

} // namespace

PDFSummary ReadPDFSummary(const std::string& path) {
    QPDF pdf;
    pdf.processFile(path.c_str());
    PDFSummary summary{pdf.getPDFVersion(), {}};
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
        QPDFObjectHandle object = page.getObjectHandle();
        summary.pages.push_back(
            {Box(object, "/MediaBox"), Box(object, "/BleedBox"), Box(object, "/TrimBox")});
    }
    return summary;
}
