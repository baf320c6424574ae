#include "model/KeyStrings.h"

#include "support/Test.h"

#include <set>

namespace {

// Built by this file's static initialisation, which in the test program runs before the
// library file that owns the constants is initialised.
const ustring copiedAtStartUp = keystr::PDFForICCHasEncrypedComments;

struct Entry {
    const ustring* constant;
    const char* text;
};

#define ZEP_KEY_STRING_ENTRY(identifier, text) {&keystr::identifier, text},
const std::vector<Entry> checkIdentifiers = {ZEP_CHECK_IDENTIFIERS(ZEP_KEY_STRING_ENTRY)};
const std::vector<Entry> settingNames = {ZEP_SETTING_NAMES(ZEP_KEY_STRING_ENTRY)};
const std::vector<Entry> settingPaths = {ZEP_SETTING_PATHS(ZEP_KEY_STRING_ENTRY)};
const std::vector<Entry> lowerCaseKeys = {ZEP_LOWER_CASE_KEYS(ZEP_KEY_STRING_ENTRY)};
#undef ZEP_KEY_STRING_ENTRY

} // namespace

TEST(KeyStrings, EachGroupHoldsItsNumberOfDistinctNonEmptyTexts) {
    const struct {
        const std::vector<Entry>& entries;
        std::size_t count;
        const char* prefix;
    } groups[] = {
        {checkIdentifiers, 300, ""},
        {settingNames, 23, "Setting_"},
        {settingPaths, 11, ""},
        {lowerCaseKeys, 89, ""},
    };
    std::set<std::string> all;
    for (const auto& g : groups) {
        EXPECT_EQ(g.entries.size(), g.count);
        for (const Entry& e : g.entries) {
            EXPECT_EQ(e.constant->toStdString(), e.text);
            EXPECT_FALSE(e.constant->empty());
            EXPECT_EQ(e.constant->toStdString().rfind(g.prefix, 0), 0u) << e.text;
            all.insert(e.constant->toStdString());
        }
    }
    EXPECT_EQ(all.size(), 423u) << "a text occurs twice";
}

// Identifiers that stored tickets and page items carry, misspelt or in either spelling of a word.
TEST(KeyStrings, KeepTheSystemsOwnSpellings) {
    const std::pair<const ustring*, std::string> spellings[] = {
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
        EXPECT_EQ(constant->toStdString(), text);
}

TEST(KeyStrings, AreReadyForOtherFilesStaticInitialisers) {
    EXPECT_EQ(copiedAtStartUp.toStdString(), "PDFForICCHasEncrypedComments");
}
