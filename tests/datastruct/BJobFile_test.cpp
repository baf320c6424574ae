// Tests of the job file: the exact bytes of the record 'JJ', round trips under the masks 2, 4 and
// 52, the box rules, the elements that only outside job files carry ('Dp', 'SR', 'BP'), the
// output profiles, the page-item file, and reads that fail without touching the job.
#include "CheckSettingTestDefinitions.h"
#include "model/BJobFile.h"

#include "model/KeyStrings.h"
#include "model/SettingDefinitions.h"
#include "support/JsonMessage.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"
#include "utils/UKeyStream.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace {

using namespace std::string_literals;

std::string bytesOf(BJobFile& job, std::int32_t mask) {
    std::ostringstream out;
    job.Write(out, mask);
    return out.str();
}

void readInto(BJobFile& job, const std::string& bytes, std::int32_t mask) {
    std::istringstream in(bytes);
    job.Read(in, mask);
}

// The elements that only job files made outside the system carry, around a job's body.
struct Outside {
    const char* defaults = nullptr;
    const char* ticket = nullptr;
    std::string rawTicket; // written as it is when not empty
    std::optional<bool> forbidPDF;
};

std::string outsideStream(BJobFile& job, const Outside& extra) {
    std::ostringstream out;
    {
        UKeyOutStream keys(out, 0x4A4F4235);
        if (extra.defaults)
            keys.select_key('Dp').write_message(*readJson(extra.defaults));
        job.WriteBody(keys, kJobFilePartFull);
        if (extra.ticket)
            keys.select_key('SR').write_message(*readJson(extra.ticket));
        if (!extra.rawTicket.empty())
            keys.select_key('SR').write_binary(extra.rawTicket.data(),
                                               static_cast<std::uint32_t>(extra.rawTicket.size()));
        if (extra.forbidPDF) {
            keys.begin_record('BP');
            keys.select_key('Br').write_bool(*extra.forbidPDF);
            keys.end();
        }
    }
    return out.str();
}

BDestination* addDestination(BGroup& group, const char* id, double width, double height,
                             double bleed = 0.0) {
    BDestination* destination = group.CreateDestination();
    destination->SetIdentifier(id);
    destination->SetSize(width, height);
    destination->SetBleeds(bleed, bleed, bleed, bleed);
    return destination;
}

void expectBox(const zeu::Rect2D& box, const zeu::Rect2D& want) {
    EXPECT_EQ(box.x, want.x);
    EXPECT_EQ(box.y, want.y);
    EXPECT_EQ(box.width, want.width);
    EXPECT_EQ(box.height, want.height);
}

// Every test starts with no definitions, an empty default-settings message and PDF forbidden.
class JobFile : public CheckSettingTest {};

// A job with every stored field set to something other than its start value.
void fillJob(BJobFile& job) {
    job.jobFolder.assign("Z:/jobs/ad");
    job.outputFile.assign("Z:/jobs/ad/out.pdf");
    job.pathPD.assign("Z:/jobs/pd");
    job.pageItemFile.assign("Z:/jobs/ad/items.bin");
    job.jobName = "Spring sale";
    job.documentName = "spring.indd";
    job.bleedBox = {-93, -63, 186, 126};
    job.trimBox = {-90, -50, 180, 100};
    job.typeArea = {-80, -40, 160, 80};
    job.pageCount = 2;
    job.pageCP = 2;
    job.pageLC = 3;
    job.layoutHorizontalBleed = 3;
    job.layoutVerticalBleed = 13;
    job.layoutWidth = 186;
    job.layoutDepth = 126;
    job.flagSE = true;
    job.commonSizing = true;
    job.style = 4;
    job.textSN = "sn";
    job.GetSectionRuns().AddPage("A", 'N', 1);
    job.GetSectionRuns().AddPage("A", 'N', 2);
    job.GetAbsoluteRuns().AddRun(1, 2);
    auto exported = std::make_unique<BExportedDestination>();
    exported->identifier = 17;
    exported->pages.AddRun(1, 1);
    job.GetExportedDestinations().Insert(std::move(exported));
    BGroup* group = job.GetGroups().AddGroup();
    group->SetSelected(true);
    addDestination(*group, "12345", 180, 100, 3)->SetName("Daily");
    job.GetGroups().AddGroup();
}

// A record (type 6) or array (type 7) element: key, the 5-byte length form, type, content.
std::string level(const char* key, char type, const std::string& content) {
    const auto n = static_cast<std::uint32_t>(content.size());
    return std::string(key, 2) + "\xFF"s + static_cast<char>(n >> 24) + static_cast<char>(n >> 16) +
           static_cast<char>(n >> 8) + static_cast<char>(n) + type + content;
}
std::string record(const char* key, const std::string& content) {
    return level(key, 6, content);
}

TEST_F(JobFile, WritesTheJob5HeadAndEveryJobElementInOrder) {
    BJobFile job;
    job.style = 2;
    job.identifier = "U";
    job.jobName = "N";
    job.trimBox = {0, 0, 4, 2};
    job.commonSizing = true;
    job.pageCount = 2;
    job.jobFolder.assign("Z:/j");
    job.GetAbsoluteRuns().AddRun(1, 2);

    const std::string infinity = "\x08\x04\x7F\xF0\x00\x00\x00\x00\x00\x00"s;
    const std::string unset = infinity + infinity + infinity + infinity;
    const std::string always = "St\x01\x02\x02"s + "Pv\x03\x05"s + "748" + "SS\x01\x05U"s +
                               "DN\x01\x05N"s + "SN\x00\x05"s + "LN\x00\x05"s +
                               level("RB", 7, unset) +
                               level("RT", 7,
                                     "\x00\x04\x00\x04"s + // left and top 0: no bytes
                                         "\x08\x04\x40\x10\x00\x00\x00\x00\x00\x00"s +
                                         "\x08\x04\x40\x00\x00\x00\x00\x00\x00\x00"s) +
                               level("RY", 7, unset);
    const std::string summary =
        "LH\x00\x04LV\x00\x04Lw\x00\x04Ld\x00\x04SE\x00\x01"s + "CZ\x01\x01\x01"s;
    const std::string full = "NP\x01\x02\x02"s + "CP\x01\x02\x01"s + "LC\x00\x02"s +
                             "TF\x04\x05Z:/j"s + "FS\x00\x05PD\x00\x05PI\x00\x05"s +
                             record("LX", "") + record("PR", "sS\x01\x02\x01sN\x01\x02\x02"s) +
                             record("EL", "");
    const std::string head = "ID\x04\x02JOB5\xC0\xDE\x01\x02\x01"s; // identifier, version 1

    struct Case {
        std::int32_t mask;
        std::string job;
    };
    for (const Case& c : {Case{kJobFilePartSummary, always + summary},
                          Case{kJobFilePartFull, always + summary + full}}) {
        SCOPED_TRACE(c.mask);
        EXPECT_EQ(bytesOf(job, c.mask),
                  record("KS", head + record("JJ", c.job) + record("GG", "")));
    }
}

TEST_F(JobFile, FirstWriteMakesAnUpperCaseIdentifierThatIsKept) {
    BJobFile job;
    bytesOf(job, kJobFilePartSummary);
    const ustring identifier = job.identifier;
    ASSERT_EQ(identifier.size(), 36u);
    for (char c : identifier.toStdString())
        EXPECT_TRUE(c == '-' || std::isdigit(c) || (c >= 'A' && c <= 'F')) << identifier;
    BJobFile copy;
    readInto(copy, bytesOf(job, kJobFilePartFull), kJobFilePartFull);
    EXPECT_EQ(job.identifier, identifier);
    EXPECT_EQ(copy.identifier, identifier);
}

// Every stored field holds a value other than its start value, so rewriting the copy gives the
// same bytes only when each was read back.
TEST_F(JobFile, FullJobRoundTrips) {
    BJobFile job;
    fillJob(job);
    const std::string bytes = bytesOf(job, kJobFilePartFull);
    BJobFile copy;
    readInto(copy, bytes, kJobFilePartFull);
    EXPECT_EQ(bytesOf(copy, kJobFilePartFull), bytes);
    EXPECT_EQ(copy.jobName, "Spring sale");
    EXPECT_EQ(copy.outputFile.path(), "Z:/jobs/ad/out.pdf");
    ASSERT_EQ(copy.GetGroups().size(), 2u);
    EXPECT_EQ(&copy.GetCurrentGroup(), &copy.GetGroups()[0]);
    EXPECT_EQ(copy.GetCurrentGroup()[0].GetOwner(), &copy);
}

TEST_F(JobFile, SummaryReadTakesItsPartAndLeavesTheRest) {
    BJobFile source;
    fillJob(source);
    BJobFile job;
    job.jobName = "kept";
    job.outputFile.assign("Z:/kept.pdf");
    job.pageCount = 9;
    job.GetAbsoluteRuns().AddRun(4, 5);
    readInto(job, bytesOf(source, kJobFilePartSummary), kJobFilePartSummary);
    // Rewritten, the summary equals the source's but for 'DN', which it does not read.
    source.jobName = "kept";
    EXPECT_EQ(bytesOf(job, kJobFilePartSummary), bytesOf(source, kJobFilePartSummary));
    EXPECT_EQ(job.outputFile.path(), "Z:/kept.pdf");
    EXPECT_EQ(job.pageCount, 9);
    EXPECT_EQ(job.GetAbsoluteRuns().GetPageCount(), 5);
    EXPECT_TRUE(job.GetExportedDestinations().GetItems().empty());
}

TEST_F(JobFile, FullReadEmptiesStringsPathsAndListsThatTheStreamLacks) {
    BJobFile source;
    BJobFile job;
    fillJob(job);
    readInto(job, bytesOf(source, kJobFilePartFull), kJobFilePartFull);
    EXPECT_EQ(job.jobName, "");
    EXPECT_EQ(job.textSN, "");
    EXPECT_FALSE(job.outputFile.is_valid());
    EXPECT_TRUE(job.GetSectionRuns().empty());
    EXPECT_TRUE(job.GetExportedDestinations().GetItems().empty());
    EXPECT_EQ(job.GetGroups().size(), 0u);

    // A 'JJ' without boxes and style keeps them.
    std::ostringstream out;
    {
        UKeyOutStream keys(out, 0x4A4F4235);
        keys.begin_record('JJ');
        keys.end();
    }
    job.trimBox = {1, 2, 3, 4};
    job.style = 6;
    readInto(job, out.str(), kJobFilePartFull);
    expectBox(job.trimBox, {1, 2, 3, 4});
    EXPECT_EQ(job.style, 6);
    EXPECT_FALSE(job.IsOrdinaryStyle());
}

TEST_F(JobFile, WriteExportedSendsTheSelectedGroupsUnexportedDestinationsAndMovesOn) {
    BJobFile job;
    BGroup* first = job.GetGroups().AddGroup();
    BGroup* second = job.GetGroups().AddGroup();
    addDestination(*first, "1", 300, 200)->SetExported(true);
    BDestination* pending = addDestination(*first, "2", 200, 100);
    addDestination(*second, "3", 150, 80, 5);
    job.GetGroups().SelectGroup(first);
    job.ComputeBoxes();

    std::ostringstream out;
    job.WriteExported(out);

    EXPECT_TRUE(pending->IsExported());
    EXPECT_EQ(job.GetGroups().GetSelectedGroup(), second);
    expectBox(job.trimBox, {0, 0, 150, 80});
    expectBox(job.bleedBox, {0, 0, 160, 90});

    BJobFile sent;
    readInto(sent, out.str(), kJobFilePartFull);
    ASSERT_EQ(sent.GetGroups().size(), 1u);
    const BGroup& group = sent.GetGroups()[0];
    EXPECT_TRUE(group.IsSelected());
    ASSERT_EQ(group.size(), 1u);
    EXPECT_EQ(group[0].GetIdentifier(), "2");

    // Nothing is left to send after the second group: the selection stays and the boxes are
    // not recomputed.
    job.trimBox = {1, 2, 3, 4};
    std::ostringstream again;
    job.WriteExported(again);
    EXPECT_EQ(job.GetGroups().GetSelectedGroup(), second);
    expectBox(job.trimBox, {1, 2, 3, 4});
}

TEST_F(JobFile, BoxesAtTheOriginAreCentredOnReading) {
    const zeu::Rect2D unset = zeu::Rect2D::unset;
    struct Case {
        const char* name;
        zeu::Rect2D boxes[3];     // bleed box, trim box, type area as written
        zeu::Rect2D wantBoxes[3]; // as read
    };
    const Case cases[] = {
        {"all at the origin",
         {{0, 0, 100, 50}, {0, 0, 90, 40}, {0, 0, 80, 30}},
         {{-50, -25, 100, 50}, {-45, -20, 90, 40}, {-40, -15, 80, 30}}},
        {"one elsewhere",
         {{0, 0, 100, 50}, {0, 0, 90, 40}, {5, 0, 80, 30}},
         {{0, 0, 100, 50}, {0, 0, 90, 40}, {5, 0, 80, 30}}},
        {"one unset",
         {unset, {0, 0, 90, 40}, {0, 0, 80, 30}},
         {unset, {0, 0, 90, 40}, {0, 0, 80, 30}}},
        {"all unset", {unset, unset, unset}, {unset, unset, unset}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BJobFile job;
        job.bleedBox = c.boxes[0];
        job.trimBox = c.boxes[1];
        job.typeArea = c.boxes[2];
        BJobFile copy;
        readInto(copy, bytesOf(job, kJobFilePartSummary), kJobFilePartSummary);
        expectBox(copy.bleedBox, c.wantBoxes[0]);
        expectBox(copy.trimBox, c.wantBoxes[1]);
        expectBox(copy.typeArea, c.wantBoxes[2]);
    }
}

TEST_F(JobFile, ComputeBoxesTakesTheSmallestTrimAndTheLargestBleed) {
    BJobFile job;
    BGroup* group = job.GetGroups().AddGroup();
    addDestination(*group, "1", 200, 100);
    addDestination(*group, "2", 180, 120, 3);
    job.typeArea = {-1, -1, 2, 2};
    EXPECT_EQ(job.GetHorizontalBleed(), 0.0); // the boxes are unset
    EXPECT_EQ(job.GetVerticalTypeIndent(), 0.0);

    // No group selected: the default group has no destination.
    job.ComputeBoxes();
    expectBox(job.bleedBox, {0, 0, 0, 0});
    expectBox(job.trimBox, {0, 0, 0, 0});
    expectBox(job.typeArea, {-1, -1, 2, 2});

    job.GetGroups().SelectGroup(group);
    job.ComputeBoxes();
    expectBox(job.trimBox, {0, 0, 180, 100});
    expectBox(job.bleedBox, {0, 0, 186, 126});
    expectBox(job.typeArea, {-1, -1, 2, 2});
    EXPECT_EQ(job.GetHorizontalBleed(), 3.0);
    EXPECT_EQ(job.GetVerticalBleed(), 13.0);

    (*group)[0].SetTypeIndents(10, 10, 5, 15);
    job.ComputeBoxes();
    expectBox(job.typeArea, {0, 0, 180, 80});
    EXPECT_EQ(job.GetHorizontalTypeIndent(), 0.0);
    EXPECT_EQ(job.GetVerticalTypeIndent(), 10.0);
}

TEST_F(JobFile, CommonSizingCountsEveryGroupAndItsFullBleedSize) {
    BJobFile job;
    addDestination(*job.GetGroups().AddGroup(), "1", 200, 100);
    BGroup* second = job.GetGroups().AddGroup();
    addDestination(*second, "2", 180, 150);
    // A destination of another job does not count.
    BJobFile other;
    auto stranger = std::make_unique<BDestination>(&other);
    stranger->SetSize(10, 10);
    second->Append(std::move(stranger));
    job.commonSizing = true;
    job.ComputeBoxes();
    expectBox(job.trimBox, {0, 0, 180, 100});
    expectBox(job.bleedBox, {0, 0, 200, 150});
}

TEST_F(JobFile, OutputFileOfLaterPagesCarriesThePageNumber) {
    BJobFile job;
    job.outputFile.assign("Z:/out/ad.pdf");
    EXPECT_EQ(job.GetOutputFile(0).path(), "Z:/out/ad.pdf");
    EXPECT_EQ(job.GetOutputFile(1).path(), "Z:/out/ad.pdf");
    EXPECT_EQ(job.GetOutputFile(3).path(), "Z:/out/ad.pdf#3");
    EXPECT_EQ(job.GetOutputFile(12).path(), "Z:/out/ad.pdf#12");
    job.outputFile.clear();
    EXPECT_EQ(job.GetOutputFile(2).path(), "");
}

// A path of the temporary folder in the system's drive form.
ustring zpath(const TempFolder& folder, const std::string& relative) {
    return ("Z:" + folder.at(relative)).c_str();
}

TEST_F(JobFile, PlacedImagesFolderIsMadeInTheJobFolderOnly) {
    TempFolder temp;
    BJobFile job;
    EXPECT_EQ(job.GetPlacedImagesFolder().path(), "");
    job.jobFolder.assign(zpath(temp, "job"));
    std::filesystem::create_directory(temp.at("job"));
    const UFileSpecCore folder = job.GetPlacedImagesFolder();
    EXPECT_EQ(folder.path(), zpath(temp, "job/PlacedImages"));
    EXPECT_TRUE(std::filesystem::is_directory(temp.at("job/PlacedImages")));
    EXPECT_EQ(job.GetPlacedImagesFolder().path(), folder.path());
}

TEST_F(JobFile, PlacedImagesFolderThatCannotBeMadeIsAnError) {
    TempFolder temp;
    temp.write("file", "");
    std::filesystem::create_directory(temp.at("job"));
    temp.write("job/PlacedImages", "");
    for (const char* jobFolder : {"missing", "file", "job"}) {
        SCOPED_TRACE(jobFolder);
        LogCapture log;
        BJobFile job;
        job.jobFolder.assign(zpath(temp, jobFolder));
        EXPECT_EQ(job.GetPlacedImagesFolder().path(), "");
        const std::string made = zpath(temp, jobFolder).toStdString() + "/PlacedImages";
        EXPECT_NE(log.text().find("[ERROR]"), std::string::npos) << log.text();
        EXPECT_NE(log.text().find("cannot create folder " + made), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(temp.at("missing")));
}

TEST_F(JobFile, OutsideElementsSetTheDefinitionsTheSettingsAndThePDFFlag) {
    BJobFile source;
    source.jobName = "outside";
    Outside extra;
    extra.defaults = R"({"Transparency": {"type": "boolean", "defaults": {"sev": "warn"}},
                         "Hairline": {"type": "boolean", "defaults": {"sev": "note"}}})";
    extra.ticket = R"({"qcs": {"checks": {"Transparency": {"sev": "fault"}}}})";
    extra.forbidPDF = false;
    const std::string bytes = outsideStream(source, extra);

    // The summary part takes neither the ticket nor the job name, but 'BP'.
    BJobFile job;
    readInto(job, bytes, kJobFilePartSummary);
    EXPECT_EQ(job.jobName, "");
    EXPECT_EQ(job.GetCheckSettings().FindSorted(keystr::Transparency), nullptr);
    EXPECT_FALSE(GetForceEPSExport());

    SetForceEPSExport(true);
    readInto(job, bytes, kJobFilePartFull);
    EXPECT_EQ(job.jobName, "outside");
    EXPECT_TRUE(GetDefaultSettings().contains("Transparency"));
    ASSERT_NE(SettingDefinitionsRegistry::Instance(), nullptr);
    ASSERT_NE(job.GetCheckSettings().FindSorted(keystr::Transparency), nullptr);
    EXPECT_EQ(job.GetCheckSettings().GetSeverity(keystr::Transparency), eProblemSeverity_Fault);
    EXPECT_EQ(job.GetCheckSettings().FindSorted(keystr::Hairline), nullptr);
    EXPECT_EQ(job.GetCheckSettings().GetSeverity(keystr::Hairline), eProblemSeverity_Note);
    EXPECT_FALSE(GetForceEPSExport());

    // A later summary read keeps the settings.
    readInto(job, bytes, kJobFilePartSummary);
    EXPECT_EQ(job.GetCheckSettings().GetSeverity(keystr::Transparency), eProblemSeverity_Fault);

    // The job's own bytes never carry them: a copy loses the settings, and a stream without
    // 'Dp' empties the default settings, while the flag stays without 'BP'.
    BJobFile copy;
    readInto(copy, bytesOf(job, kJobFilePartFull), kJobFilePartFull);
    EXPECT_EQ(copy.GetCheckSettings().FindSorted(keystr::Transparency), nullptr);
    EXPECT_TRUE(GetDefaultSettings().empty());
    EXPECT_FALSE(GetForceEPSExport());
}

// A colour-profile folder of the test's own behind special folder 6, holding "Coated.icc".
class JobColourFolder : public JobFile {
protected:
    void SetUp() override {
        JobFile::SetUp();
        std::filesystem::create_directory(temp_.at("icc"));
        temp_.write("icc/Coated.icc", "profile");
        setenv("ZEP_COLOR_DIR", temp_.at("icc").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("ZEP_COLOR_DIR");
        JobFile::TearDown();
    }
    TempFolder temp_;
};

TEST_F(JobColourFolder, ProfilesResolveToFilesOrIntoTheColourFolder) {
    const std::string existing = zpath(temp_, "icc/Coated.icc").toStdString();
    struct Case {
        std::string checks;
        const char* process;   // path below the temporary folder; null: none resolved
        const char* grayscale; // likewise
    };
    const Case cases[] = {
        {R"("Setting_ProcessProfile": {"sev": "parameter", "P": ["Coated.icc"]},
            "Setting_GrayscaleProfile": {"sev": "parameter", "P": ["Gray.icc"]})",
         "icc/Coated.icc", "icc/Gray.icc"},
        {"", nullptr, nullptr},
        // Override takes the local name in place of a silent profile only.
        {R"("Setting_ProcessProfile": {"sev": "parameter", "P": ["Coated.icc", "silent"]},
            "Setting_GrayscaleProfile": {"sev": "parameter", "P": ["Gray.icc", "loud"]},
            "Setting_LocalOutputProfiles": {"sev": "parameter", "P": ["Local.icc", "LGray.icc"]},
            "Setting_OverrideDestinationProfiles": {"sev": "warn", "note": 1})",
         "icc/Local.icc", "icc/Gray.icc"},
        // An existing file's full path stays that path.
        {R"("Setting_ProcessProfile": {"sev": "parameter", "P": [")" + existing + R"("]})",
         "icc/Coated.icc", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.checks);
        BJobFile source;
        Outside extra;
        extra.defaults = R"({
            "Setting_ProcessProfile": {"type": "stringParameter"},
            "Setting_GrayscaleProfile": {"type": "stringParameter"},
            "Setting_LocalOutputProfiles": {"type": "stringParameter"},
            "Setting_OverrideDestinationProfiles": {"type": "limitsHigh"}})";
        const std::string ticket = R"({"qcs": {"checks": {)" + c.checks + "}}}";
        extra.ticket = ticket.c_str();
        BJobFile job;
        readInto(job, outsideStream(source, extra), kJobFilePartFull);
        for (const auto& [profile, want] : {std::pair(job.GetProcessProfile(), c.process),
                                            std::pair(job.GetGrayscaleProfile(), c.grayscale)}) {
            if (want == nullptr) {
                EXPECT_EQ(profile, nullptr);
                continue;
            }
            ASSERT_NE(profile, nullptr);
            EXPECT_EQ(*profile, zpath(temp_, want));
        }
        EXPECT_EQ(job.GetOutputProfile(), job.GetProcessProfile());
        job.style = 1;
        EXPECT_EQ(job.GetOutputProfile(), job.GetGrayscaleProfile());
    }
}

TEST_F(JobFile, PageItemFileHoldsTheDocumentItemsAndEachPageOfPageSetTwo) {
    TempFolder temp;
    BJobFile job;
    job.pageItemFile.assign(zpath(temp, "items.bin"));
    job.GetAbsoluteRuns().AddRun(1, 2);
    job.GetAbsoluteRuns().AddRun(7, 1);
    BPageSet& set = job.GetPageSet(2);
    auto documentItem = std::make_shared<BPageItem>();
    documentItem->page = -1;
    auto text = std::make_shared<BTextRunItem>();
    text->page = 1;
    auto graphic = std::make_shared<BPlacedGraphic>();
    graphic->page = 2;
    set.items.Append(documentItem);
    set.items.Append(graphic);
    set.items.Append(text);
    for (bool enabled : {false, true}) {
        set.pageFlatteners.push_back(std::make_shared<BTransparencyFlattener>());
        set.pageFlatteners.back()->page = 2;
        set.pageFlatteners.back()->enabled = enabled;
    }
    job.GetPageSet(1).items.Append(std::make_shared<BPageItem>());

    ASSERT_TRUE(job.WritePageItemFile());

    std::ifstream file(temp.at("items.bin"), std::ios::binary);
    UKeyInStream in(file);
    EXPECT_FALSE(in.has_key(UKeyStream::kIdentifierKey));
    in.enter_record(10);
    // Each item of record 10: 120 the page index, 140 the page's items, 180 the last flattener
    // record of the page.
    struct Page {
        std::int32_t index;
        std::int32_t kind; // of the page's one item; 0: no item
        bool flattener;
    };
    for (const Page& page :
         {Page{-2, 20, false}, Page{0, 10, false}, Page{1, 210, true}, Page{2, 0, false}}) {
        SCOPED_TRACE(page.index);
        ASSERT_TRUE(in.next_item());
        std::int32_t index = 99;
        in.select_key(120).read_int(index);
        EXPECT_EQ(index, page.index);
        in.enter_record(140);
        std::int32_t kind = 0;
        if (in.next_item())
            in.select_key(1110).read_int(kind);
        EXPECT_EQ(kind, page.kind);
        EXPECT_FALSE(in.next_item());
        in.leave();
        EXPECT_EQ(in.has_key(180), page.flattener);
        BTransparencyFlattener read;
        read.Read(in);
        EXPECT_EQ(read.enabled, page.flattener);
    }
    EXPECT_FALSE(in.next_item());
}

// 100,000 items appended round-robin over 10,000 pages: each page's record holds its ten items
// in list order, and the even pages their flattener. Writing takes time in proportion to the
// items, so this stays quick.
TEST_F(JobFile, PageItemFileOfManyItemsGroupsThemByPageInListOrder) {
    constexpr std::int32_t kPages = 10000;
    constexpr std::int32_t kItems = 100000;
    TempFolder temp;
    BJobFile job;
    job.pageItemFile.assign(zpath(temp, "items.bin"));
    job.GetAbsoluteRuns().AddRun(1, kPages);
    BPageSet& set = job.GetPageSet(2);
    for (std::int32_t i = 0; i < kItems; ++i) {
        auto item = std::make_shared<BPageItem>();
        item->page = i % kPages + 1;
        item->scale1 = i;
        set.items.Append(item);
    }
    for (std::int32_t page = 2; page <= kPages; page += 2) {
        set.pageFlatteners.push_back(std::make_shared<BTransparencyFlattener>());
        set.pageFlatteners.back()->page = page;
        set.pageFlatteners.back()->enabled = true;
    }
    ASSERT_TRUE(job.WritePageItemFile());

    std::ifstream file(temp.at("items.bin"), std::ios::binary);
    UKeyInStream in(file);
    in.enter_record(10);
    ASSERT_TRUE(in.next_item()); // the document level, without items
    for (std::int32_t page = 1; page <= kPages; ++page) {
        ASSERT_TRUE(in.next_item());
        std::int32_t index = 0;
        in.select_key(120).read_int(index);
        ASSERT_EQ(index, page - 1);
        in.enter_record(140);
        for (std::int32_t i = page - 1; i < kItems; i += kPages) {
            ASSERT_TRUE(in.next_item());
            double scale = -1;
            in.select_key(1112).read_double(scale);
            ASSERT_EQ(scale, i);
        }
        ASSERT_FALSE(in.next_item());
        in.leave();
        ASSERT_EQ(in.has_key(180), page % 2 == 0);
    }
    EXPECT_FALSE(in.next_item());
}

TEST_F(JobFile, PageItemFileThatCannotBeWrittenIsAnError) {
    TempFolder temp;
    BJobFile job;
    LogCapture log;
    const ustring missing = zpath(temp, "missing/items.bin");
    job.pageItemFile.assign(missing);
    EXPECT_FALSE(job.WritePageItemFile());
    EXPECT_NE(log.text().find("[ERROR]"), std::string::npos);
    EXPECT_NE(log.text().find("BJobFile::WritePageItemFile"), std::string::npos);
    EXPECT_NE(log.text().find("cannot open page-item file " + missing.toStdString()),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(temp.at("missing")));

    job.pageItemFile.clear();
    EXPECT_FALSE(job.WritePageItemFile());

    if (std::filesystem::exists("/dev/full")) {
        LogCapture full;
        job.pageItemFile.assign("Z:/dev/full");
        EXPECT_FALSE(job.WritePageItemFile());
        EXPECT_NE(full.text().find("cannot write page-item file Z:/dev/full"), std::string::npos);
    }
}

TEST_F(JobFile, FailedReadLeavesTheJobTheDefaultSettingsAndTheFlag) {
    BJobFile job;
    fillJob(job);
    Outside good;
    good.defaults = R"({"Transparency": {"type": "boolean"}})";
    good.forbidPDF = false;
    BJobFile first;
    readInto(first, outsideStream(job, good), kJobFilePartFull);
    const std::string before = bytesOf(job, kJobFilePartFull);

    // Streams with new defaults, a new job and 'BP' = true that fail further on.
    BJobFile other;
    other.jobName = "other";
    addDestination(*other.GetGroups().AddGroup(), "7", 10, 10)->SetName("NNNNNNNN");
    Outside bad;
    bad.defaults = R"({"Hairline": {"type": "limitsLow"}, "Other": {"type": "boolean"}})";
    bad.forbidPDF = true;
    std::string corruptGroup = outsideStream(other, bad);
    // The destination name's length byte now runs past its record.
    const std::size_t name = corruptGroup.find("CC\x08\x05NNNNNNNN"s);
    ASSERT_NE(name, std::string::npos);
    corruptGroup[name + 2] = '\xFE';
    bad.rawTicket = "not a message";
    struct Case {
        std::string bytes;
        const char* error;
    };
    for (const Case& c : {Case{outsideStream(other, bad), "UKeyInStream: corrupt stream"},
                          Case{corruptGroup, "UKeyInStream: corrupt stream"},
                          Case{"not a job file", "UKeyInStream: meta key mismatch"}}) {
        SCOPED_TRACE(c.error);
        try {
            readInto(job, c.bytes, kJobFilePartFull);
            ADD_FAILURE() << "read succeeded";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), c.error);
        }
        EXPECT_EQ(bytesOf(job, kJobFilePartFull), before);
        EXPECT_EQ(GetDefaultSettings().size(), 1u);
        EXPECT_TRUE(GetDefaultSettings().contains("Transparency"));
        EXPECT_FALSE(GetForceEPSExport());
    }

    // A stream that has already failed is ignored.
    std::istringstream failed(outsideStream(other, Outside()));
    failed.setstate(std::ios::failbit);
    job.Read(failed, kJobFilePartFull);
    EXPECT_EQ(bytesOf(job, kJobFilePartFull), before);
    EXPECT_EQ(GetDefaultSettings().size(), 1u);
}

TEST_F(JobFile, SampleJobFileReadsAsDescribed) {
    std::ifstream in(ZEP_TEST_DATA_DIR "/sample_job.job5", std::ios::binary);
    ASSERT_TRUE(in.is_open());
    BJobFile job;
    job.Read(in, kJobFilePartFull);
    EXPECT_EQ(job.identifier, "5A1E0B7C-0D2E-4F31-9A6B-2C4D6E8F0A1B");
    EXPECT_EQ(job.jobName, "Spring sale");
    EXPECT_EQ(job.outputFile.path(), "Z:/tmp/zephrin-sample-job/spring-sale.pdf");
    EXPECT_EQ(job.GetAbsoluteRuns().GetPageCount(), 2);
    ASSERT_EQ(job.GetGroups().size(), 2u);
    EXPECT_EQ(job.GetCurrentGroup().size(), 2u);
    expectBox(job.trimBox, {-90, -50, 180, 100});
    expectBox(job.bleedBox, {-93, -63, 186, 126});
    EXPECT_EQ(job.GetCheckSettings().GetSeverity(keystr::Transparency), eProblemSeverity_Fault);
    EXPECT_EQ(job.GetCheckSettings().GetPDFVersion(), 1.4);
    EXPECT_FALSE(GetForceEPSExport());
    ASSERT_NE(job.GetProcessProfile(), nullptr);
    EXPECT_EQ(UFileSpecCore(*job.GetProcessProfile()).name(), "ISOcoated_v2_eci.icc");
}

} // namespace
