#include "Export/ZEPPDFExport.h"

#include "host/Errors.h"
#include "host/Faults.h"
#include "host/PDFExport.h"
#include "support/ExportFixture.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <filesystem>

namespace {

const PMString kStyleName("Zephrin");

// A check-setting definition with its default values.
std::string Define(const std::string& name, const std::string& type, const std::string& values) {
    return "\"" + name + R"(": {"type": ")" + type + R"(", "defaults": {)" + values + "}}";
}

std::string Box(QPDFObjectHandle page, const char* key) {
    const auto r = page.getKey(key).getArrayAsRectangle();
    return host::Number(r.llx) + " " + host::Number(r.lly) + " " + host::Number(r.urx) + " " +
           host::Number(r.ury);
}

} // namespace

using PDFExport = ExportTest;

TEST_F(PDFExport, SetsThePreferencesFromTheJobInTheHostsOrder) {
    const std::string tail = "13=2 142=1 30=2 31=2 32=2 33=2 34=2 14=2 5=2 7=2 8=2 16=1 148=0 "
                             "37=2 38=2 39=2 40=2";
    const struct {
        std::string definitions;
        int style; // -1: no destination
        std::string calls;
    } cases[] = {
        {Define("Setting_PDFVersion", "parameter", R"("sev": "parameter", "note": 1.3)") + "," +
             Define("Setting_ContoneDownsample", "limitsLow", R"("note": 300, "warn": 450)") + "," +
             Define("FontSubset", "boolean", R"("sev": "fault")") + "," +
             Define("FontNotSubset", "boolean", R"("sev": "note")"),
         6,
         "79=13 17=4 18=4 19=4 20=300 21=300 132=450 22=300 23=300 134=450 24=1200 25=1200 "
         "136=1800 26=13 27=13 28=65540 10=1 9=1 11=99 12=4 SetOptionText \"Standard\" 3 " +
             tail + " 128=1"},
        {Define("Setting_PDFVersion", "parameter", R"("sev": "parameter", "note": 1.45)") + "," +
             Define("FontSubset", "boolean", R"("sev": "warn")") + "," +
             Define("FontNotSubset", "boolean", R"("sev": "warn")") + "," +
             Define("LayersInPDF", "boolean", R"("sev": "warn")"),
         -1,
         "79=14 17=4 18=4 19=4 20=300 21=300 132=450 22=300 23=300 134=450 24=1200 25=1200 "
         "136=1800 26=13 27=13 28=65540 10=2 9=1 11=99 12=2 SetOptionText \"Standard\" 3 " +
             tail},
        // A factor far past any integer: the threshold is clamped to 32 bits.
        {Define("Setting_ContoneDownsample", "limitsLow", R"("note": 2400, "warn": 1e300)") + "," +
             Define("LayersInPDF", "boolean", R"("sev": "note")"),
         1,
         "79=14 17=4 18=4 19=4 20=2400 21=2400 132=2147483647 22=2400 23=2400 134=2147483647 "
         "24=1200 25=1200 136=1800 26=13 27=13 28=65540 10=2 9=1 11=99 12=4 SetOptionText "
         "\"Standard\" 3 " +
             tail + " 128=1"},
    };
    for (const auto& c : cases) {
        const std::string destinations = c.style < 0 ? "[]" : R"([{"id": "1"}])";
        auto job = Job({{1, 1}}, "ad.eps", 1,
                       R"({"groups": [{"selected": true, "destinations": )" + destinations +
                           R"(}], "defaults": {)" + c.definitions + "}}");
        if (c.style >= 0)
            job->GetCurrentGroup()[0].SetStyle(c.style);
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kPDFExportCmdBoss));
        host::Recorder::Instance().Clear(host::Channel::Calls);
        SetPDFExportPrefs(*job, InterfacePtr<IPDFExportPrefs>(command.get(), UseDefaultIID{}).get(),
                          kStyleName);
        EXPECT_EQ(ShortCalls(Log(host::Channel::Calls)),
                  c.calls + " SetFlattenerStyleName \"Zephrin\"")
            << c.definitions;
    }
}

TEST_F(PDFExport, WritesTheRunsPagesWithTheirBoxesVersionAndTitle) {
    auto job = Job(
        {{1, 2}, {5, 1}}, "ad.eps", 3,
        R"({"defaults": {)" +
            Define("Setting_PDFVersion", "parameter", R"("sev": "parameter", "note": 1.5)") + "}}");
    ExportPDF(*job, kStyleName);

    const std::vector<std::string>& calls = Log(host::Channel::Calls);
    EXPECT_EQ(std::vector(calls.end() - 6, calls.end()),
              (std::vector<std::string>{"SetFlattenerStyleName \"Zephrin\"", "SetProgressBar",
                                        "SetFlag 0x10014 0", "SetFlag 0xE20 0",
                                        "SetPages 11 12 15 0", "SetDocumentName \"Five.indd\""}));
    EXPECT_EQ(Log(host::Channel::Progress),
              (std::vector<std::string>{"bar begin \"Generating PDF\" 0 3 true true none 0 none",
                                        "bar 1", "bar 2", "bar 3", "bar end"}));
    const std::string path = m_folder.at("ad.pdf");
    QPDF pdf;
    pdf.processFile(path.c_str());
    EXPECT_EQ(pdf.getPDFVersion(), "1.5");
    EXPECT_EQ(pdf.getTrailer().getKey("/Info").getKey("/Title").getUTF8Value(), "Five.indd");
    EXPECT_TRUE(pdf.getTrailer().getKey("/ID").isArray());
    const struct {
        const char* media;
        const char* trim;
    } pages[] = {{"0 0 106 204", "2 3 102 203"},
                 {"0 0 116 204", "2 3 112 203"},
                 {"0 0 146 204", "2 3 142 203"}};
    const auto all = QPDFPageDocumentHelper(pdf).getAllPages();
    ASSERT_EQ(all.size(), std::size(pages));
    for (std::size_t i = 0; i < all.size(); ++i) {
        QPDFObjectHandle page = all[i].getObjectHandle();
        EXPECT_EQ(Box(page, "/MediaBox"), pages[i].media) << i;
        EXPECT_EQ(Box(page, "/BleedBox"), pages[i].media) << i;
        EXPECT_EQ(Box(page, "/TrimBox"), pages[i].trim) << i;
    }

    // The same export gives the same bytes, file ID included.
    const std::string first = m_folder.read("ad.pdf");
    ExportPDF(*job, kStyleName);
    EXPECT_EQ(m_folder.read("ad.pdf"), first);
}

TEST_F(PDFExport, FailuresThrowAndRemoveOnlyAFileThisRunCreated) {
    using host::Faults;
    const struct {
        std::function<void()> fault;
        std::string thrown;
        const char* output = "ad.eps"; // in a folder that exists unless "missing/"
        int first = 1;                 // the first page of the job's one run of 2 pages
    } cases[] = {
        {[] { host::SetFrontDocument(nullptr); }, "0x52E1E (result) == NULL"},
        {[] { Faults::Instance().FailCreateCommand(kPDFExportCmdBoss); },
         "0x52E1E (pdfExportCmd) == NULL"},
        {[] { Faults::Instance().HideInterface(kPDFExportCmdBoss, IPDFExportPrefs::kDefaultIID); },
         "0x52E1E (pdfExportPrefs) == NULL"},
        {[] { Faults::Instance().HideInterface(kPDFExportCmdBoss, ICommandFlag::kDefaultIID); },
         "0x52E1E (iFirstFlag) == NULL"},
        {[] { Faults::Instance().HideInterface(kPDFExportCmdBoss, IID_ISECONDCOMMANDFLAG); },
         "0x52E1E (iSecondFlag) == NULL"},
        // Past the document's five pages.
        {[] {}, "0x52E1E (pageUID) == NULL", "ad.eps", 5},
        {[] { Faults::Instance().HideInterface(kPDFExportCmdBoss, IPageOutput::kDefaultIID); },
         "0x52E1E (iPageOutput) == NULL"},
        {[] { Faults::Instance().HideInterface(kPDFExportCmdBoss, IOutputFile::kDefaultIID); },
         "0x52E1E (iOutputFile) == NULL"},
        {[] { Faults::Instance().FailProcessCommand(kPDFExportCmdBoss, ErrorCode(0x4321)); },
         "0x4321 "},
        {[] { Faults::Instance().FailFileStreams(); }, "0xF0F001 "},
        // The folder does not exist: the host cannot write the file.
        {[] {}, "0xF0F001 ", "missing/ad.eps"},
    };
    for (const auto& c : cases) {
        for (const bool existed : {false, true}) {
            if (existed && std::string_view(c.output).starts_with("missing/"))
                continue;
            const std::string pdf = std::filesystem::path(c.output).replace_extension(".pdf");
            if (existed)
                m_folder.write(pdf, "before");
            host::Faults::Instance().Reset();
            host::SetFrontDocument(m_document);
            ErrorUtils::PMSetGlobalErrorCode(kSuccess);
            c.fault();
            auto job = Job({{c.first, 2}}, c.output);
            EXPECT_EQ(Thrown([&] { ExportPDF(*job, kStyleName); }), c.thrown);
            EXPECT_EQ(std::filesystem::exists(m_folder.at(pdf)), existed) << c.thrown;
            if (existed) {
                EXPECT_EQ(m_folder.read(pdf), "before") << c.thrown;
            }
            std::filesystem::remove(m_folder.at(pdf));
        }
    }
}

TEST_F(PDFExport, AnOutputPathWithoutExtensionGetsPdfAppended) {
    ExportPDF(*Job({{1, 1}}, "ad"), kStyleName);
    EXPECT_TRUE(std::filesystem::exists(m_folder.at("ad.pdf")));
}
