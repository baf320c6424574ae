// Tests of the job file: the "JOB5" head, round trips under the masks 2, 4 and 52, the box rules,
// the elements that only outside job files carry ('Dp', 'SR', 'BP'), the output profiles, the
// page-item file, and reads that fail without touching the job.
#include "BJobFile.h"

#include "KeyStrings.h"
#include "SettingDefinitions.h"
#include "UKeyStream.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t Key(char high, char low) {
    return static_cast<std::uint16_t>(high << 8 | low);
}

std::shared_ptr<umessage> fromJson(const char* text) {
    auto message = std::make_shared<umessage>();
    std::istringstream in(text);
    EXPECT_TRUE(message->read(in)) << text;
    return message;
}

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
            keys.select_key(Key('D', 'p')).write_message(*fromJson(extra.defaults));
        job.WriteBody(keys, kJobFilePartFull);
        if (extra.ticket)
            keys.select_key(Key('S', 'R')).write_message(*fromJson(extra.ticket));
        if (!extra.rawTicket.empty())
            keys.select_key(Key('S', 'R'))
                .write_binary(extra.rawTicket.data(),
                              static_cast<std::uint32_t>(extra.rawTicket.size()));
        if (extra.forbidPDF) {
            keys.begin_record(Key('B', 'P'));
            keys.select_key(Key('B', 'r')).write_bool(*extra.forbidPDF);
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

void expectBox(const zeu::Rect2D& box, double x, double y, double width, double height) {
    EXPECT_EQ(box.x, x);
    EXPECT_EQ(box.y, y);
    EXPECT_EQ(box.width, width);
    EXPECT_EQ(box.height, height);
}

// Every test starts with no definitions, an empty default-settings message and PDF forbidden.
class JobFile : public ::testing::Test {
protected:
    void SetUp() override { resetProcessState(); }
    void TearDown() override { resetProcessState(); }
    static void resetProcessState() {
        ResetDefaultSettings();
        SettingDefinitionsRegistry::Reset();
        ResetForceEPSExport();
    }
};

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

TEST_F(JobFile, StreamBeginsWithTheJob5HeadAndTheJobRecord) {
    BJobFile job;
    const std::string bytes = bytesOf(job, kJobFilePartFull);
    ASSERT_GT(bytes.size(), 26u);
    // 'KS', the root's 5-byte length (checked below), record; 'ID' = "JOB5"; version 1; 'JJ'.
    EXPECT_EQ(bytes.substr(0, 3), std::string("\x4B\x53\xFF", 3));
    EXPECT_EQ(bytes.substr(7, 17),
              std::string("\x06\x49\x44\x04\x02JOB5\xC0\xDE\x01\x02\x01JJ\xFF", 17));
    const auto root = static_cast<std::uint32_t>(
        static_cast<unsigned char>(bytes[3]) << 24 | static_cast<unsigned char>(bytes[4]) << 16 |
        static_cast<unsigned char>(bytes[5]) << 8 | static_cast<unsigned char>(bytes[6]));
    EXPECT_EQ(root, bytes.size() - 8);
    std::uint32_t identifier = 0;
    bool ok = false;
    std::istringstream in(bytes);
    UKeyInStream::probe(in, identifier, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(identifier, 0x4A4F4235u);
}

TEST_F(JobFile, FirstWriteMakesAnIdentifierThatIsKept) {
    BJobFile job;
    bytesOf(job, kJobFilePartSummary);
    const ustring identifier = job.identifier;
    ASSERT_EQ(identifier.size(), 36u);
    for (char c : identifier.toStdString())
        EXPECT_TRUE(c == '-' || std::isdigit(c) || (c >= 'A' && c <= 'F')) << identifier;
    bytesOf(job, kJobFilePartFull);
    EXPECT_EQ(job.identifier, identifier);
    BJobFile copy;
    readInto(copy, bytesOf(job, kJobFilePartSummary), kJobFilePartSummary);
    EXPECT_EQ(copy.identifier, identifier);
}

TEST_F(JobFile, FullJobRoundTrips) {
    BJobFile job;
    fillJob(job);
    const std::string bytes = bytesOf(job, kJobFilePartFull);
    BJobFile copy;
    readInto(copy, bytes, kJobFilePartFull);

    EXPECT_EQ(copy.jobFolder.path(), "Z:/jobs/ad");
    EXPECT_EQ(copy.outputFile.path(), "Z:/jobs/ad/out.pdf");
    EXPECT_EQ(copy.pathPD.path(), "Z:/jobs/pd");
    EXPECT_EQ(copy.pageItemFile.path(), "Z:/jobs/ad/items.bin");
    EXPECT_EQ(copy.jobName, "Spring sale");
    EXPECT_EQ(copy.documentName, "spring.indd");
    EXPECT_EQ(copy.textSN, "sn");
    EXPECT_EQ(copy.identifier, job.identifier);
    expectBox(copy.bleedBox, -93, -63, 186, 126);
    expectBox(copy.trimBox, -90, -50, 180, 100);
    expectBox(copy.typeArea, -80, -40, 160, 80);
    EXPECT_EQ(copy.pageCount, 2);
    EXPECT_EQ(copy.pageCP, 2);
    EXPECT_EQ(copy.pageLC, 3);
    EXPECT_EQ(copy.layoutHorizontalBleed, 3);
    EXPECT_EQ(copy.layoutVerticalBleed, 13);
    EXPECT_EQ(copy.layoutWidth, 186);
    EXPECT_EQ(copy.layoutDepth, 126);
    EXPECT_TRUE(copy.flagSE);
    EXPECT_TRUE(copy.commonSizing);
    EXPECT_EQ(copy.style, 4);
    ASSERT_EQ(copy.GetSectionRuns().size(), 1u);
    EXPECT_EQ(copy.GetSectionRuns()[0].sectionName, "A");
    EXPECT_EQ(copy.GetSectionRuns()[0].pageCount, 2);
    EXPECT_EQ(copy.GetAbsoluteRuns().GetPageCount(), 2);
    ASSERT_EQ(copy.GetExportedDestinations().size(), 1u);
    EXPECT_EQ(copy.GetExportedDestinations()[0].identifier, 17);
    ASSERT_EQ(copy.GetGroups().GetCount(), 2u);
    EXPECT_EQ(&copy.GetCurrentGroup(), copy.GetGroups().GetGroup(0));
    const BDestination* destination = copy.GetCurrentGroup().GetDestination(0);
    EXPECT_EQ(destination->GetName(), "Daily");
    EXPECT_EQ(destination->GetIdentifier(), "12345");
    EXPECT_EQ(destination->GetOwner(), &copy);
    // Written again, the copy gives the same bytes.
    EXPECT_EQ(bytesOf(copy, kJobFilePartFull), bytes);
}

TEST_F(JobFile, SummaryReadLeavesWhatItDoesNotCarry) {
    BJobFile source;
    fillJob(source);
    BJobFile job;
    job.jobName = "kept";
    job.outputFile.assign("Z:/kept.pdf");
    job.pageCount = 9;
    job.GetAbsoluteRuns().AddRun(4, 5);
    readInto(job, bytesOf(source, kJobFilePartSummary), kJobFilePartSummary);

    EXPECT_EQ(job.style, 4);
    EXPECT_EQ(job.identifier, source.identifier);
    EXPECT_EQ(job.textSN, "sn");
    EXPECT_EQ(job.documentName, "spring.indd");
    expectBox(job.trimBox, -90, -50, 180, 100);
    EXPECT_EQ(job.layoutDepth, 126);
    EXPECT_TRUE(job.flagSE);
    EXPECT_TRUE(job.commonSizing);
    EXPECT_EQ(job.GetGroups().GetCount(), 2u);

    EXPECT_EQ(job.jobName, "kept");
    EXPECT_EQ(job.outputFile.path(), "Z:/kept.pdf");
    EXPECT_FALSE(job.jobFolder.is_valid());
    EXPECT_EQ(job.pageCount, 9);
    EXPECT_EQ(job.GetAbsoluteRuns().GetPageCount(), 5);
    EXPECT_TRUE(job.GetSectionRuns().empty());
    EXPECT_TRUE(job.GetExportedDestinations().empty());
}

TEST_F(JobFile, FullReadEmptiesStringsAndPathsThatTheStreamLacks) {
    BJobFile source;
    BJobFile job;
    fillJob(job);
    readInto(job, bytesOf(source, kJobFilePartFull), kJobFilePartFull);
    EXPECT_EQ(job.jobName, "");
    EXPECT_EQ(job.textSN, "");
    EXPECT_FALSE(job.outputFile.is_valid());
    EXPECT_FALSE(job.jobFolder.is_valid());
    EXPECT_TRUE(job.GetSectionRuns().empty());
    EXPECT_TRUE(job.GetExportedDestinations().empty());
    EXPECT_EQ(job.GetGroups().GetCount(), 0u);
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
    expectBox(job.trimBox, 0, 0, 150, 80);
    expectBox(job.bleedBox, 0, 0, 160, 90);

    BJobFile sent;
    readInto(sent, out.str(), kJobFilePartFull);
    ASSERT_EQ(sent.GetGroups().GetCount(), 1u);
    const BGroup& group = *sent.GetGroups().GetGroup(0);
    EXPECT_TRUE(group.IsSelected());
    ASSERT_EQ(group.GetCount(), 1u);
    EXPECT_EQ(group.GetDestination(0)->GetIdentifier(), "2");

    // Nothing is left to send after the second group: the selection stays and the boxes are
    // not recomputed.
    job.trimBox = {1, 2, 3, 4};
    std::ostringstream again;
    job.WriteExported(again);
    EXPECT_EQ(job.GetGroups().GetSelectedGroup(), second);
    EXPECT_EQ(job.GetGroups().FindFirstUnexportedGroup(), nullptr);
    expectBox(job.trimBox, 1, 2, 3, 4);
}

TEST_F(JobFile, BoxesAtTheOriginAreCentredOnReading) {
    struct Case {
        const char* name;
        zeu::Rect2D bleed, trim, type;
        zeu::Rect2D wantBleed, wantTrim, wantType;
    };
    const Case cases[] = {
        {"all at the origin",
         {0, 0, 100, 50},
         {0, 0, 90, 40},
         {0, 0, 80, 30},
         {-50, -25, 100, 50},
         {-45, -20, 90, 40},
         {-40, -15, 80, 30}},
        {"one elsewhere",
         {0, 0, 100, 50},
         {0, 0, 90, 40},
         {5, 0, 80, 30},
         {0, 0, 100, 50},
         {0, 0, 90, 40},
         {5, 0, 80, 30}},
        {"one unset",
         {0, 0, 100, 50},
         {0, 0, 90, 40},
         zeu::Rect2D::unset,
         {0, 0, 100, 50},
         {0, 0, 90, 40},
         zeu::Rect2D::unset},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BJobFile job;
        job.bleedBox = c.bleed;
        job.trimBox = c.trim;
        job.typeArea = c.type;
        BJobFile copy;
        readInto(copy, bytesOf(job, kJobFilePartSummary), kJobFilePartSummary);
        expectBox(copy.bleedBox, c.wantBleed.x, c.wantBleed.y, c.wantBleed.width,
                  c.wantBleed.height);
        expectBox(copy.trimBox, c.wantTrim.x, c.wantTrim.y, c.wantTrim.width, c.wantTrim.height);
        expectBox(copy.typeArea, c.wantType.x, c.wantType.y, c.wantType.width, c.wantType.height);
    }
}

TEST_F(JobFile, UnsetBoxesSurviveAndAbsentBoxesKeepTheirValue) {
    BJobFile job;
    BJobFile copy;
    readInto(copy, bytesOf(job, kJobFilePartFull), kJobFilePartFull);
    EXPECT_TRUE(copy.bleedBox.isUnset());
    EXPECT_TRUE(copy.trimBox.isUnset());
    EXPECT_TRUE(copy.typeArea.isUnset());
    EXPECT_EQ(copy.GetHorizontalBleed(), 0.0);
    EXPECT_EQ(copy.GetVerticalTypeIndent(), 0.0);

    // A stream whose 'JJ' holds no box and no style.
    std::ostringstream out;
    {
        UKeyOutStream keys(out, 0x4A4F4235);
        keys.begin_record(Key('J', 'J'));
        keys.end();
    }
    BJobFile kept;
    kept.trimBox = {1, 2, 3, 4};
    kept.style = 6;
    readInto(kept, out.str(), kJobFilePartFull);
    expectBox(kept.trimBox, 1, 2, 3, 4);
    EXPECT_EQ(kept.style, 6);
    EXPECT_FALSE(kept.IsOrdinaryStyle());
}

TEST_F(JobFile, ComputeBoxesTakesTheSmallestTrimAndTheLargestBleed) {
    BJobFile job;
    BGroup* group = job.GetGroups().AddGroup();
    addDestination(*group, "1", 200, 100);
    addDestination(*group, "2", 180, 120, 3);
    job.typeArea = {-1, -1, 2, 2};

    // No group selected: the default group has no destination.
    job.ComputeBoxes();
    expectBox(job.bleedBox, 0, 0, 0, 0);
    expectBox(job.trimBox, 0, 0, 0, 0);
    expectBox(job.typeArea, -1, -1, 2, 2);

    job.GetGroups().SelectGroup(group);
    job.ComputeBoxes();
    expectBox(job.trimBox, 0, 0, 180, 100);
    expectBox(job.bleedBox, 0, 0, 186, 126);
    expectBox(job.typeArea, -1, -1, 2, 2);
    EXPECT_EQ(job.GetHorizontalBleed(), 3.0);
    EXPECT_EQ(job.GetVerticalBleed(), 13.0);

    group->GetDestination(0)->SetTypeIndents(10, 10, 5, 15);
    job.ComputeBoxes();
    expectBox(job.typeArea, 0, 0, 180, 80);
    EXPECT_EQ(job.GetHorizontalTypeIndent(), 0.0);
    EXPECT_EQ(job.GetVerticalTypeIndent(), 10.0);
}

TEST_F(JobFile, CommonSizingCountsEveryGroupAndItsFullBleedSize) {
    BJobFile job;
    BGroup* first = job.GetGroups().AddGroup();
    BGroup* second = job.GetGroups().AddGroup();
    addDestination(*first, "1", 200, 100);
    addDestination(*second, "2", 180, 150);
    // A destination of another job does not count.
    BJobFile other;
    auto stranger = std::make_unique<BDestination>(&other);
    stranger->SetSize(10, 10);
    second->Append(std::move(stranger));
    job.commonSizing = true;
    job.ComputeBoxes();
    expectBox(job.trimBox, 0, 0, 180, 100);
    expectBox(job.bleedBox, 0, 0, 200, 150);
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

// A temporary folder of the test's own, in the system's drive form.
class JobFolder : public JobFile {
protected:
    void SetUp() override {
        JobFile::SetUp();
        posix_ = fs::temp_directory_path() / ("jobfile-" + std::to_string(std::random_device()()));
        fs::create_directories(posix_);
    }
    void TearDown() override {
        fs::remove_all(posix_);
        JobFile::TearDown();
    }
    ustring at(const std::string& leaf) const { return ("Z:" + (posix_ / leaf).string()).c_str(); }

    fs::path posix_;
};

TEST_F(JobFolder, PlacedImagesFolderIsMadeInTheJobFolderOnly) {
    BJobFile job;
    EXPECT_EQ(job.GetPlacedImagesFolder().path(), "");
    job.jobFolder.assign("Z:");
    EXPECT_EQ(job.GetPlacedImagesFolder().path(), "");

    job.jobFolder.assign(at("job"));
    fs::create_directories(posix_ / "job");
    const UFileSpecCore folder = job.GetPlacedImagesFolder();
    EXPECT_EQ(folder.path(), at("job/PlacedImages"));
    EXPECT_TRUE(fs::is_directory(posix_ / "job" / "PlacedImages"));
    EXPECT_EQ(job.GetPlacedImagesFolder().path(), folder.path());
}

TEST_F(JobFile, OutsideElementsSetTheDefinitionsTheSettingsAndThePDFFlag) {
    BJobFile source;
    source.jobName = "outside";
    Outside extra;
    extra.defaults = R"({"Transparency": {"type": "boolean", "defaults": {"sev": "warn"}},
                         "Hairline": {"type": "boolean", "defaults": {"sev": "note"}}})";
    extra.ticket = R"({"qcs": {"checks": {"Transparency": {"sev": "fault"}}}})";
    extra.forbidPDF = false;
    ASSERT_TRUE(GetForceEPSExport());

    BJobFile job;
    readInto(job, outsideStream(source, extra), kJobFilePartFull);
    EXPECT_EQ(job.jobName, "outside");
    EXPECT_TRUE(GetDefaultSettings().contains("Transparency"));
    ASSERT_NE(SettingDefinitionsRegistry::Instance(), nullptr);
    ASSERT_NE(job.GetCheckSettings().FindSorted(keystr::Transparency), nullptr);
    EXPECT_EQ(job.GetCheckSettings().GetSeverity(keystr::Transparency), eProblemSeverity_Fault);
    EXPECT_EQ(job.GetCheckSettings().FindSorted(keystr::Hairline), nullptr);
    EXPECT_EQ(job.GetCheckSettings().GetSeverity(keystr::Hairline), eProblemSeverity_Note);
    EXPECT_FALSE(GetForceEPSExport());

    // The job's own bytes never carry them: a copy loses the settings, and a stream without
    // 'Dp' empties the default settings, while the flag stays without 'BP'.
    BJobFile copy;
    readInto(copy, bytesOf(job, kJobFilePartFull), kJobFilePartFull);
    EXPECT_EQ(copy.GetCheckSettings().FindSorted(keystr::Transparency), nullptr);
    EXPECT_TRUE(GetDefaultSettings().empty());
    EXPECT_FALSE(GetForceEPSExport());
}

TEST_F(JobFile, SummaryReadIgnoresTheTicket) {
    BJobFile source;
    Outside extra;
    extra.defaults = R"({"Transparency": {"type": "boolean"}})";
    extra.ticket = R"({"qcs": {"checks": {"Transparency": {"sev": "fault"}}}})";
    extra.forbidPDF = true;
    SetForceEPSExport(false);
    BJobFile job;
    readInto(job, outsideStream(source, extra), kJobFilePartSummary);
    EXPECT_EQ(job.GetCheckSettings().FindSorted(keystr::Transparency), nullptr);
    EXPECT_TRUE(GetForceEPSExport());
}

// A colour-profile folder of the test's own behind special folder 6.
class JobColourFolder : public JobFolder {
protected:
    void SetUp() override {
        JobFolder::SetUp();
        fs::create_directories(posix_ / "icc");
        std::ofstream(posix_ / "icc" / "Coated.icc") << "profile";
        setenv("ZEP_COLOR_DIR", (posix_ / "icc").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("ZEP_COLOR_DIR");
        JobFolder::TearDown();
    }

    void readTicket(BJobFile& job, const char* ticket) {
        BJobFile source;
        source.style = job.style;
        Outside extra;
        extra.defaults = kDefinitions;
        extra.ticket = ticket;
        readInto(job, outsideStream(source, extra), kJobFilePartFull);
    }

    static constexpr const char* kDefinitions = R"({
        "Setting_ProcessProfile": {"type": "stringParameter"},
        "Setting_GrayscaleProfile": {"type": "stringParameter"},
        "Setting_LocalOutputProfiles": {"type": "stringParameter"},
        "Setting_OverrideDestinationProfiles": {"type": "limitsHigh"}})";
};

TEST_F(JobColourFolder, ProfilesResolveToFilesOrIntoTheColourFolder) {
    BJobFile job;
    readTicket(job, R"({"qcs": {"checks": {
        "Setting_ProcessProfile": {"sev": "parameter", "P": ["Coated.icc"]},
        "Setting_GrayscaleProfile": {"sev": "parameter", "P": ["Gray.icc"]}}}})");
    ASSERT_NE(job.GetProcessProfile(), nullptr);
    EXPECT_EQ(*job.GetProcessProfile(), at("icc/Coated.icc"));
    ASSERT_NE(job.GetGrayscaleProfile(), nullptr);
    EXPECT_EQ(*job.GetGrayscaleProfile(), at("icc/Gray.icc"));
    EXPECT_EQ(job.GetOutputProfile(), job.GetProcessProfile());
    job.style = 1;
    EXPECT_EQ(job.GetOutputProfile(), job.GetGrayscaleProfile());

    // Without profile settings nothing is resolved.
    readTicket(job, R"({"qcs": {"checks": {}}})");
    EXPECT_EQ(job.GetProcessProfile(), nullptr);
    EXPECT_EQ(job.GetGrayscaleProfile(), nullptr);
    EXPECT_EQ(job.GetOutputProfile(), nullptr);
}

TEST_F(JobColourFolder, OverrideReplacesSilentProfilesByTheLocalOnes) {
    BJobFile job;
    readTicket(job, R"({"qcs": {"checks": {
        "Setting_ProcessProfile": {"sev": "parameter", "P": ["Coated.icc", "silent"]},
        "Setting_GrayscaleProfile": {"sev": "parameter", "P": ["Gray.icc", "loud"]},
        "Setting_LocalOutputProfiles": {"sev": "parameter", "P": ["Local.icc", "LocalGray.icc"]},
        "Setting_OverrideDestinationProfiles": {"sev": "warn", "note": 1}}}})");
    ASSERT_NE(job.GetProcessProfile(), nullptr);
    EXPECT_EQ(*job.GetProcessProfile(), at("icc/Local.icc"));
    ASSERT_NE(job.GetGrayscaleProfile(), nullptr);
    EXPECT_EQ(*job.GetGrayscaleProfile(), at("icc/Gray.icc"));

    // A profile named by an existing file's full path stays that path.
    const std::string existing = at("icc/Coated.icc").toStdString();
    const std::string ticket = R"({"qcs": {"checks": {"Setting_ProcessProfile": {"sev":
        "parameter", "P": [")" +
                               existing + R"("]}}}})";
    readTicket(job, ticket.c_str());
    ASSERT_NE(job.GetProcessProfile(), nullptr);
    EXPECT_EQ(*job.GetProcessProfile(), existing.c_str());
}

TEST_F(JobFolder, PageItemFileHoldsTheDocumentItemsAndEachPage) {
    BJobFile job;
    job.pageItemFile.assign(at("items.bin"));
    job.GetAbsoluteRuns().AddRun(1, 2);
    BPageSet& set = job.GetPageSet(2);
    auto documentItem = std::make_shared<BPageItem>();
    documentItem->page = -1;
    auto text = std::make_shared<BTextRunItem>();
    text->page = 1;
    text->AddProblem(keystr::TextBoxOverflowed);
    auto graphic = std::make_shared<BPlacedGraphic>();
    graphic->page = 2;
    graphic->fileType = kPlacedFilePDF;
    set.items.Append(documentItem);
    set.items.Append(graphic);
    set.items.Append(text);
    auto flattener = std::make_shared<BTransparencyFlattener>();
    flattener->page = 2;
    flattener->enabled = true;
    set.pageFlatteners.push_back(flattener);
    // Page set 1 is not written.
    job.GetPageSet(1).items.Append(std::make_shared<BPageItem>());

    ASSERT_TRUE(job.WritePageItemFile());

    std::ifstream file(posix_ / "items.bin", std::ios::binary);
    UKeyInStream in(file);
    EXPECT_FALSE(in.has_key(UKeyStream::kIdentifierKey));
    in.enter_record(10);

    // Each item of record 10: 120 the page index, 140 the page's items, 180 its flattener.
    struct Page {
        std::int32_t index;
        std::int32_t kind; // 0: no item
        const char* problem;
        const char* fileType;
        bool flattener;
    };
    const Page pages[] = {{-2, 20, nullptr, nullptr, false},
                          {0, 10, "TextBoxOverflowed", nullptr, false},
                          {1, 210, nullptr, "PDF", true}};
    for (const Page& page : pages) {
        SCOPED_TRACE(page.index);
        ASSERT_TRUE(in.next_item());
        std::int32_t index = 99;
        in.select_key(120).read_int(index);
        EXPECT_EQ(index, page.index);
        in.enter_record(140);
        ASSERT_TRUE(in.next_item());
        std::int32_t kind = 0;
        in.select_key(1110).read_int(kind);
        EXPECT_EQ(kind, page.kind);
        if (page.problem) {
            in.enter_record(1114);
            ustring problem;
            in.select_key(10).read_string(problem);
            EXPECT_EQ(problem, page.problem);
            in.leave();
        }
        if (page.fileType) {
            ustring name;
            in.select_key(1561).read_string(name);
            EXPECT_EQ(name, page.fileType);
        }
        EXPECT_FALSE(in.next_item());
        in.leave();
        EXPECT_EQ(in.has_key(180), page.flattener);
        if (page.flattener) {
            BTransparencyFlattener read;
            read.Read(in);
            EXPECT_TRUE(read.enabled);
        }
    }
    EXPECT_FALSE(in.next_item());
    in.leave();
}

TEST_F(JobFolder, PageItemFileThatCannotBeWrittenIsAnError) {
    BJobFile job;
    LogCapture log;
    job.pageItemFile.assign(at("missing/items.bin"));
    EXPECT_FALSE(job.WritePageItemFile());
    EXPECT_NE(log.text().find("[ERROR]"), std::string::npos);
    EXPECT_NE(log.text().find("BJobFile::WritePageItemFile"), std::string::npos);
    EXPECT_NE(
        log.text().find("cannot open page-item file " + at("missing/items.bin").toStdString()),
        std::string::npos);
    EXPECT_FALSE(fs::exists(posix_ / "missing"));

    job.pageItemFile.clear();
    EXPECT_FALSE(job.WritePageItemFile());

    if (fs::exists("/dev/full")) {
        LogCapture full;
        job.pageItemFile.assign("Z:/dev/full");
        EXPECT_FALSE(job.WritePageItemFile());
        EXPECT_NE(full.text().find("cannot write page-item file Z:/dev/full"), std::string::npos);
    }
}

// A job holding a good read, and the bytes that give it back unchanged.
class FailedRead : public JobFile {
protected:
    void SetUp() override {
        JobFile::SetUp();
        fillJob(job_);
        Outside extra;
        extra.defaults = R"({"Transparency": {"type": "boolean"}})";
        extra.forbidPDF = false;
        BJobFile good;
        readInto(good, outsideStream(job_, extra), kJobFilePartFull);
        before_ = bytesOf(job_, kJobFilePartFull);
        ASSERT_FALSE(GetForceEPSExport());
    }

    // The job, the default settings and the flag are as the good read left them.
    void expectUnchanged() {
        EXPECT_EQ(bytesOf(job_, kJobFilePartFull), before_);
        EXPECT_EQ(job_.jobName, "Spring sale");
        EXPECT_EQ(job_.GetGroups().GetCount(), 2u);
        EXPECT_TRUE(GetDefaultSettings().contains("Transparency"));
        EXPECT_EQ(GetDefaultSettings().size(), 1u);
        EXPECT_FALSE(GetForceEPSExport());
    }

    // A stream with new defaults, a new job and 'BP' = true.
    std::string otherStream(const std::string& rawTicket = std::string()) {
        BJobFile other;
        other.jobName = "other";
        addDestination(*other.GetGroups().AddGroup(), "7", 10, 10)->SetName("NNNNNNNN");
        Outside extra;
        extra.defaults = R"({"Hairline": {"type": "limitsLow"}, "Other": {"type": "boolean"}})";
        extra.rawTicket = rawTicket;
        extra.forbidPDF = true;
        return outsideStream(other, extra);
    }

    BJobFile job_;
    std::string before_;
};

TEST_F(FailedRead, TicketThatDoesNotUnflattenLeavesTheJob) {
    const std::string bytes = otherStream("not a message");
    std::istringstream in(bytes);
    EXPECT_THROW(job_.Read(in, kJobFilePartFull), std::runtime_error);
    expectUnchanged();
}

TEST_F(FailedRead, CorruptGroupRecordLeavesTheJob) {
    std::string bytes = otherStream();
    // The destination name's length byte now runs past its record.
    const std::string name("\x43\x43\x08\x05NNNNNNNN", 12);
    const std::size_t at = bytes.find(name);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 2] = '\xFE';
    std::istringstream in(bytes);
    try {
        job_.Read(in, kJobFilePartFull);
        ADD_FAILURE() << "read succeeded";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "UKeyInStream: corrupt stream");
    }
    expectUnchanged();
}

TEST_F(FailedRead, BytesThatAreNoKeyedStreamOrAFailedStreamLeaveTheJob) {
    std::istringstream garbage("not a job file");
    try {
        job_.Read(garbage, kJobFilePartFull);
        ADD_FAILURE() << "read succeeded";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "UKeyInStream: meta key mismatch");
    }
    expectUnchanged();

    std::istringstream failed(otherStream());
    failed.setstate(std::ios::failbit);
    job_.Read(failed, kJobFilePartFull);
    expectUnchanged();
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
    ASSERT_EQ(job.GetGroups().GetCount(), 2u);
    EXPECT_EQ(job.GetCurrentGroup().GetCount(), 2u);
    expectBox(job.trimBox, -90, -50, 180, 100);
    expectBox(job.bleedBox, -93, -63, 186, 126);
    EXPECT_EQ(job.GetCheckSettings().GetSeverity(keystr::Transparency), eProblemSeverity_Fault);
    EXPECT_EQ(job.GetCheckSettings().GetPDFVersion(), 1.4);
    EXPECT_FALSE(GetForceEPSExport());
    ASSERT_NE(job.GetProcessProfile(), nullptr);
    EXPECT_EQ(UFileSpecCore(*job.GetProcessProfile()).name(), "ISOcoated_v2_eci.icc");
}

} // namespace
