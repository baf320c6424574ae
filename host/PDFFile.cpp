#include "host/PDFFile.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace host {

namespace {

QPDFObjectHandle Box(double left, double bottom, double right, double top) {
    return QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(left, bottom, right, top));
}

} // namespace

std::string PDFFileBytes(const std::vector<PDFPage>& pages, const std::string& version,
                         const std::string& title) {
    QPDF pdf;
    pdf.emptyPDF();
    QPDFPageDocumentHelper pageHelper(pdf);
    for (const PDFPage& page : pages) {
        QPDFObjectHandle object = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        object.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        object.replaceKey("/MediaBox", Box(0, 0, page.width, page.height));
        object.replaceKey("/BleedBox", Box(0, 0, page.width, page.height));
        object.replaceKey("/TrimBox",
                          Box(page.trimBox[0], page.trimBox[1], page.trimBox[2], page.trimBox[3]));
        object.replaceKey("/Resources", QPDFObjectHandle::newDictionary());
        object.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, page.content));
        pageHelper.addPage(object, false);
    }
    QPDFObjectHandle info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title));
    pdf.getTrailer().replaceKey("/Info", info);
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    writer.setDeterministicID(true);
    writer.forcePDFVersion(version);
    writer.write();
    const std::shared_ptr<Buffer> bytes = writer.getBufferSharedPointer();
    return std::string(reinterpret_cast<const char*>(bytes->getBuffer()), bytes->getSize());
}

} // namespace host
