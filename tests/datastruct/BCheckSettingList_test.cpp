#include "model/BCheckSettingList.h"

#include "model/KeyStrings.h"
#include "support/CheckSettingTest.h"
#include "support/ColourProfileFolder.h"
#include "support/LinearTime.h"
#include "support/LogCapture.h"
#include "support/Test.h"

#include <filesystem>
#include <limits>

namespace {

using SettingList = CheckSettingTest;

// A list loaded from an older-form ticket: {"settings": [elements...]}.
BCheckSettingList olderForm(const std::string& elements) {
    BCheckSettingList list;
    list.Load(readJson(R"({"settings": [)" + elements + "]}"));
    return list;
}

// An older-form element of the type with further fields, e.g.
// ("ResTooLowContone", "LimitsLow", R"("fault": 450)").
std::string limits(const char* name, const char* type, const std::string& fields) {
    return std::string(R"({"problem": ")") + name + R"(", "type": "eSettingType_)" + type + "\", " +
           fields + "}";
}

// An older-form element with a severity, e.g. ("Transparency", "Boolean", "Fault").
std::string element(const char* name, const char* type, const char* severity) {
    return limits(name, type, std::string(R"("severity": "eProblemSeverity_)") + severity + "\"");
}

// Inserts a setting whose limits under `keys` all hold `value` (numbers JSON cannot write).
void insertLimits(BCheckSettingList& list, const ustring& name, const char* type,
                  std::initializer_list<ustring> keys, double value) {
    umessage message;
    message.add(ustring("problem"), umessage_details::type_string, name);
    message.add(ustring("type"), umessage_details::type_string, ustring(type));
    for (const ustring& key : keys)
        message.add(key, umessage_details::type_double, value);
    auto setting = std::make_unique<BCheckSetting>(keystr::emptyName);
    setting->DeserialiseSetting(message);
    list.Insert(std::move(setting));
}

TEST_F(SettingList, LoadsTheOlderFormNewestFirstAndSkipsUnnamedElements) {
    BCheckSettingList list =
        olderForm(element("FontSubset", "Boolean", "Note") + "," + element("", "Boolean", "Fault") +
                  "," + element("FontSubset", "Boolean", "Warn") +
                  R"(, {"type": "eSettingType_Boolean", "severity": "eProblemSeverity_Fault"})");
    EXPECT_EQ(list.FindSorted(keystr::FontSubset), list.FindSetting(keystr::FontSubset));
    EXPECT_EQ(std::tuple(list.GetSeverity(keystr::FontSubset), list.GetSeverity(keystr::Hairline),
                         list.GetLimitValue(keystr::Hairline, eLimit_Fault)),
              std::tuple(eProblemSeverity_Warn, eProblemSeverity_NotSet, 0.0));
}

// Many elements of one name: the newest comes first, and loading takes time in proportion to
// them (inserting each before the others took minutes).
TEST_F(SettingList, LoadsManyOlderFormElementsInLinearTime) {
    constexpr int kCount = 200'000;
    auto ticket = std::make_shared<umessage>();
    const double making = SecondsOf([&ticket] {
        for (int i = 0; i < kCount; ++i) {
            auto setting = std::make_shared<umessage>();
            setting->add(ustring("problem"), umessage_details::type_string, keystr::Hairline);
            setting->add(ustring("precision"), umessage_details::type_int, i);
            ticket->add(ustring("settings"), umessage_details::type_message, setting, true);
        }
    });
    BCheckSettingList list;
    EXPECT_TRUE(TookLinearTime(making, SecondsOf([&] { list.Load(ticket); })));
    const BCheckSetting* newest = list.FindSorted(keystr::Hairline);
    ASSERT_NE(newest, nullptr);
    EXPECT_EQ(newest->GetPrecision(), kCount - 1);
}

// A ticket whose destinations each name a check of their own: loading meets each tree once per
// check it holds, not once per check of the ticket (which took minutes).
TEST_F(SettingList, LoadsATicketOfManyTreesInLinearTime) {
    constexpr int kCount = 16'000;
    Define(R"({"Hairline": {"type": "limitsLow"}})");
    const auto tree = [](const ustring& name, const std::shared_ptr<umessage>& setting) {
        auto checks = std::make_shared<umessage>();
        if (setting)
            checks->add(name, umessage_details::type_message, setting);
        else
            checks->add(name, umessage_details::type_int, 1);
        auto qcs = std::make_shared<umessage>();
        qcs->add(ustring("checks"), umessage_details::type_message, checks);
        auto destination = std::make_shared<umessage>();
        destination->add(ustring("qcs"), umessage_details::type_message, qcs);
        return destination;
    };
    auto ticket = std::make_shared<umessage>();
    const double making = SecondsOf([&] {
        for (int i = 0; i < kCount; ++i)
            ticket->add(ustring("destinations"), umessage_details::type_message,
                        tree(ustring::format("C%d", i), nullptr), true);
    });
    auto hairline = std::make_shared<umessage>();
    hairline->add(ustring("warn"), umessage_details::type_double, 0.25);
    ticket->add(ustring("destinations"), umessage_details::type_message,
                tree(keystr::Hairline, hairline), true);
    BCheckSettingList list;
    EXPECT_TRUE(TookLinearTime(making, SecondsOf([&] { list.Load(ticket); })));
    const BCheckSetting* loaded = list.FindSorted(keystr::Hairline);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetLimit(eLimit_Warn), 0.25);
}

TEST(BCheckSettingList, ComparesSettingsByTheirNamesBytesAsUnsigned) {
    // Older-form settings keep their names without definitions.
    const auto setting = [](const char* name) {
        auto made = std::make_shared<BCheckSetting>(keystr::emptyName);
        umessage message;
        message.add(ustring("problem"), umessage_details::type_string, ustring(name));
        made->DeserialiseSetting(message);
        return made;
    };
    const std::shared_ptr<BCheckSetting> none;
    const struct {
        std::shared_ptr<BCheckSetting> a, b;
        int sign;
    } cases[] = {
        {setting("Hairline"), setting("Hairline"), 0},
        {setting("FontSubset"), setting("Hairline"), -1},
        {setting("Hairline"), setting("FontSubset"), 1},
        {setting("Font"), setting("FontSubset"), -1}, // the shorter name first
        {setting(""), setting("A"), -1},
        {setting("\xC3\xA9"), setting("z"), 1}, // bytes above 0x7F compare as unsigned
        {none, setting(""), -1},
        {setting(""), none, 1},
        {none, none, 0},
    };
    for (const auto& c : cases) {
        const int result = BCheckSettingList::CompareByName(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign)
            << (c.a ? c.a->GetName().c_str() : "null") << " : "
            << (c.b ? c.b->GetName().c_str() : "null");
        if (c.a && c.b) {
            EXPECT_EQ(BCheckSettingList::LessByName(*c.a, *c.b), c.sign < 0);
        }
    }
}

TEST_F(SettingList, LoadsTheCurrentFormThroughTheEffectiveProfile) {
    BCheckSettingList list;
    list.Load(readJson(R"({"qcs": {"checks": {"Hairline": {"sev": "warn"}}}})"));
    EXPECT_EQ(list.FindSetting(keystr::Hairline), nullptr); // nothing without definitions
    Define(R"({"Hairline": {"type": "limitsLow"}, "FontSubset": {"type": "boolean"}})");
    LogCapture log;
    list.Load(readJson(R"({"qcs": {"checks": {"Hairline": {"sev": "warn", "warn": 0.25},
                                               "all": {"sev": "fault"}}}})"));
    const BCheckSetting* hairline = list.FindSorted(keystr::Hairline);
    ASSERT_NE(hairline, nullptr);
    EXPECT_EQ(std::pair(hairline->GetLimit(eLimit_Warn), list.GetSeverity(keystr::Hairline)),
              std::pair(0.25, eProblemSeverity_Warn));
    // "all" stood in for FontSubset but the ticket never named it; "all" has no definition.
    EXPECT_TRUE(list.FindSorted(keystr::FontSubset) == nullptr &&
                list.FindSorted(keystr::all) == nullptr);
    EXPECT_EQ(log.text(), "[2026-03-01T14:05:09][INFO][5120][old/Base/BCheckSetting:"
                          "BCheckSetting::DeserialiseSetting2:726] new setting not found\n");
    // Loading again replaces the loaded settings.
    list.Load(readJson("{}"));
    EXPECT_EQ(list.FindSorted(keystr::Hairline), nullptr);
}

TEST_F(SettingList, MakesADefaultSettingOncePerList) {
    Define(R"({"FontSubset": {"type": "boolean", "defaults": {"sev": "warn"}},
               "Hairline": {"type": "limitsLow"}})");
    BCheckSettingList list;
    const BCheckSetting* made = list.FindSetting(keystr::FontSubset);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(std::pair(made->GetName(), made->GetSeverity()),
              std::pair(keystr::FontSubset, eProblemSeverity_Warn));
    EXPECT_TRUE(list.FindSetting(keystr::FontSubset) == made &&
                list.FindSorted(keystr::FontSubset) == nullptr);
    // Defined without defaults, not defined, no name.
    for (const ustring* none : {&keystr::Hairline, &keystr::Transparency, &keystr::emptyName})
        EXPECT_EQ(list.FindSetting(*none), nullptr) << *none;
    list.Load(readJson(R"({"qcs": {"checks": {"FontSubset": {"sev": "fault"}}}})"));
    const BCheckSetting* loaded = list.FindSetting(keystr::FontSubset);
    EXPECT_TRUE(loaded != made && loaded->GetSeverity() == eProblemSeverity_Fault);
    list.Clear();
    EXPECT_EQ(list.FindSetting(keystr::FontSubset), made); // made settings outlive Clear
}

TEST_F(SettingList, CopiesOwnTheirLoadedSettings) {
    auto original =
        std::make_unique<BCheckSettingList>(olderForm(element("FontSubset", "Boolean", "Fault")));
    BCheckSettingList copy(*original);
    BCheckSettingList assigned;
    assigned = *original;
    const BCheckSettingList& same = assigned;
    assigned = same;
    const BCheckSetting* own = original->FindSetting(keystr::FontSubset);
    original.reset();
    for (const BCheckSettingList* list : {&copy, &assigned}) {
        EXPECT_NE(list->FindSetting(keystr::FontSubset), own);
        EXPECT_EQ(list->GetSeverity(keystr::FontSubset), eProblemSeverity_Fault);
    }
}

TEST_F(SettingList, DownsamplesFromTheDownsampleAndTooLowSettings) {
    const struct {
        std::string elements;
        bool contone;
        std::int32_t resolution;
        double factor;
    } cases[] = {
        {"", true, 300, 1.5},
        {"", false, 1200, 1.5},
        {limits("Setting_ContoneDownsample", "LimitsLow", R"("note": 400, "warn": 500)") + "," +
             limits("ResTooLowContone", "LimitsLow", R"("fault": 450)"),
         true, 450, 1.25},
        {limits("Setting_ContoneDownsample", "LimitsLow", R"("note": 3000)"), true, 2400, 1.5},
        {limits("Setting_BitmapDownsample", "LimitsLow", R"("note": 1000, "warn": 900)") + "," +
             limits("ResTooLowBitmap", "LimitsLow", R"("warn": 1300, "fault": 1100)"),
         false, 1300, 1.5},
        // Far past any integer: capped first, so the conversion stays defined.
        {limits("ResTooLowContone", "LimitsLow", R"("fault": 1e300)"), true, 2400, 1.5},
    };
    for (const auto& c : cases) {
        std::int32_t resolution = -1;
        double factor = -1;
        olderForm(c.elements).GetDownsampling(c.contone, resolution, factor);
        EXPECT_EQ(resolution, c.resolution) << c.elements;
        EXPECT_DOUBLE_EQ(factor, c.factor) << c.elements;
    }
}

TEST_F(SettingList, InfiniteOrNaNLimitsCountAsNotSet) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {inf, -inf, std::numeric_limits<double>::quiet_NaN()}) {
        BCheckSettingList list;
        for (const ustring& name : {keystr::Setting_ContoneDownsample, keystr::ResTooLowContone})
            insertLimits(list, name, "eSettingType_LimitsLow",
                         {keystr::note, keystr::warn, keystr::fault}, bad);
        std::int32_t resolution = -1;
        double factor = -1;
        list.GetDownsampling(true, resolution, factor);
        EXPECT_EQ(std::pair(resolution, factor), std::pair(300, 1.5)) << bad;
    }
    BCheckSettingList list = olderForm(element("Transparency", "Boolean", "Fault"));
    insertLimits(list, keystr::Setting_PDFVersion, "eSettingType_Parameter", {keystr::note},
                 std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(list.GetPDFVersion(), 0.0);
    // Taken as 1.4, so the transparency fault still rules PDF out.
    SetForceEPSExport(false);
    EXPECT_FALSE(list.AllowsPDFExport(true, false, false));
}

TEST_F(SettingList, DerivesThePDFVersion) {
    const std::pair<std::string, double> cases[] = {
        {"", 0.0},
        {limits("Setting_PDFVersion", "Parameter", R"("note": 1.6)") + "," +
             limits("PDFVersionTooHigh", "LimitsHigh", R"("fault": 1.4, "precision": 1)"),
         1.4},
        {limits("PDFVersionTooLow", "LimitsLow", R"("fault": 1.5, "precision": 1)"), 1.5},
        // A crossing at Note changes nothing.
        {limits("PDFVersionTooHigh", "LimitsHigh", R"("note": 1.4)"), 0.0},
        {limits("PDFVersionTooHigh", "LimitsHigh", R"("warn": 1.5)") + "," +
             limits("PDFVersionTooLow", "LimitsLow", R"("warn": 1.6)"),
         1.6},
        {limits("Setting_PDFVersion", "Parameter", R"("note": 1.0)"), 1.3},
        {limits("Setting_PDFVersion", "Parameter", R"("note": 2.0)"), 1.7},
    };
    for (const auto& [elements, version] : cases)
        EXPECT_EQ(olderForm(elements).GetPDFVersion(), version) << elements;
}

TEST_F(SettingList, AllowsPDFExportUnlessForbiddenOrAUsedFeatureIsAFault) {
    const std::string transparencyFault = element("Transparency", "Boolean", "Fault");
    const std::string version13 =
        transparencyFault + "," + limits("Setting_PDFVersion", "Parameter", R"("note": 1.3)");
    const std::string cid0Fault = element("CIDType0FontUsed", "Boolean", "Fault");
    const std::string cid2Fault = element("CIDType2FontUsed", "Boolean", "Fault");
    const std::string trueTypeFault = element("TrueTypeFontUsed", "Boolean", "Fault");
    const std::string trueTypeWarn = element("TrueTypeFontUsed", "Boolean", "Warn");
    const struct {
        std::string faults; // older-form elements
        bool transparency, cid, trueType;
        bool allowed;
    } cases[] = {
        {"", true, true, true, true},
        {transparencyFault, true, false, false, false},
        {transparencyFault, false, true, true, true},
        {version13, true, false, false, true},
        {cid0Fault, false, true, false, false},
        {cid2Fault, false, true, false, false},
        {cid2Fault, true, false, true, true},
        {trueTypeFault, false, false, true, false},
        {trueTypeWarn, true, true, true, true},
    };
    EXPECT_TRUE(GetForceEPSExport());
    for (const auto& c : cases) {
        const BCheckSettingList list = olderForm(c.faults);
        SetForceEPSExport(true);
        EXPECT_FALSE(list.AllowsPDFExport(c.transparency, c.cid, c.trueType)) << c.faults;
        SetForceEPSExport(false);
        EXPECT_EQ(list.AllowsPDFExport(c.transparency, c.cid, c.trueType), c.allowed) << c.faults;
    }
}

TEST_F(SettingList, ResolvesOnlyNamesOfExistingColourProfiles) {
    const ColourProfileFolder colour({"Coated.icc"});
    std::filesystem::create_directory(colour.temp().at("icc/sub"));
    ustring name("Coated.icc");
    EXPECT_TRUE(ResolveColourProfileName(name));
    EXPECT_EQ(name, colour.profile("Coated.icc"));
    for (const char* unchanged : {"Missing.icc", "sub", "C:/Coated.icc", "../Coated.icc"}) {
        ustring text(unchanged);
        EXPECT_FALSE(ResolveColourProfileName(text)) << unchanged;
        EXPECT_EQ(text, unchanged);
    }
}

TEST_F(SettingList, LoadsProcessProfilesAsFullPaths) {
    const ColourProfileFolder colour({"Coated.icc"});
    Define(R"({"Setting_ProcessProfile": {"type": "stringParameter",
                                          "defaults": {"P": ["Coated.icc"]}},
               "Setting_GrayscaleProfile": {"type": "stringParameter",
                                            "defaults": {"P": ["Coated.icc"]}},
               "ColourUsed": {"type": "stringParameter"}})");
    BCheckSettingList list;
    list.Load(readJson(R"({"qcs": {"checks": {
        "Setting_ProcessProfile": {"P": ["Coated.icc", "Missing.icc"]},
        "ColourUsed": {"P": ["Coated.icc"]}}}})"));
    const BCheckSetting* process = list.FindSorted(keystr::Setting_ProcessProfile);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(std::pair(process->GetStringParameter(0), process->GetStringParameter(1)),
              std::pair(colour.profile("Coated.icc"), ustring("Missing.icc")));
    EXPECT_EQ(list.FindSetting(keystr::ColourUsed)->GetStringParameter(0), "Coated.icc");
    // A default made on demand is resolved too.
    EXPECT_EQ(list.FindSetting(keystr::Setting_GrayscaleProfile)->GetStringParameter(0),
              colour.profile("Coated.icc"));
}

} // namespace
