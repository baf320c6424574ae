// Tests of the key-string constants: the size of each group, the spellings the system keeps on
// purpose, distinctness, and that other files' static initialisers can read them.
#include "KeyStrings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// Built by this file's static initialisation, which in the test program runs before the
// library file that owns the constants is initialised.
const ustring copiedAtStartUp = keystr::PDFForICCHasEncrypedComments;
const std::size_t lengthAtStartUp = keystr::Setting_OverrideDestinationProfiles.size();

#define ZEP_KEY_STRING_ENTRY(identifier, text) {&keystr::identifier, text},

struct Entry {
    const ustring* constant;
    const char* text;
};

const std::vector<Entry> checkIdentifiers = {ZEP_CHECK_IDENTIFIERS(ZEP_KEY_STRING_ENTRY)};
const std::vector<Entry> settingNames = {ZEP_SETTING_NAMES(ZEP_KEY_STRING_ENTRY)};
const std::vector<Entry> settingPaths = {ZEP_SETTING_PATHS(ZEP_KEY_STRING_ENTRY)};
const std::vector<Entry> lowerCaseKeys = {ZEP_LOWER_CASE_KEYS(ZEP_KEY_STRING_ENTRY)};

std::string str(const ustring& s) {
    return std::string(s.c_str(), s.size());
}

TEST(KeyStrings, EachGroupHoldsItsNumberOfDistinctTexts) {
    const struct {
        const char* group;
        const std::vector<Entry>& entries;
        std::size_t count;
    } groups[] = {{"check identifiers", checkIdentifiers, 300},
                  {"setting names", settingNames, 23},
                  {"setting paths", settingPaths, 11},
                  {"lower-case keys", lowerCaseKeys, 89}};
    std::set<std::string> all;
    for (const auto& g : groups) {
        EXPECT_EQ(g.entries.size(), g.count) << g.group;
        std::set<std::string> texts;
        for (const Entry& e : g.entries) {
            EXPECT_EQ(str(*e.constant), e.text) << g.group;
            EXPECT_FALSE(e.constant->empty()) << g.group;
            texts.insert(str(*e.constant));
        }
        EXPECT_EQ(texts.size(), g.count) << g.group << " hold a duplicate";
        all.insert(texts.begin(), texts.end());
    }
    EXPECT_EQ(all.size(), 423u);
}

TEST(KeyStrings, SettingNamesAllBeginWithTheirPrefix) {
    for (const Entry& e : settingNames)
        EXPECT_EQ(str(*e.constant).rfind("Setting_", 0), 0u) << e.text;
}

TEST(KeyStrings, KeepTheSystemsOwnSpellings) {
    const std::vector<std::pair<const ustring*, std::string>> spellings = {
        {&keystr::PlacedGraphicHasOveriddenProfile, "PlacedGraphicHasOveriddenProfile"},
        {&keystr::PDFForICCHasEncrypedComments, "PDFForICCHasEncrypedComments"},
        {&keystr::TACCouldntRenderPage, "TACCouldntRenderPage"},
        {&keystr::ColorNotSpotAs, "ColorNotSpotAs"},
        {&keystr::ColourNotUsed, "ColourNotUsed"},
        {&keystr::GreyTextOverprint, "GreyTextOverprint"},
        {&keystr::DeviceGrayUsedInCMYKJobs, "DeviceGrayUsedInCMYKJobs"},
        {&keystr::Setting_ConversionOfPureVectorColors, "Setting_ConversionOfPureVectorColors"},
        {&keystr::colourspaces, "colourspaces"},
        {&keystr::PDFLevel_PDF_1, "PDFLevel/PDF%1"},
        {&keystr::PDFX_, "PDFX/"},
        {&keystr::Style_SpotAsProcess, "Style/SpotAsProcess"},
        {&keystr::operator_, "operator"},
        {&keystr::min_sev, "min_sev"},
        {&keystr::spot_as_process, "spot_as_process"},
    };
    for (const auto& [constant, text] : spellings)
        EXPECT_EQ(str(*constant), text);
}

TEST(KeyStrings, CompareByteExactAndCaseSensitive) {
    EXPECT_FALSE(keystr::qcs == ustring("QCS"));
    EXPECT_TRUE(keystr::qcs == ustring("qcs"));
    EXPECT_FALSE(keystr::P == keystr::PV);
    EXPECT_NE(keystr::P.compareTo(keystr::PV), 0);
    EXPECT_TRUE(keystr::emptyName == ustring());
    EXPECT_TRUE(keystr::emptyName.empty());
    for (const Entry& e : lowerCaseKeys)
        EXPECT_FALSE(keystr::emptyName == *e.constant) << e.text;
}

TEST(KeyStrings, AreReadyForOtherFilesStaticInitialisers) {
    EXPECT_EQ(str(copiedAtStartUp), "PDFForICCHasEncrypedComments");
    EXPECT_EQ(lengthAtStartUp, std::string("Setting_OverrideDestinationProfiles").size());
}

} // namespace
