#include "model/KeyStrings.h"

#include "support/Test.h"

#include <set>

namespace {

// Built by this file's static initialisation, which in the test program runs before the
// library file that owns the constants is initialised.
const ustring copiedAtStartUp = keystr::PDFForICCHasEncrypedComments;

#define ZEP_KEY_STRING_ENTRY(identifier, text) {&keystr::identifier, text},
const std::pair<const ustring*, std::string> allKeys[] = {ZEP_KEY_STRINGS(ZEP_KEY_STRING_ENTRY)};
#undef ZEP_KEY_STRING_ENTRY

} // namespace

TEST(KeyStrings, HoldDistinctTextsReadyForOtherFilesStaticInitialisers) {
    std::set<std::string> texts;
    for (const auto& [constant, text] : allKeys) {
        EXPECT_EQ(constant->toStdString(), text);
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), std::size(allKeys)) << "a text occurs twice";
    EXPECT_EQ(copiedAtStartUp.toStdString(), "PDFForICCHasEncrypedComments");
}

// Identifiers that stored tickets and page items carry, misspelt or in either spelling of a word.
TEST(KeyStrings, KeepTheSystemsOwnSpellings) {
    const std::pair<const ustring*, std::string> spellings[] = {
        {&keystr::PlacedGraphicHasOveriddenProfile, "PlacedGraphicHasOveriddenProfile"},
        {&keystr::TACCouldntRenderPage, "TACCouldntRenderPage"},
        {&keystr::ColorNotSpotAs, "ColorNotSpotAs"},
        {&keystr::ColourNotUsed, "ColourNotUsed"},
        {&keystr::GreyTextOverprint, "GreyTextOverprint"},
        {&keystr::DeviceGrayUsedInCMYKJobs, "DeviceGrayUsedInCMYKJobs"},
        {&keystr::Setting_ConversionOfPureVectorColors, "Setting_ConversionOfPureVectorColors"},
        {&keystr::PDFLevel_PDF_1, "PDFLevel/PDF%1"},
        {&keystr::Style_SpotAsProcess, "Style/SpotAsProcess"},
        {&keystr::operator_, "operator"},
        {&keystr::spot_as_process, "spot_as_process"},
    };
    for (const auto& [constant, text] : spellings)
        EXPECT_EQ(constant->toStdString(), text);
}
