// The check tags the plug-in records (RecordedCheckIdentifiers, which the README's table follows)
// against the analyses themselves: each is recorded by an export's page-item collection over a
// small document description, no description records a tag outside the list, and the sources
// name no other check identifier than the severities the PDF export reads.
#include "Export/ZEPExportHelper.h"

#include "host/standin/Description.h"
#include "model/BJobFile.h"
#include "model/BPageItem.h"
#include "model/KeyStrings.h"
#include "support/PluginFixture.h"
#include "support/ProblemTags.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

// A one-page document (page 11 on spread 10, 300 x 400 points; layer 3 "Art", 4 "Notes" that
// does not print, 5 "Hidden") with the items given, the document's own parts `parts` and the
// spread's `spread` (each part followed by a comma).
std::string Document(const std::string& items, const std::string& parts = "",
                     const std::string& spread = "") {
    return R"({"kind": "document", "name": "Checks.indd",
      "layers": [{"id": 3, "name": "Art"}, {"id": 4, "name": "Notes", "printable": false},
                 {"id": 5, "name": "Hidden", "visible": false}], )" +
           parts + R"("spreads": [{"id": 10, )" + spread +
           R"("pages": [{"id": 11, "width": 300, "height": 400}], "items": [)" + items +
           R"(]}], "view": {"spread": 10, "page": 11}})";
}

// Box 20 at (10, 10, 110, 60) on page 11 with more fields, on layer 3 unless they say.
std::string Box(const std::string& fields = "", const std::string& at = "[10, 10, 110, 60]") {
    return R"({"id": 20, )" +
           (fields.find(R"("layer")") == std::string::npos ? std::string(R"("layer": 3, )") : "") +
           R"("bounds": )" + at + (fields.empty() ? "" : ", " + fields) + "}";
}

// Text frame 21 at box 20's place showing story 50's "Hello" (a story part below).
std::string Frame(const std::string& fields = "") {
    return R"({"id": 21, "layer": 3, "bounds": [10, 10, 110, 60], "textFrame": {"start": 0, "span": 5})" +
           (fields.empty() ? "" : ", " + fields) + "}";
}
constexpr const char* kHello =
    R"("stories": [{"id": 50, "frameList": 51, "text": "Hello", "frames": [21]}], )";
// The story composed in one run of the font "F".
constexpr const char* kHelloInF = R"("stories": [{"id": 50, "frameList": 51, "text": "Hello",
    "frames": [21], "attributes": [{"span": 5, "font": "F"}],
    "lines": [{"y": 40, "count": 5, "runs": [{"start": 0, "span": 5, "width": 40, "height": 12,
               "matrix": [1, 0, 0, 1, 20, 0]}]}]}], )";

// The session's one font "F" of that status and type.
std::string FontF(int status, int type) {
    return R"({"kind": "session", "fonts": [{"name": "F", "status": )" + std::to_string(status) +
           R"(, "type": )" + std::to_string(type) + R"(, "class": 0}]})";
}

// Colour 40 of the colour space (and more fields).
std::string Colour(const std::string& fields) {
    return R"("colors": [{"id": 40, )" + fields + "}], ";
}

struct Described {
    std::string tag;          // recorded by the description; empty: no tag at all
    std::string document;     // the description of the front document
    std::string session = ""; // a session description read first, when not empty
};

class RecordedChecks : public PluginTest {
protected:
    // Every tag of the page-item list that an export's collection makes of the description, in a
    // fresh host.
    std::set<std::string> RecordedTags(const Described& described) {
        TearDown();
        SetUp();
        if (!described.session.empty())
            host::LoadSessionDescription(described.session);
        host::OpenDocumentDescription(described.document);
        BJobFile job;
        job.jobFolder.assign(ustring(m_temp.systemPath()));
        job.pageItemFile.assign(ustring(m_temp.systemPath("items.bin")));
        job.outputFile.assign(ustring(m_temp.systemPath("ad.eps")));
        job.GetAbsoluteRuns().AddRun(1, 1);
        ZEPExportHelper owner;
        owner.Prepare(nullptr, &job);
        ZEPExportJobFileHelper(owner).CollectPageItems();
        std::set<std::string> tags;
        for (const auto& item : job.GetPageSet(kAnalysedPageSet).items.Items())
            tags.merge(Tags(item.get()));
        return tags;
    }

    TempFolder m_temp;
};

// The host answers these tests rely on: the item walker reaches every item of the page; a
// session's fonts are what a run's font is looked up in; a spread without flattener settings of
// its own is flattened by the document's; the blend space is CMYK unless the workspace says RGB.
TEST_F(RecordedChecks, EachRecordedTagIsRecordedByAnAnalysisOfADescription) {
    const std::string transparentBox = Box(R"("transparent": true)");
    const Described cases[] = {
        {"TextBoxOverflowed", Document(Frame(), R"("stories": [{"id": 50, "frameList": 51,
            "text": "Hello world", "frames": [21]}], )")},
        {"FontStatusNotAvailable", Document(Frame(), kHelloInF), FontF(0x10, 6)},
        {"FontStatusFauxed", Document(Frame(), kHelloInF), FontF(0x11, 6)},
        {"FontStatusSubstituted", Document(Frame(), kHelloInF), FontF(0x12, 6)},
        {"Type1FontUsedInLayout", Document(Frame(), kHelloInF), FontF(0, 0)},
        {"TrueTypeFontUsedInLayout", Document(Frame(), kHelloInF), FontF(0, 1)},
        {"CIDFontUsedInLayout", Document(Frame(), kHelloInF), FontF(0, 2)},
        {"UnknownFontTypeUsedInLayout", Document(Frame(), kHelloInF), FontF(0, 9)},
        {"BitmapFontUsedInLayout", Document(Frame(), kHelloInF), FontF(0, 4)},
        {"OpenTypeCFFFontUsedInLayout", Document(Frame(), kHelloInF), FontF(0, 6)},
        {"OpenTypeCIDFontUsedInLayout", Document(Frame(), kHelloInF), FontF(0, 7)},
        {"OpenTypeTrueTypeFontUsedInLayout", Document(Frame(), kHelloInF), FontF(0, 8)},
        {"PlacedGraphicIsRGB",
         Document(Box(R"("placed": {"eps": true, "colors": [40]})"), Colour(R"("space": 5)"))},
        {"PlacedGraphicIsGrayscale",
         Document(Box(R"("placed": {"attributes": {"103": "01000000"}})"))},
        {"PlacedGraphicIsCMYK",
         Document(Frame(R"("graphics": {"fill": 40})"), Colour(R"("space": 6)") + kHello)},
        {"PlacedGraphicIsLab",
         Document(Box(R"("placed": {"pdf": {"colors": [40]}})"), Colour(R"("space": 7)"))},
        {"PlacedGraphicContainsSpots",
         Document(Box(R"("placed": {"imageObject": true}, "graphics": {"stroke": 40})"),
                  Colour(R"("space": 8, "ink": {"kind": 1})"))},
        {"SoftMaskUsedOnImage", Document(Box(R"("placed": {"attributes": {"134": "01"}})"))},
        {"PlacedPDFHasTransparentElements",
         Document(Box(R"("placed": {"pdf": {"transparent": true}})"))},
        {"PlacedGraphicHasOveriddenProfile",
         Document(Box(R"("placed": {"colorPolicy": 2, "profile": 50})"),
                  R"("profiles": [{"id": 50, "name": "Assigned"}], )")},
        {"OpacityTransparencyAppliedToObject", Document(Box(R"("transparency": {"opacity": 50})"))},
        {"BlendModeTransparencyAppliedToObject",
         Document(Box(R"("transparency": {"blendMode": 1})"))},
        {"FeatherTransparencyAppliedToObject", Document(Box(R"("transparency": {"feather": 1})"))},
        {"DropShadowTransparencyAppliedToObject",
         Document(Box(R"("transparency": {"dropShadow": 1})"))},
        {"TransparencyAppliedToObject", Document(transparentBox)},
        {"TransparencyAppliedToTextFrame", Document(Frame(R"("transparent": true)"), kHello)},
        {"TransparencyFlattenerWillCauseTextToBeConvertedToOutlines",
         Document(Frame() + ", " + Box(R"("transparent": true)", "[150, 200, 250, 300]"), kHello,
                  R"("flattener": {"on": true, "options": 1, "valueMask": 1, "optionMask": 1}, )")},
        {"TransparentObjectsOverlapTextFrame", Document(Frame() + ", " + transparentBox, kHello)},
        {"TransparencyOnPageFlattenedUsingGlobalFlattener", Document(transparentBox)},
        {"TransparencyOnPageFlattenedUsingSpreadFlattener",
         Document(transparentBox, "", R"("flattener": {"on": true, "valueMask": 1}, )")},
        {"TransparencyOnPageButIsDisabledOnPage",
         Document(transparentBox, "", R"("flattener": {"on": false, "valueMask": 1}, )")},
        {"TransparencyBlendSpaceSetToRGB",
         Document(transparentBox, R"("workspace": {"blendSpace": 2}, )")},
        {"TransparencyBlendSpaceSetToCMYK", Document(transparentBox)},
        {"PrintoutSuppressed", Document(Box(R"("graphics": {"nonPrinting": true})"))},
    };
    std::vector<std::string> listed;
    for (const ustring* tag : RecordedCheckIdentifiers())
        listed.push_back(tag->c_str());
    std::vector<std::string> described;
    for (const Described& c : cases)
        described.push_back(c.tag);
    EXPECT_EQ(described, listed) << "one description per recorded tag, in the list's order";
    for (const Described& c : cases) {
        SCOPED_TRACE(c.tag);
        const std::set<std::string> tags = RecordedTags(c);
        EXPECT_TRUE(tags.contains(c.tag)) << c.document;
        for (const std::string& tag : tags)
            EXPECT_TRUE(IsRecordedCheckIdentifier(ustring(tag))) << tag << " is recorded";
    }
}

// What the README says the plug-in does not examine records nothing.
TEST_F(RecordedChecks, WhatIsNotExaminedRecordsNoTag) {
    const Described cases[] = {
        // A box with a fill has no record, so its colours are not recorded.
        {"", Document(Box(R"("graphics": {"fill": 40})"), Colour(R"("space": 5)"))},
        // An image whose attributes say RGB, linked to a file that does not exist.
        {"", Document(Box(R"("placed": {"attributes": {"103": "02000000"}, "fileTypes": ["TIFF"],
                              "links": [{"id": 52, "resource": 53,
                                         "fullName": "Z:/nowhere/missing.tif"}]})"))},
        // Text in a font of type 5, in a frame that lists a font the session does not know.
        {"", Document(Frame(R"("fonts": ["Missing"])"), kHelloInF), FontF(0, 5)},
        // Boxes on a layer that does not print and on a hidden one.
        {"",
         Document(Box(R"("layer": 4)") + R"(, {"id": 22, "layer": 5, "bounds": [0, 0, 9, 9]})")},
    };
    for (const Described& c : cases)
        EXPECT_EQ(RecordedTags(c), std::set<std::string>{}) << c.document;
}

// A new check identifier recorded anywhere in the plug-in shows here before it can go missing
// from the list: every check identifier the sources name is listed, or is one whose severity the
// PDF export reads.
TEST(RecordedCheckList, NamesEveryCheckIdentifierThePlugInsSourcesRecord) {
#define ZEP_CHECK_TEXT(identifier, text) text,
    const std::set<std::string> checkIdentifiers{ZEP_CHECK_IDENTIFIERS(ZEP_CHECK_TEXT)};
#undef ZEP_CHECK_TEXT
    const std::regex named(R"(keystr::(\w+))");
    std::set<std::string> unlisted;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(ZEP_SOURCE_DIR "/Source")) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path());
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        for (std::sregex_iterator it(text.begin(), text.end(), named), end; it != end; ++it) {
            const std::string name = (*it)[1];
            if (checkIdentifiers.contains(name) && !IsRecordedCheckIdentifier(ustring(name)))
                unlisted.insert(name);
        }
    }
    EXPECT_EQ(unlisted, (std::set<std::string>{"FontNotSubset", "FontSubset", "LayersInPDF"}));
    for (const ustring* tag : RecordedCheckIdentifiers())
        EXPECT_TRUE(checkIdentifiers.contains(tag->c_str())) << tag->c_str();
}

} // namespace
