// Tests of the flattener style and the spread transparency analysis: the style made once with
// its settings in order, its guards, and per spread setting the page's flattener record and the
// page and text-frame tags.
#include "Analysis/ZEPAnalysisRun.h"
#include "Analysis/ZEPTransparencyFlattener.h"

#include "host/sdk/Session.h"
#include "host/standin/Description.h"
#include "host/standin/Faults.h"
#include "host/standin/Flattener.h"
#include "model/BJobFile.h"
#include "support/PluginFixture.h"
#include "support/ProblemTags.h"
#include "support/TempFolder.h"
#include "support/Test.h"
#include "support/Thrown.h"

#include <set>

namespace {

using FlattenerStyle = PluginTest;

TEST_F(FlattenerStyle, IsMadeOnceInTheSessionWithItsSettingsInOrder) {
    const UIDRef style = GetOrCreateFlattenerStyle();
    EXPECT_EQ(GetOrCreateFlattenerStyle(), style);
    EXPECT_EQ(Log(host::Channel::Calls),
              (std::vector<std::string>{"SetValue 0 1", "SetOptions 144", "SetValue 1 300",
                                        "SetValue 2 1200"}));
    host::FlattenerSettings settings;
    settings.values = {1, 300, 1200, 0, 0};
    settings.options = 144;
    EXPECT_EQ(host::FlattenerStyles(), (std::vector<host::FlattenerStyle>{
                                           {"0x52E00kStringZEPFlattenerStyleKey", settings}}));
    // The host adds no second style of the name: the command hands back none.
    EXPECT_EQ(Thrown([] { AddFlattenerStyle(); }),
              "0x52E1E (theAddFlattenerStyleCmd->GetItemList()) == NULL");
}

TEST_F(FlattenerStyle, MissingHostObjectsAndAFailingCommandAreThrown) {
    using host::Faults;
    const struct {
        std::function<void()> fault;
        std::string thrown;
    } cases[] = {
        {[] {
             Faults::Instance().HideInterface(kSessionWorkspaceBoss,
                                              IFlattenerStyleListMgr::kDefaultIID);
         },
         "0x52E1E (iFlattenerStyleListMgr) == NULL"},
        {[] { Faults::Instance().FailCreateCommand(kAddFlattenerStyleCmdBoss); },
         "0x52E1E (theAddFlattenerStyleCmd) == NULL"},
        {[] { Faults::Instance().FailProcessCommand(kAddFlattenerStyleCmdBoss, ErrorCode(5)); },
         "0x5 "},
    };
    for (const auto& c : cases) {
        Faults::Instance().Reset();
        c.fault();
        EXPECT_EQ(Thrown([] { static_cast<void>(GetOrCreateFlattenerStyle()); }), c.thrown);
    }
}

// Page 11 (600 x 800) of spread 10 holds text frame 20 showing "Hello" at (0, 0, 100, 50) and
// box 21 behind or beside it, in front of the frame in collection order.
std::string SpreadLayout(const std::string& flattener, bool transparent, bool overlapping,
                         const char* boxClass) {
    return std::string(R"({"kind": "document", "name": "Flat.indd",
      "workspace": {"blendSpace": 2}, "layers": [{"id": 3, "name": "Layer 1"}],
      "spreads": [{"id": 10, )") +
           flattener + R"("pages": [{"id": 11, "width": 600, "height": 800}], "items": [
        {"id": 20, "layer": 3, "bounds": [0, 0, 100, 50], "textFrame": {"start": 0, "span": 5}},
        {"id": 21, "layer": 3, "class": ")" +
           boxClass + R"(", "bounds": )" +
           (overlapping ? "[50, 20, 150, 80]" : "[300, 300, 400, 400]") + R"(, "transparent": )" +
           (transparent ? "true" : "false") + R"(}]}],
      "stories": [{"id": 50, "frameList": 51, "text": "Hello", "frames": [20]}]})";
}

constexpr ClassID kNoHierarchyClass{0xF0E0F0};

class SpreadTransparency : public PluginTest {
protected:
    // The page's tags | the text frame's tags | the page's flattener record: "on" or "off", its
    // values and its option bits.
    std::string Analyse(const std::string& description) {
        host::Document& document = host::OpenDocumentDescription(description);
        BJobFile job;
        job.jobFolder.assign(ustring(m_temp.systemPath()));
        job.GetAbsoluteRuns().AddRun(1, 1);
        const PMRect page(0, 0, 600, 800);
        ZEPPageItemInfoList records;
        records.AppendRecord().InitWithoutAnalysis(ObjectIn(document, 11).get(), page, job, 1);
        ZEPAnalysisRun run(job);
        for (std::uint32_t item : {20u, 21u})
            records.AppendRecord().Init(ObjectIn(document, item).get(), page, run, 1);
        BPageSet set;
        AnalyseSpreadTransparency(document.Get(), GetOrCreateFlattenerStyle(), records.GetRecords(),
                                  set);
        EXPECT_EQ(set.pageFlatteners.size(), 2u);
        EXPECT_EQ(set.pageFlatteners.front(), nullptr);
        const BTransparencyFlattener& flattener = *set.pageFlatteners.back();
        EXPECT_EQ(flattener.page, 1);
        std::string text;
        for (const BPageItem* record :
             {records.GetRecords()[0]->GetPageItem(), records.GetRecords()[1]->GetPageItem()}) {
            for (const std::string& tag : Tags(record))
                text += tag + " ";
            text += "| ";
        }
        text += flattener.enabled ? "on" : "off";
        for (double value : flattener.values)
            text += " " + host::Number(value);
        text += " ";
        for (bool option : flattener.options)
            text += option ? "1" : "0";
        return text;
    }

    TempFolder m_temp;
};

TEST_F(SpreadTransparency, RecordsThePagesFlattenerAndTagsPageAndTextFrames) {
    const std::string global = "TransparencyBlendSpaceSetToRGB "
                               "TransparencyOnPageFlattenedUsingGlobalFlattener | ";
    const std::string spread = "TransparencyBlendSpaceSetToRGB "
                               "TransparencyOnPageFlattenedUsingSpreadFlattener | ";
    const std::string overlap = "TransparentObjectsOverlapTextFrame | ";
    const std::string off = "off 0 0 0 0 0 00000000";
    const struct {
        std::string flattener; // the spread's
        bool transparent, overlapping;
        const char* boxClass;
        std::string result;
    } cases[] = {
        // No transparency: a record of the page number, no tag.
        {"", false, true, "0xF03005", "| | " + off},
        {"", true, true, "0xF03005", global + overlap + off},
        {"", true, false, "0xF03005", global + "| " + off},
        // Switched off on the spread: no text-frame tags.
        {R"("flattener": {"on": false, "valueMask": 1}, )", true, true, "0xF03005",
         "TransparencyBlendSpaceSetToRGB TransparencyOnPageButIsDisabledOnPage | | "
         "off 1 300 1200 0 0 00000000"},
        {R"("flattener": {"values": [5, 6, 7, 8, 9], "valueMask": 6}, )", true, true, "0xF03005",
         spread + overlap + "on 5 6 1200 0 0 00000000"},
        // Outlined text from the spread's option bit 0: every frame of a flattened page; the
        // record takes the spread's whole option word.
        {R"("flattener": {"options": 131, "optionMask": 1}, )", true, false, "0xF03005",
         spread + "TransparencyFlattenerWillCauseTextToBeConvertedToOutlines | "
                  "on 1 300 1200 0 0 11000001"},
        // The page's last item gives no spread: the document's values apply, not the spread's.
        {R"("flattener": {"on": false, "valueMask": 1}, )", true, true, "0xF0E0F0",
         global + overlap + off},
    };
    host::Faults::Instance().HideInterface(kNoHierarchyClass, IHierarchy::kDefaultIID);
    for (const auto& c : cases)
        EXPECT_EQ(Analyse(SpreadLayout(c.flattener, c.transparent, c.overlapping, c.boxClass)),
                  c.result)
            << c.flattener << c.boxClass;
}

} // namespace
