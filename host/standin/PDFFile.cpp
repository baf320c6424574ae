#include "host/standin/PDFFile.h"

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

QPDFObjectHandle Numbers(const std::vector<double>& values) {
    QPDFObjectHandle array = QPDFObjectHandle::newArray();
    for (double value : values)
        array.appendItem(QPDFObjectHandle::newReal(value, 4, true));
    return array;
}

// [/Separation /NAME /DeviceCMYK|/DeviceRGB f]: f goes from white at tint 0 to the alternate.
QPDFObjectHandle SeparationSpace(const PDFSeparation& separation) {
    const bool cmyk = separation.alternate.size() == 4;
    QPDFObjectHandle function = QPDFObjectHandle::newDictionary();
    function.replaceKey("/FunctionType", QPDFObjectHandle::newInteger(2));
    function.replaceKey("/Domain", Numbers({0, 1}));
    function.replaceKey("/C0",
                        Numbers(std::vector<double>(separation.alternate.size(), cmyk ? 0 : 1)));
    function.replaceKey("/C1", Numbers(separation.alternate));
    function.replaceKey("/N", QPDFObjectHandle::newInteger(1));
    QPDFObjectHandle space = QPDFObjectHandle::newArray();
    space.appendItem(QPDFObjectHandle::newName("/Separation"));
    space.appendItem(QPDFObjectHandle::newName("/" + separation.name));
    space.appendItem(QPDFObjectHandle::newName(cmyk ? "/DeviceCMYK" : "/DeviceRGB"));
    space.appendItem(function);
    return space;
}

QPDFObjectHandle Resources(const PDFPage& page) {
    QPDFObjectHandle font = QPDFObjectHandle::newDictionary();
    font.replaceKey("/Type", QPDFObjectHandle::newName("/Font"));
    font.replaceKey("/Subtype", QPDFObjectHandle::newName("/Type1"));
    font.replaceKey("/BaseFont", QPDFObjectHandle::newName("/Helvetica"));
    font.replaceKey("/Encoding", QPDFObjectHandle::newName("/WinAnsiEncoding"));
    QPDFObjectHandle fonts = QPDFObjectHandle::newDictionary();
    fonts.replaceKey("/F1", font);
    QPDFObjectHandle spaces = QPDFObjectHandle::newDictionary();
    for (std::size_t i = 0; i < page.separations.size(); ++i)
        spaces.replaceKey("/CS" + std::to_string(i), SeparationSpace(page.separations[i]));
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
    resources.replaceKey("/Font", fonts);
    if (!page.separations.empty())
        resources.replaceKey("/ColorSpace", spaces);
    return resources;
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
        object.replaceKey("/Resources", Resources(page));
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
