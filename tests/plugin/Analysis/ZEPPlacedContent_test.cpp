// Tests of the placed-content analyses: file type, colour space, link path, soft mask, colours
// and PDF transparency of placed items, and the colour profile of colour-managed graphics.
#include "Analysis/ZEPAnalysisRun.h"
#include "Analysis/ZEPItemCallbacks.h"
#include "Analysis/ZEPPageItemInfo.h"
#include "host/standin/ColorManagement.h"
#include "host/standin/Colors.h"
#include "host/standin/Description.h"
#include "host/standin/Faults.h"
#include "model/BJobFile.h"
#include "platform/fileseams.h"
#include "support/HexBytes.h"
#include "support/LogCapture.h"
#include "support/PluginFixture.h"
#include "support/ProblemTags.h"
#include "support/TempFolder.h"
#include "support/Thrown.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

// A 32-bit attribute value in the machine's byte order, as hex.
std::string Word(std::uint32_t value) {
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &value, 4);
    return hexText(bytes);
}

// Item `id` of the test's page, with its placed content.
std::string Item(int id, const std::string& placed, const char* cls = "0xF03005") {
    return R"({"id": )" + std::to_string(id) + R"(, "class": ")" + cls +
           R"(", "layer": 3, "bounds": [0, 0, 100, 50], "placed": )" + placed + "}";
}

// The colour objects of the tests: objects with interface 0x14C.
// A profile object that answers null data with a count of 5.
class NullDataProfile final : public CPMUnknown<IColorProfile> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetProfileKind() const override { return 1; }
    PMString GetName() const override { return PMString("Null"); }
    std::int32_t GetColorSpace() const override { return 3; }
    void GetPath(PMString& path) const override { path.Clear(); }
    const std::uint8_t* GetData(std::uint32_t& count) const override {
        count = 5;
        return nullptr;
    }
};

// Records the UIDs of the colour objects handed to CollectInks.
class InkRecorder final : public ZEPPageItemInfo {
public:
    void CollectInks(IColorObject* color, PMReal, bool) override {
        m_colors.push_back(GetUIDRef(color).GetUID().Get());
    }
    std::vector<std::uint32_t> m_colors;
};

class PlacedContentTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        m_job.jobFolder.assign(ustring(m_temp.systemPath()));
        m_job.GetAbsoluteRuns().AddRun(1, 1);
    }

    // A document with one page whose items are given; `parts` adds document fields.
    static host::Document& Open(const std::string& items, const std::string& parts = "") {
        return host::OpenDocumentDescription(
            R"({"kind": "document", "name": "Placed.indd", "layers": [{"id": 3, "name": "L"}], )" +
            parts + R"("spreads": [{"id": 10, "pages": [{"id": 11, "width": 600, "height": 800}],
            "items": [)" +
            items + "]}]}");
    }
    // The item's analysis as the export runs it, on page 1.
    template <typename Info = ZEPPageItemInfo>
    std::unique_ptr<Info> Analyse(const host::Document& document, std::uint32_t uid = 20) {
        auto info = std::make_unique<Info>();
        ZEPAnalysisRun run(m_job);
        info->Init(ObjectIn(document, uid).get(), PMRect(0, 0, 600, 800), run, 1);
        return info;
    }
    std::unique_ptr<ZEPPageItemInfo> AnalysePlaced(const std::string& placed,
                                                   const char* cls = "0xF03005") {
        return Analyse(Open(Item(20, placed, cls)));
    }
    static const BPlacedGraphic* Graphic(const ZEPPageItemInfo& info) {
        return dynamic_cast<const BPlacedGraphic*>(info.GetPageItem());
    }

    TempFolder m_temp;
    BJobFile m_job;
};

TEST_F(PlacedContentTest, TheLastClassificationThatAppliesDecidesTheFileType) {
    const struct {
        std::string placed;
        const char* cls;
        int fileType; // -1: no record
        bool bitmap;
    } cases[] = {
        {R"({"attributes": {}})", "0xF03005", kPlacedFileUnknown, true},
        {R"({"attributes": {}, "fileTypes": ["JPEG", "TIFF"]})", "0xF03005", kPlacedFileTIFF, true},
        {R"({"attributes": {}, "fileTypes": ["TIFF", "8BPS"]})", "0xF03005", kPlacedFilePSD, true},
        {R"({"attributes": {}, "fileTypes": ["..CT", "BMP "]})", "0xF03005", kPlacedFileBMP, true},
        {R"({"attributes": {}, "fileTypes": ["PCX "]})", "0xF03005", kPlacedFileUnknown, true},
        {R"({"attributes": {}, "fileTypes": ["GIFf"]})", "0xF03005", kPlacedFileUnknown, true},
        {R"({"attributes": {}, "fileTypes": ["PICT", "EPSf"]})", "0xF03005", kPlacedFileEPS, false},
        {R"({"attributes": {}, "fileTypes": ["TIFF"], "eps": true})", "0xF03005", kPlacedFileEPS,
         false},
        {R"({"imageObject": true})", "0xF03005", kPlacedFileEPS, false},
        {R"({"eps": true})", "0x6602", kPlacedFilePICT, true},
        {R"({"attributes": {}, "fileTypes": ["TIFF"], "pdf": {}})", "0xF03005", kPlacedFilePDF,
         false},
        {R"({"fileTypes": ["TIFF"]})", "0xF03005", -1, false},
    };
    for (const auto& c : cases) {
        const auto info = AnalysePlaced(c.placed, c.cls);
        const BPlacedGraphic* graphic = Graphic(*info);
        ASSERT_EQ(graphic != nullptr, c.fileType != -1) << c.placed;
        if (graphic) {
            EXPECT_EQ(graphic->fileType, c.fileType) << c.placed;
            EXPECT_EQ(graphic->isBitmap, c.bitmap) << c.placed;
        }
    }
}

TEST_F(PlacedContentTest, AttributesGiveColourSpaceLinkPathAndSoftMask) {
    const std::string path = hexText("Z:/img/a\xE9.tif/"); // unterminated, ANSI
    const struct {
        std::string attributes;
        std::uint32_t colorSpace;
        std::string linkPath;
        std::set<std::string> tags;
    } cases[] = {
        {R"("103": ")" + Word(1) + '"', 1, "", {"PlacedGraphicIsGrayscale"}},
        {R"("103": ")" + Word(2) + '"', 2, "", {}},
        {R"("103": ")" + Word(4) + '"', 3, "", {}},
        {R"("103": ")" + Word(8) + '"', 6, "", {}},
        {R"("103": ")" + Word(5) + '"', 0, "", {}},
        {R"("121": ")" + path + '"', 0, "Z:/img/a\xC3\xA9.tif", {}},
        {R"("121": ")" + hexText(std::string_view("Z:/p.tif\0junk", 13)) + '"', 0, "Z:/p.tif", {}},
        {R"("121": ")" + hexText("ab") + R"(", "104": ")" + hexText("Z:/b.tif") + '"', 0, "ab", {}},
        {R"("121": ")" + hexText("Z:/a?/") + '"', 0, "Z:/a?/", {}},
        {R"("104": ")" + hexText("Z:/img/b.tif/") + '"', 0, "Z:/img/b.tif/", {}},
        {R"("134": "0003")", 0, "", {}},
        {R"("134": "02")", 0, "", {}},
        {R"("134": "", "129": "01")", 0, "", {}},
        {R"("134": "02", "129": "00")", 0, "", {"SoftMaskUsedOnImage"}},
        {R"("134": "0004")", 0, "", {"SoftMaskUsedOnImage"}},
        {R"("134": "0101")", 0, "", {"SoftMaskUsedOnImage"}},
    };
    for (const auto& c : cases) {
        const auto info = AnalysePlaced(R"({"attributes": {)" + c.attributes + "}}");
        const BPlacedGraphic* graphic = Graphic(*info);
        ASSERT_TRUE(graphic) << c.attributes;
        EXPECT_EQ(graphic->colorSpaceCode, c.colorSpace) << c.attributes;
        EXPECT_EQ(graphic->linkPath.c_str(), c.linkPath) << c.attributes;
        EXPECT_EQ(Tags(graphic), c.tags) << c.attributes;
    }
}

TEST_F(PlacedContentTest, TheFirstLinksResourceNameReplacesTheAttributePath) {
    const std::string attributes = R"("attributes": {"121": ")" + hexText("Z:/a.tif") + R"("}, )";
    const struct {
        std::string placed;
        std::string linkPath;
    } cases[] = {
        {"{" + attributes + R"("links": [{"id": 30, "resource": 31, "fullName": "Z:/l/b.tif/"},
            {"id": 32, "resource": 33, "fullName": "Z:/c.tif"}]})",
         "Z:/l/b.tif"},
        {"{" + attributes + R"("links": [{"id": 30}]})", "Z:/a.tif"},
        {"{" + attributes + R"("links": [{"id": 30, "resource": 31, "fullName": ""}]})", ""},
        {R"({"links": [{"id": 30, "resource": 31, "fullName": "ab"}]})", "ab"},
    };
    for (const auto& c : cases) {
        const auto info = AnalysePlaced(c.placed);
        ASSERT_TRUE(Graphic(*info)) << c.placed;
        EXPECT_EQ(Graphic(*info)->linkPath.c_str(), c.linkPath) << c.placed;
    }
}

TEST_F(PlacedContentTest, ContentAndPDFColoursGoToCollectInksInListOrder) {
    // Host answers: the item's colour lists hold UIDs; 41 is no colour object.
    host::Document& document = Open(Item(20, R"({"embeddedImage": 60, "colors": [40, 41, 42],
        "pdf": {"colors": [42, 40]}})"));
    for (std::uint32_t uid : {40u, 42u}) {
        ASSERT_EQ(document.db->NewObject(host::kColorBoss, UID(uid)), UID(uid));
        host::AttachColorFacets(*document.db->GetBoss(UID(uid)), {});
    }
    const auto info = Analyse<InkRecorder>(document);
    EXPECT_EQ(info->m_colors, (std::vector<std::uint32_t>{40, 42, 42, 40}));
    EXPECT_EQ(info->GetEmbeddedImageUID(), UID(60));
    EXPECT_TRUE(Tags(info->GetPageItem()).empty()) << "no transparency";
}

TEST_F(PlacedContentTest, PDFTransparencyIsRecordedOnAPlainRecordToo) {
    host::Document& document = Open(Item(20, R"({"pdf": {"transparent": true}})"));
    ZEPPageItemInfo info;
    info.SetItem(ObjectIn(document, 20).get());
    info.SetPrintoutSuppressed(); // a plain record
    info.ClassifyByPDFData(ObjectIn(document, 20).get());
    info.ClassifyByPDFData(ObjectIn(document, 20).get());
    EXPECT_FALSE(info.GetPlacedGraphic());
    EXPECT_EQ(Tags(info.GetPageItem()),
              (std::set<std::string>{"PrintoutSuppressed", "PlacedPDFHasTransparentElements",
                                     "TransparencyAppliedToObject"}));
}

TEST_F(PlacedContentTest, ThePolicyDecidesTheProfileFileAndTheOverriddenTag) {
    // Host answers: the working CMYK profile has a file, the working RGB profile none.
    host::SetColorPresets({.workingRGB = "Work RGB", .workingCMYK = "Work CMYK"});
    host::SetInstalledProfiles(
        {{.name = "Work CMYK", .path = "Z:/w.icc"}, {.name = "Work RGB", .colorSpace = 2}});
    const std::string profiles = R"("profiles": [{"id": 50, "name": "Doc", "path": "Z:/d.icc"},
        {"id": 51, "name": "Doc RGB", "space": 2}, {"id": 52, "name": "Own", "path": "Z:/s.icc"},
        {"id": 53, "name": "Bare"}], )";
    const auto space = [](std::uint32_t code) { return R"("103": ")" + Word(code) + '"'; };
    const struct {
        std::string colorManagement;
        std::string placed;
        bool tag;
        bool hasFile;
        std::string file;
    } cases[] = {
        {R"({"cmyk": 50})", R"("colorPolicy": 1, "attributes": {)" + space(1) + "}", false, false,
         ""},
        {R"({"cmyk": 50})",
         R"("colorPolicy": 1, "attributes": {"139": "00", "122": "01", )" + space(4) + "}", false,
         true, "Z:/d.icc"},
        {"{}", R"("colorPolicy": 1, "attributes": {"122": "01", )" + space(4) + "}", true, true,
         "Z:/w.icc"},
        {R"({"rgb": 51})", R"("colorPolicy": 1, "attributes": {"139": "01", )" + space(2) + "}",
         true, true, ""},
        {"{}", R"("colorPolicy": 1, "attributes": {)" + space(2) + "}", false, false, ""},
        {"{}", R"("colorPolicy": 2, "profile": 52)", true, true, "Z:/s.icc"},
        {"{}", R"("colorPolicy": 2, "profile": 53)", true, false, ""},
        {"{}", R"("colorPolicy": 2)", false, false, ""},
        {"{}", R"("colorPolicy": 7, "profile": 52)", false, false, ""},
    };
    for (const auto& c : cases) {
        const auto info =
            Analyse(Open(Item(20, "{" + c.placed + "}"),
                         profiles + R"("colorManagement": )" + c.colorManagement + ", "));
        const BPlacedGraphic* graphic = Graphic(*info);
        ASSERT_TRUE(graphic) << c.placed;
        EXPECT_EQ(graphic->flags, 2u) << c.placed;
        EXPECT_EQ(graphic->HasProblem("PlacedGraphicHasOveriddenProfile"), c.tag) << c.placed;
        EXPECT_EQ(graphic->hasProfileFile, c.hasFile) << c.placed;
        EXPECT_EQ(graphic->profileFile.path().c_str(), c.file) << c.placed;
    }
    EXPECT_FALSE(Analyse(Open(Item(20, R"({"profile": 52})"), profiles))->GetPageItem())
        << "not colour-managed";
    const host::Document& rgb =
        Open(Item(20, R"({"colorPolicy": 1, "attributes": {)" + space(2) + "}}"));
    host::Faults::Instance().HideInterface(host::kDocBoss, IDocument::kDefaultIID);
    EXPECT_EQ(Thrown([&] { Analyse(rgb); }), "0x52E1E (theDocument) == NULL");
}

TEST_F(PlacedContentTest, EmbeddedProfilesAreWrittenToFilesOfTheirOwn) {
    host::Document& document = Open(Item(20, R"({"colorPolicy": 3, "profile": 54})") + ", " +
                                        Item(21, R"({"colorPolicy": 3, "profile": 54})") + ", " +
                                        Item(22, R"({"colorPolicy": 3, "profile": 55})") + ", " +
                                        Item(23, R"({"colorPolicy": 3, "profile": 56})"),
                                    R"("profiles": [{"id": 54, "name": "E", "data": "0001ff"},
            {"id": 55, "name": "Empty"}, {"id": 56, "name": "Null"}], )");
    Boss* nullData = document.db->GetBoss(UID(56));
    nullData->AttachFacet(IColorProfile::kDefaultIID, std::make_unique<NullDataProfile>(nullData));
    const struct {
        std::uint32_t item;
        std::string bytes;
    } cases[] = {{20, std::string("\x00\x01\xff", 3)},
                 {21, std::string("\x00\x01\xff", 3)},
                 {22, ""},
                 {23, ""}};
    std::set<std::string> files;
    for (const auto& c : cases) {
        const auto info = Analyse(document, c.item);
        const BPlacedGraphic* graphic = Graphic(*info);
        ASSERT_TRUE(graphic && graphic->hasProfileFile) << c.item;
        const std::string path = graphic->profileFile.path().c_str();
        const std::string name = std::filesystem::path(path).filename().string();
        EXPECT_TRUE(std::regex_match(
            name, std::regex("[0-9A-F]{8}_[0-9A-F]{4}_[0-9A-F]{4}_[0-9A-F]{4}_[0-9A-F]{12}\\.icc")))
            << name;
        EXPECT_EQ(m_temp.read("PlacedImages/" + name), c.bytes) << c.item;
        files.insert(name);
    }
    EXPECT_EQ(files.size(), 4u) << "one new file per graphic";
}

// A profile that cannot be written is no limit of the item's analysis: the item callback throws it
// on, so that the export fails, instead of dropping the item.
TEST_F(PlacedContentTest, AFailedProfileWriteFailsTheWalkNotJustTheItem) {
    host::Document& document = Open(Item(20, R"({"colorPolicy": 3, "profile": 54})") + ", " +
                                        Item(21, R"({"colorPolicy": 2, "profile": 54})"),
                                    R"("profiles": [{"id": 54, "name": "E", "data": "01"}], )");
    m_temp.write("PlacedImages", "a file where the folder should be");
    const LogCapture log; // the job reports the folder it cannot make
    const std::regex named("0x52E0A The folder " + m_temp.systemPath("PlacedImages") +
                           " cannot be written: it is not a folder\\.");
    EXPECT_TRUE(std::regex_match(Thrown([&] { Analyse(document, 20); }), named));
    ZEPPageItemInfoList records;
    ZEPAnalysisRun run(m_job);
    ZEPItemInfoCallback callback(nullptr, records, run, PMRect(0, 0, 600, 800), 0);
    EXPECT_TRUE(callback.Record(ObjectIn(document, 21).get()));
    EXPECT_TRUE(
        std::regex_match(Thrown([&] { callback.Record(ObjectIn(document, 20).get()); }), named));
    EXPECT_EQ(records.GetRecords().size(), 1u);
}

// A profile that cannot be written names the system's reason after what is at fault: the job
// folder in which its folder cannot be made, or the file itself.
TEST_F(PlacedContentTest, AFailedProfileWriteNamesTheSystemsReason) {
    using Op = platform::FileOperation;
    host::Document& document = Open(Item(20, R"({"colorPolicy": 3, "profile": 54})"),
                                    R"("profiles": [{"id": 54, "name": "E", "data": "01"}], )");
    const std::string file = m_temp.systemPath("PlacedImages") + "/[0-9A-F_]{36}\\.icc";
    const struct {
        Op operation;
        int error;
        std::string thrown; // a pattern
    } cases[] = {
        {Op::MakeDirectory, EACCES,
         "The folder " + m_temp.systemPath() + " cannot be written: Permission denied"},
        {Op::Open, EROFS, "The file " + file + " cannot be written: Read-only file system"},
        {Op::Close, ENOSPC, "The file " + file + " cannot be written: No space left on device"},
    };
    const LogCapture log; // the job reports a folder it cannot make
    for (const auto& c : cases) {
        std::filesystem::remove_all(m_temp.at("PlacedImages"));
        platform::setFileOperationFault(
            [&](std::uint64_t, Op operation) { return operation == c.operation ? c.error : 0; });
        const std::string thrown = Thrown([&] { Analyse(document, 20); });
        platform::setFileOperationHook({});
        EXPECT_TRUE(std::regex_match(thrown, std::regex("0x52E0A " + c.thrown + "\\."))) << thrown;
    }
}

// Placed content gets a placed-graphic record whether it is made at once or by the analyses.
TEST_F(PlacedContentTest, ARecordMadeAtOnceForPlacedContentIsAPlacedGraphic) {
    for (const char* placed : {R"({"attributes": {}})", R"({"eps": true})",
                               R"({"imageObject": true})", R"({"pdf": {"transparent": false}})"}) {
        const auto analysed = AnalysePlaced(placed);
        ASSERT_TRUE(analysed->GetPageItem()) << placed;
        EXPECT_EQ(analysed->GetPageItem()->kind, BPageItem::kPlacedGraphic) << placed;
        ZEPPageItemInfo created;
        created.SetItem(ObjectIn(*host::FrontDocument(), 20).get());
        created.CreateRecord(ObjectIn(*host::FrontDocument(), 20).get());
        ASSERT_TRUE(Graphic(created)) << placed;
        EXPECT_FALSE(created.IsTextItem()) << placed;
    }
}

} // namespace
