// The proof of the README's ad with a table, end to end: zephost runs as a process on the example
// session and the example ad with a 2 x 3 table added to its first page, and exports it as PDF
// and as EPS. pdftotext (poppler-utils) reads the PDF's text as a viewer extracts it, through
// the font's encoding; the EPS's text is read as the glyph names its font's encoding gives the
// bytes shown.
#include "support/CompanionFixture.h"
#include "support/PostScriptText.h"
#include "support/Test.h"

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

// The text of the table's cells, row by row.
const std::vector<std::string> kCells = {"Seeds",
                                         "Tools",
                                         "Soil",
                                         "seed-sowing \xE2\x80\x93 caf\xC3\xA9 \xC2\xA3"
                                         "4.99",
                                         "Pots",
                                         "Gloves"};

// The UTF-16 units of UTF-8 text of the Basic Multilingual Plane.
std::int32_t Units(const std::string& utf8) {
    std::int32_t units = 0;
    for (unsigned char byte : utf8)
        units += (byte & 0xC0) != 0x80;
    return units;
}

// The glyph names of the cells' characters: a letter is its own name.
std::vector<std::string> GlyphNames(const std::string& utf8) {
    const std::map<std::string, std::string> names = {
        {"-", "hyphen"}, {" ", "space"}, {"\xE2\x80\x93", "endash"}, {"4", "four"},
        {".", "period"}, {"9", "nine"},  {"\xC3\xA9", "eacute"},     {"\xC2\xA3", "sterling"}};
    std::vector<std::string> glyphs;
    for (std::size_t at = 0; at < utf8.size();) {
        std::size_t length = 1;
        while (at + length < utf8.size() && (utf8[at + length] & 0xC0) == 0x80)
            ++length;
        const std::string character = utf8.substr(at, length);
        const auto name = names.find(character);
        glyphs.push_back(name == names.end() ? character : name->second);
        at += length;
    }
    return glyphs;
}

// The example ad with item 26 on its first page's free foot (14, 304, 256, 376): the table
// frame of table 66 (2 x 3, the header row tinted in the spot colour, each cell ruled below),
// threaded by the table's story 64. The story holds the table's anchor, which the frame shows,
// then each cell's text on a line of its own, 6 points high, 4 points into its cell and 22 down.
std::string AdWithTable() {
    std::ifstream in(std::string(ZEP_EXAMPLES_DIR) + "/spring_sale.json");
    nlohmann::json ad = nlohmann::json::parse(in);
    ad["spreads"][0]["items"].push_back({{"id", 26},
                                         {"layer", 5},
                                         {"bounds", {14, 304, 256, 376}},
                                         {"fonts", {"Minion Pro"}},
                                         {"textFrame", {{"start", 0}, {"span", 1}}},
                                         {"table", {{"model", 66}, {"areas", {{0, 0, 2, 3}}}}}});
    std::string text = "\x16";
    nlohmann::json lines = {{{"y", 310}, {"count", 1}}};
    nlohmann::json cells = nlohmann::json::array();
    for (std::size_t i = 0; i < kCells.size(); ++i) {
        const int row = static_cast<int>(i / 3), column = static_cast<int>(i % 3);
        const std::int32_t start = Units(text), units = Units(kCells[i]);
        text += kCells[i];
        const double x = 14 + 242.0 / 3 * column + 4, baseline = 304 + 36 * row + 22;
        lines.push_back({{"y", baseline + 6},
                         {"count", units},
                         {"runs",
                          {{{"start", start},
                            {"span", units},
                            {"width", 72},
                            {"height", 6},
                            {"matrix", {1, 0, 0, 1, x, 0}}}}}});
        nlohmann::json cell = {{"row", row},
                               {"column", column},
                               {"text", {start, units}},
                               {"edges", {{{"side", 2}, {"weight", 0.5}, {"color", 70}}}}};
        if (row == 0)
            cell["fill"] = {{"color", 71}, {"tint", 20}};
        cells.push_back(cell);
    }
    ad["stories"].push_back({{"id", 64},
                             {"frameList", 65},
                             {"text", text},
                             {"frames", {26}},
                             {"attributes",
                              {{{"span", Units(text) + 1},
                                {"font", "Minion Pro"},
                                {"fill", {{"color", 70}, {"tint", 100}}}}}},
                             {"lines", lines}});
    ad["tables"] = {{{"id", 66}, {"rows", 2}, {"columns", 3}, {"story", 64}, {"cells", cells}}};
    return ad.dump(2);
}

class Proof : public ::testing::Test, public CompanionFixture {
protected:
    void SetUp() override {
        m_folder.write("ad.json", AdWithTable());
        std::filesystem::create_directory(m_folder.at("job"));
        m_environment.Set("ZEP_DRIVE_J", m_folder.at("job"));
    }
    // Runs zephost on the example session and the ad with the example job of that name ('Zerp'
    // true), the companion application listening; true when it ends with status 0.
    bool Export(const std::string& job) const {
        const auto companion = Listen();
        const std::string examples = ZEP_EXAMPLES_DIR;
        const std::string command =
            std::string(ZEP_ZEPHOST) + " open " + examples + "/studio.json open " +
            m_folder.at("ad.json") + " call expY --zemp @" + examples + "/jobs/" + job +
            ".hex --zerp true >" + m_folder.at("out") + " 2>" + m_folder.at("err");
        return std::system(command.c_str()) == 0;
    }
};

TEST_F(Proof, ShowsEachCharacterOfTheTablesCellsAsItselfInPDFAndEPS) {
    ASSERT_TRUE(Export("spring_sale_pdf")) << m_folder.read("err");
    ASSERT_EQ(std::system(("pdftotext -enc UTF-8 " + m_folder.at("job/spring-sale.pdf") + " " +
                           m_folder.at("pdf.txt"))
                              .c_str()),
              0)
        << "pdftotext (poppler-utils, installed by scripts/setup.sh) reads the PDF";
    const std::string pdfText = m_folder.read("pdf.txt");

    ASSERT_TRUE(Export("spring_sale_eps")) << m_folder.read("err");
    const std::string eps = m_folder.read("job/spring-sale.eps"); // the first page
    const std::vector<std::string> encoding = postscript::Encoding(eps, "ZepWinAnsiEncoding");
    ASSERT_EQ(encoding.size(), 256u) << eps.substr(0, 2000);
    std::vector<std::vector<std::string>> shown;
    for (const std::string& bytes : postscript::ShownStrings(eps))
        shown.push_back(postscript::Glyphs(encoding, bytes));

    for (const std::string& cell : kCells) {
        EXPECT_THAT(pdfText, ::testing::HasSubstr(cell)) << "the PDF's text";
        EXPECT_THAT(shown, ::testing::Contains(GlyphNames(cell))) << "the EPS's text: " << cell;
    }
}

} // namespace
