#include "model/BJobFile.h"

#include "model/KeyStrings.h"
#include "support/CheckSettingTest.h"
#include "support/ColourProfileFolder.h"
#include "support/KeyStreamBytes.h"
#include "support/LogCapture.h"
#include "support/OutsideJob.h"
#include "support/Test.h"
#include "support/Throws.h"
#include "utils/uuid.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>

namespace {

using namespace std::string_literals;
using Box = std::array<double, 4>; // x, y, width, height

Box corners(const zeu::Rect2D& box) {
    return {box.x, box.y, box.width, box.height};
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

std::string outsideStream(BJobFile& job, const OutsideElements& extra) {
    std::ostringstream out;
    writeOutsideJob(out, job, extra);
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

// Every test starts with no definitions, an empty default-settings message and PDF forbidden.
using JobFile = CheckSettingTest;

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
    job.pageCount = job.pageCP = 2;
    job.pageLC = 3;
    job.layoutHorizontalBleed = 3;
    job.layoutVerticalBleed = 13;
    job.layoutWidth = 186;
    job.layoutDepth = 126;
    job.flagSE = job.commonSizing = true;
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
    // A box is an array of the doubles left, top, right, bottom (values in arrays carry no key).
    const auto box = [](std::uint16_t key, double l, double t, double r, double b) {
        std::string edges;
        for (double edge : {l, t, r, b})
            edges += doubleElement(0, edge).substr(2);
        return level(key, UKeyStream::field_array, edges);
    };
    const double inf = std::numeric_limits<double>::infinity();
    const std::string always =
        intElement('St', 2) + stringElement('Pv', "748") + stringElement('SS', "U") +
        stringElement('DN', "N") + stringElement('SN', "") + stringElement('LN', "") +
        box('RB', inf, inf, inf, inf) + box('RT', 0, 0, 4, 2) + box('RY', inf, inf, inf, inf);
    const std::string summary = doubleElement('LH', 0) + doubleElement('LV', 0) +
                                doubleElement('Lw', 0) + doubleElement('Ld', 0) +
                                boolElement('SE', false) + boolElement('CZ', true);
    const std::string full = intElement('NP', 2) + intElement('CP', 1) + intElement('LC', 0) +
                             stringElement('TF', "Z:/j") + stringElement('FS', "") +
                             stringElement('PD', "") + stringElement('PI', "") + record('LX', "") +
                             record('PR', intElement('sS', 1) + intElement('sN', 2)) +
                             record('EL', "");
    const std::string head = intElement('ID', 0x4A4F4235) + intElement(0xC0DE, 1); // "JOB5", 1
    for (const auto& [mask, content] : {std::pair(kJobFilePartSummary, always + summary),
                                        std::pair(kJobFilePartFull, always + summary + full)}) {
        EXPECT_EQ(hex(bytesOf(job, mask)),
                  hex(record('KS', head + record('JJ', content) + record('GG', ""))))
            << mask;
    }
}

// Every stored field holds a value other than its start value, so rewriting the copy gives the
// same bytes only when each was read back. The first write makes the identifier.
TEST_F(JobFile, FullJobRoundTripsWithTheIdentifierMadeByTheFirstWrite) {
    BJobFile job;
    fillJob(job);
    const std::string bytes = bytesOf(job, kJobFilePartFull);
    EXPECT_EQ(uuid::fromString(job.identifier).toString(), job.identifier);
    BJobFile copy;
    readInto(copy, bytes, kJobFilePartFull);
    EXPECT_EQ(bytesOf(copy, kJobFilePartFull), bytes) << "the identifier is kept";
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
    EXPECT_EQ(
        std::tuple(job.outputFile.path(), job.pageCount, job.GetAbsoluteRuns().GetPageCount()),
        std::tuple("Z:/kept.pdf", 9, 5));
    EXPECT_TRUE(job.GetExportedDestinations().GetItems().empty());
}

TEST_F(JobFile, FullReadEmptiesStringsPathsAndListsThatTheStreamLacks) {
    BJobFile source;
    BJobFile job;
    fillJob(job);
    readInto(job, bytesOf(source, kJobFilePartFull), kJobFilePartFull);
    EXPECT_EQ(job.jobName + job.textSN + job.outputFile.path(), "");
    EXPECT_TRUE(job.GetSectionRuns().empty() && job.GetGroups().empty() &&
                job.GetExportedDestinations().GetItems().empty());
    // A 'JJ' without boxes and style keeps them.
    job.trimBox = {1, 2, 3, 4};
    job.style = 6;
    readInto(job, writeKeyStream([](UKeyOutStream& out) { out.begin_record('JJ').end(); }),
             kJobFilePartFull);
    EXPECT_EQ(corners(job.trimBox), (Box{1, 2, 3, 4}));
    EXPECT_EQ(job.style, 6);
}

TEST_F(JobFile, InMemoryFieldsStartAsANewJobHasThemAndNoReadOrWriteTouchesThem) {
    BJobFile job;
    EXPECT_EQ(&job.GetCurrentPageSet(), &job.GetPageSet(1));
    for (const zeu::Rect2D* box : {&job.thirdUnstoredBox, &job.fourthUnstoredBox,
                                   &job.fifthUnstoredBox, &job.epsPageBox, &job.epsSecondBox})
        EXPECT_TRUE(box->isUnset());
    EXPECT_FALSE(job.unstoredFlag);
    EXPECT_TRUE(job.GetSecondSectionRuns().empty());

    job.SetCurrentPageSet(2);
    expectThrowsWithText<std::out_of_range>([&] { job.SetCurrentPageSet(3); },
                                            "BJobFile::GetPageSet");
    EXPECT_EQ(&job.GetCurrentPageSet(), &job.GetPageSet(2)) << "a refused choice changes nothing";

    // Set in memory, they survive a full read and are not in what the job writes.
    job.GetSecondSectionRuns().AddPage("B", 'N', 4);
    job.thirdUnstoredBox = {1, 2, 3, 4};
    job.unstoredFlag = true;
    const std::string bytes = bytesOf(job, kJobFilePartFull);
    BJobFile plain;
    plain.identifier = job.identifier;
    EXPECT_EQ(bytes, bytesOf(plain, kJobFilePartFull));
    readInto(job, bytes, kJobFilePartFull);
    EXPECT_EQ(job.GetSecondSectionRuns().GetPageCount(), 1);
    EXPECT_EQ(corners(job.thirdUnstoredBox), (Box{1, 2, 3, 4}));
    EXPECT_TRUE(job.unstoredFlag);
    EXPECT_EQ(&job.GetCurrentPageSet(), &job.GetPageSet(2));

    // The style predicate: false exactly for the styles 2, 5 and 6.
    for (const auto& [style, ordinary] : {std::pair(0, true),
                                          {1, true},
                                          {2, false},
                                          {3, true},
                                          {4, true},
                                          {5, false},
                                          {6, false},
                                          {7, true},
                                          {-1, true}}) {
        job.style = style;
        EXPECT_EQ(job.IsOrdinaryStyle(), ordinary) << style;
    }
}

// A stored path ends at its first NUL, as every string does, unless more than NULs follow: cut
// there it would name another file than the one stored, so it is kept whole, naming none. The
// job's other strings still end at their first NUL.
TEST_F(JobFile, APathThatGoesOnPastANulIsKeptWhole) {
    const std::pair<ustring, ustring> cases[] = {
        {ustring("Z:/a\0b.pdf", 10), ustring("Z:/a\0b.pdf", 10)},
        {ustring("\0Z:/a.pdf", 9), ustring("\0Z:/a.pdf", 9)},
        {ustring("Z:/a.pdf\0\0", 10), "Z:/a.pdf"},
        {ustring("\0\0\0", 3), ""},
        {"Z:/a.pdf", "Z:/a.pdf"},
    };
    for (UFileSpecCore BJobFields::*path : {&BJobFields::jobFolder, &BJobFields::outputFile,
                                            &BJobFields::pathPD, &BJobFields::pageItemFile}) {
        for (const auto& [stored, read] : cases) {
            BJobFile source;
            static_cast<void>((source.*path).assign(stored));
            source.jobName = ustring("Ad\0x", 4);
            BJobFile job;
            readInto(job, bytesOf(source, kJobFilePartFull), kJobFilePartFull);
            EXPECT_EQ((job.*path).path(), read) << (source.*path).path().size();
            EXPECT_EQ(job.jobName, "Ad");
        }
    }
}

TEST_F(JobFile, WriteExportedSendsTheSelectedGroupsUnexportedDestinationsAndMovesOn) {
    BJobFile job;
    BGroup* first = job.GetGroups().AddGroup();
    BGroup* second = job.GetGroups().AddGroup();
    addDestination(*first, "1", 300, 200)->SetExported(true);
    BDestination* pending = addDestination(*first, "2", 200, 100);
    BDestination* other = addDestination(*second, "3", 150, 80, 5);
    job.GetGroups().SelectGroup(first);
    std::ostringstream out;
    job.WriteExported(out);
    EXPECT_TRUE(pending->IsExported() && !other->IsExported());
    EXPECT_EQ(job.GetGroups().GetSelectedGroup(), second);
    EXPECT_EQ(corners(job.trimBox), (Box{0, 0, 150, 80}));
    EXPECT_EQ(corners(job.bleedBox), (Box{0, 0, 160, 90}));
    BJobFile sent;
    readInto(sent, out.str(), kJobFilePartFull);
    ASSERT_EQ(sent.GetGroups().size(), 1u);
    const BGroup& group = sent.GetGroups()[0];
    ASSERT_TRUE(group.IsSelected() && group.size() == 1u);
    EXPECT_EQ(group[0].GetIdentifier(), "2");
    EXPECT_FALSE(group[0].IsExported()) << "written before it was marked";
    // Nothing is left to send after the second group: the selection stays and the boxes are
    // not recomputed.
    job.trimBox = {1, 2, 3, 4};
    job.WriteExported(out);
    EXPECT_EQ(job.GetGroups().GetSelectedGroup(), second);
    EXPECT_EQ(corners(job.trimBox), (Box{1, 2, 3, 4}));
}

TEST_F(JobFile, BoxesAtTheOriginAreCentredOnReading) {
    const zeu::Rect2D unset = zeu::Rect2D::unset;
    const struct {
        zeu::Rect2D written[3]; // bleed box, trim box, type area
        zeu::Rect2D read[3];
    } cases[] = {
        {{{0, 0, 100, 50}, {0, 0, 90, 40}, {0, 0, 80, 30}},
         {{-50, -25, 100, 50}, {-45, -20, 90, 40}, {-40, -15, 80, 30}}},
        {{{0, 0, 100, 50}, {0, 0, 90, 40}, {5, 0, 80, 30}},
         {{0, 0, 100, 50}, {0, 0, 90, 40}, {5, 0, 80, 30}}},
        {{unset, {0, 0, 90, 40}, {0, 0, 80, 30}}, {unset, {0, 0, 90, 40}, {0, 0, 80, 30}}}};
    for (const auto& c : cases) {
        BJobFile job;
        job.bleedBox = c.written[0];
        job.trimBox = c.written[1];
        job.typeArea = c.written[2];
        BJobFile copy;
        readInto(copy, bytesOf(job, kJobFilePartSummary), kJobFilePartSummary);
        const zeu::Rect2D* read[] = {&copy.bleedBox, &copy.trimBox, &copy.typeArea};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(corners(*read[i]), corners(c.read[i])) << &c - cases << " box " << i;
    }
}

TEST_F(JobFile, ComputeBoxesTakesTheSmallestTrimAndTheLargestBleedOfTheGroupOrOfAllGroups) {
    BJobFile job;
    BGroup* group = job.GetGroups().AddGroup();
    addDestination(*group, "1", 200, 100);
    addDestination(*group, "2", 180, 120, 3);
    job.typeArea = {-1, -1, 2, 2};
    const auto margins = [&] {
        return Box{job.GetHorizontalBleed(), job.GetVerticalBleed(), job.GetHorizontalTypeIndent(),
                   job.GetVerticalTypeIndent()};
    };
    EXPECT_EQ(margins(), (Box{0, 0, 0, 0})) << "the boxes are unset";
    // No group selected: the default group has no destination.
    job.ComputeBoxes();
    EXPECT_EQ(std::pair(corners(job.bleedBox), corners(job.trimBox)),
              std::pair(Box{0, 0, 0, 0}, Box{0, 0, 0, 0}));
    job.GetGroups().SelectGroup(group);
    job.ComputeBoxes();
    EXPECT_EQ(corners(job.trimBox), (Box{0, 0, 180, 100}));
    EXPECT_EQ(corners(job.bleedBox), (Box{0, 0, 186, 126}));
    EXPECT_EQ(corners(job.typeArea), (Box{-1, -1, 2, 2})) << "no type indents";
    (*group)[0].SetTypeIndents(10, 10, 5, 15);
    job.ComputeBoxes();
    EXPECT_EQ(corners(job.typeArea), (Box{0, 0, 180, 80}));
    EXPECT_EQ(margins(), (Box{3, 13, 0, 10}));
    // Common sizing counts every group and its full bleed size, but no destination of another job.
    addDestination(*job.GetGroups().AddGroup(), "3", 190, 144, 3);
    BJobFile other;
    group->Append(std::make_unique<BDestination>(&other)).SetSize(10, 10);
    job.commonSizing = true;
    job.ComputeBoxes();
    EXPECT_EQ(corners(job.trimBox), (Box{0, 0, 180, 100}));
    EXPECT_EQ(corners(job.bleedBox), (Box{0, 0, 200, 150}));
}

TEST_F(JobFile, OutputFileOfLaterPagesCarriesThePageNumber) {
    BJobFile job;
    job.outputFile.assign("Z:/out/ad.pdf");
    for (const auto& [n, file] : {std::pair(1L, "Z:/out/ad.pdf"), {2L, "Z:/out/ad.pdf#2"}})
        EXPECT_EQ(job.GetOutputFile(n).path(), file) << n;
    job.outputFile.clear();
    EXPECT_EQ(job.GetOutputFile(2).path(), "");
}

TEST_F(JobFile, PlacedImagesFolderIsMadeInTheJobFolderOrIsAnError) {
    TempFolder temp;
    std::filesystem::create_directories(temp.at("made"));
    std::filesystem::create_directories(temp.at("blocked"));
    temp.write("blocked/PlacedImages", "a file");
    temp.write("file", "");
    const struct {
        const char* jobFolder;
        bool made;
    } cases[] = {{"made", true}, {"missing", false}, {"file", false}, {"blocked", false}};
    for (const auto& c : cases) {
        LogCapture log;
        BJobFile job;
        job.jobFolder.assign(ustring(temp.systemPath(c.jobFolder)));
        const ustring folder(temp.systemPath(c.jobFolder + std::string("/PlacedImages")));
        EXPECT_EQ(job.GetPlacedImagesFolder().path(), c.made ? folder : "") << c.jobFolder;
        const std::string& text = log.text();
        const bool reported =
            text.find("[ERROR]") != std::string::npos &&
            text.find("cannot create folder " + folder.toStdString()) != std::string::npos;
        EXPECT_EQ(reported, !c.made) << c.jobFolder << text;
    }
    EXPECT_TRUE(std::filesystem::is_directory(temp.at("made/PlacedImages")));
    BJobFile job;
    EXPECT_EQ(job.GetPlacedImagesFolder().path(), "") << "no job folder";
    EXPECT_FALSE(std::filesystem::exists(temp.at("missing")));
}

TEST_F(JobFile, OutsideElementsSetTheDefinitionsTheSettingsAndThePDFFlag) {
    BJobFile source;
    source.jobName = "outside";
    OutsideElements extra;
    extra.defaults = readJson(R"({"Transparency": {"type": "boolean", "defaults": {"sev": "warn"}},
                         "Hairline": {"type": "boolean", "defaults": {"sev": "note"}}})");
    extra.ticket = readJson(R"({"qcs": {"checks": {"Transparency": {"sev": "fault"}}}})");
    extra.forbidPDF = false;
    const std::string bytes = outsideStream(source, extra);
    // The summary part takes neither the ticket nor the job name, but 'BP'.
    BJobFile job;
    readInto(job, bytes, kJobFilePartSummary);
    EXPECT_TRUE(job.jobName.empty() && !GetForceEPSExport());
    EXPECT_EQ(job.GetCheckSettings().FindSorted(keystr::Transparency), nullptr);
    SetForceEPSExport(true);
    readInto(job, bytes, kJobFilePartFull);
    EXPECT_TRUE(job.jobName == "outside" && GetDefaultSettings().contains("Transparency"));
    ASSERT_NE(job.GetCheckSettings().FindSorted(keystr::Transparency), nullptr);
    EXPECT_EQ(job.GetCheckSettings().FindSorted(keystr::Hairline), nullptr); // made on demand
    EXPECT_EQ(std::pair(job.GetCheckSettings().GetSeverity(keystr::Transparency),
                        job.GetCheckSettings().GetSeverity(keystr::Hairline)),
              std::pair(eProblemSeverity_Fault, eProblemSeverity_Note));
    EXPECT_FALSE(GetForceEPSExport());
    // A later summary read keeps the settings.
    readInto(job, bytes, kJobFilePartSummary);
    EXPECT_EQ(job.GetCheckSettings().GetSeverity(keystr::Transparency), eProblemSeverity_Fault);
    // The job's own bytes never carry them: a copy loses the settings, and a stream without
    // 'Dp' empties the default settings, while the flag stays without 'BP'.
    BJobFile copy;
    readInto(copy, bytesOf(job, kJobFilePartFull), kJobFilePartFull);
    EXPECT_EQ(copy.GetCheckSettings().FindSorted(keystr::Transparency), nullptr);
    EXPECT_TRUE(GetDefaultSettings().empty() && !GetForceEPSExport());
}

TEST_F(JobFile, ProfilesResolveToFilesOrIntoTheColourFolder) {
    const ColourProfileFolder colour({"Coated.icc"});
    const std::string existing = colour.profile("Coated.icc").toStdString();
    const struct {
        std::string checks;
        const char* process;   // in the colour folder; null: none resolved
        const char* grayscale; // likewise
    } cases[] = {
        {R"("Setting_ProcessProfile": {"sev": "parameter", "P": ["Coated.icc"]},
            "Setting_GrayscaleProfile": {"sev": "parameter", "P": ["Gray.icc"]})",
         "Coated.icc", "Gray.icc"},
        {"", nullptr, nullptr},
        // Override takes the local name in place of a silent profile only.
        {R"("Setting_ProcessProfile": {"sev": "parameter", "P": ["Coated.icc", "silent"]},
            "Setting_GrayscaleProfile": {"sev": "parameter", "P": ["Gray.icc", "loud"]},
            "Setting_LocalOutputProfiles": {"sev": "parameter", "P": ["Local.icc", "LGray.icc"]},
            "Setting_OverrideDestinationProfiles": {"sev": "warn", "note": 1})",
         "Local.icc", "Gray.icc"},
        // An existing file's full path stays that path.
        {R"("Setting_ProcessProfile": {"sev": "parameter", "P": [")" + existing + R"("]})",
         "Coated.icc", nullptr},
        // A name too long for any path in the colour folder resolves to nothing.
        {R"("Setting_ProcessProfile": {"sev": "parameter", "P": [")" +
             std::string(ustring::kMaxGrownLength, 'a') + R"("]})",
         nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.checks);
        BJobFile source;
        OutsideElements extra;
        extra.defaults = readJson(R"({
            "Setting_ProcessProfile": {"type": "stringParameter"},
            "Setting_GrayscaleProfile": {"type": "stringParameter"},
            "Setting_LocalOutputProfiles": {"type": "stringParameter"},
            "Setting_OverrideDestinationProfiles": {"type": "limitsHigh"}})");
        extra.ticket = readJson(R"({"qcs": {"checks": {)" + c.checks + "}}}");
        BJobFile job;
        readInto(job, outsideStream(source, extra), kJobFilePartFull);
        for (const auto& [profile, want] : {std::pair(job.GetProcessProfile(), c.process),
                                            std::pair(job.GetGrayscaleProfile(), c.grayscale)}) {
            ASSERT_EQ(profile != nullptr, want != nullptr);
            if (want != nullptr) {
                EXPECT_EQ(*profile, colour.profile(want));
            }
        }
        EXPECT_EQ(job.GetOutputProfile(), job.GetProcessProfile());
        job.style = 1;
        EXPECT_EQ(job.GetOutputProfile(), job.GetGrayscaleProfile());
    }
}

// Items and flatteners out of page order: each page's record holds its items in list order and
// the page's last flattener record.
TEST_F(JobFile, PageItemFileHoldsTheDocumentItemsAndEachPageOfPageSetTwo) {
    TempFolder temp;
    BJobFile job;
    job.pageItemFile.assign(ustring(temp.systemPath("items.bin")));
    job.GetAbsoluteRuns().AddRun(1, 2);
    job.GetAbsoluteRuns().AddRun(7, 1);
    BPageSet& set = job.GetPageSet(kAnalysedPageSet);
    for (const auto& [item, page] :
         {std::pair<std::shared_ptr<BPageItem>, int>(std::make_shared<BPageItem>(), -1),
          {std::make_shared<BPlacedGraphic>(), 2},
          {std::make_shared<BTextRunItem>(), 1},
          {std::make_shared<BPageItem>(), 1}}) {
        item->page = page;
        set.items.Append(item);
    }
    for (const auto& [page, enabled] : {std::pair(3, false), {2, false}, {1, true}, {2, true}}) {
        set.pageFlatteners.push_back(std::make_shared<BTransparencyFlattener>());
        set.pageFlatteners.back()->page = page;
        set.pageFlatteners.back()->enabled = enabled;
        set.pageFlatteners.back()->values[0] = page;
    }
    job.GetPageSet(1).items.Append(std::make_shared<BPageItem>());
    ASSERT_TRUE(job.WritePageItemFile());
    // Without identifier, a record 10 holding per page: 120 its index, 140 its items and 180 the
    // last flattener record of the page.
    const auto written = [](const auto& write) { return afterHead(writeKeyStream(write)); };
    const auto items = [&](int page) {
        return written([&](UKeyOutStream& out) { set.items.Write(out, page); });
    };
    const auto flattener = [&](std::size_t index) {
        return written([&](UKeyOutStream& out) { set.pageFlatteners[index]->Write(out); });
    };
    EXPECT_EQ(hex(temp.read("items.bin")),
              hex(record('KS', intElement(0xC0DE, 1) +
                                   record(10, intElement(120, -2) + items(-1) + intElement(120, 0) +
                                                  items(1) + flattener(2) + intElement(120, 1) +
                                                  items(2) + flattener(3) + intElement(120, 2) +
                                                  items(3) + flattener(0)))));
}

// Lists out of page order (early on, only past the last page, in the flatteners alone, or
// 100,000 items round-robin over 10,000 pages) and lists with null records write the file of the
// same records sorted by page: each page's items in list order and its last flattener. Each
// write takes time in proportion to the records, so the large case stays quick.
TEST_F(JobFile, PageItemFileOfAnyListOrderIsThatOfTheListsSortedByPage) {
    constexpr int kNull = std::numeric_limits<int>::min();
    // Per record its page (kNull: a null record) and its index in the list first given.
    using Records = std::vector<std::pair<int, double>>;
    const auto indexed = [](const std::vector<int>& pages) {
        Records records;
        for (std::size_t i = 0; i < pages.size(); ++i)
            records.emplace_back(pages[i], static_cast<double>(i));
        return records;
    };
    const auto sortedByPage = [kNull](Records records) {
        std::erase_if(records, [kNull](const auto& record) { return record.first == kNull; });
        std::stable_sort(records.begin(), records.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        return records;
    };
    TempFolder temp;
    const auto fileOf = [&temp, kNull](int pages, const Records& items, const Records& flatteners) {
        BJobFile job;
        job.pageItemFile.assign(ustring(temp.systemPath("items.bin")));
        job.GetAbsoluteRuns().AddRun(1, pages);
        BPageSet& set = job.GetPageSet(kAnalysedPageSet);
        for (const auto& [page, index] : items) {
            auto item = page == kNull ? nullptr : std::make_shared<BPageItem>();
            if (item != nullptr) {
                item->page = page;
                item->scale1 = index;
            }
            set.items.Append(item);
        }
        for (const auto& [page, index] : flatteners) {
            auto flattener = page == kNull ? nullptr : std::make_shared<BTransparencyFlattener>();
            if (flattener != nullptr) {
                flattener->page = page;
                flattener->values[0] = index;
            }
            set.pageFlatteners.push_back(flattener);
        }
        EXPECT_TRUE(job.WritePageItemFile());
        return temp.read("items.bin");
    };
    std::vector<int> roundRobin, evenPages;
    for (int i = 0; i < 100000; ++i)
        roundRobin.push_back(i % 10000 + 1);
    for (int page = 2; page <= 10000; page += 2)
        evenPages.push_back(page);
    const std::tuple<int, std::vector<int>, std::vector<int>> cases[] = {
        {3, {2, 1, -1, 1, 3, 0}, {1, 1, 2}},
        {3, {1, 5, 2, 3}, {1, 2, 3}},
        {3, {1, 2, 3}, {2, 1, 3, 1}},
        {3, {kNull, 1, kNull, 1, 2, 3, kNull}, {1, kNull, 2, 2, 3}},
        {10000, roundRobin, evenPages}};
    for (const auto& [pages, itemPages, flattenerPages] : cases) {
        SCOPED_TRACE(pages == 3 ? ::testing::PrintToString(itemPages) : "round-robin");
        const Records items = indexed(itemPages);
        const Records flatteners = indexed(flattenerPages);
        const std::string file = fileOf(pages, items, flatteners);
        const std::string sorted = fileOf(pages, sortedByPage(items), sortedByPage(flatteners));
        if (pages == 3)
            EXPECT_EQ(hex(file), hex(sorted));
        else
            EXPECT_TRUE(file == sorted); // no hex dump of megabytes
    }
}

TEST_F(JobFile, PageItemFileThatCannotBeWrittenIsAnError) {
    TempFolder temp;
    BJobFile job;
    LogCapture log;
    const ustring missing(temp.systemPath("missing/items.bin"));
    job.pageItemFile.assign(missing);
    EXPECT_FALSE(job.WritePageItemFile());
    EXPECT_NE(log.text().find("[ERROR][5120][BJobFile:BJobFile::WritePageItemFile:"),
              std::string::npos);
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
    OutsideElements good;
    good.defaults = readJson(R"({"Transparency": {"type": "boolean"}})");
    good.forbidPDF = false;
    BJobFile first;
    readInto(first, outsideStream(job, good), kJobFilePartFull);
    const std::string before = bytesOf(job, kJobFilePartFull);
    // Streams with new defaults, a new job and 'BP' = true that fail further on.
    BJobFile other;
    other.jobName = "other";
    addDestination(*other.GetGroups().AddGroup(), "7", 10, 10)->SetName("NNNNNNNN");
    OutsideElements bad;
    bad.defaults = readJson(R"({"Hairline": {"type": "limitsLow"}, "Other": {"type": "boolean"}})");
    bad.forbidPDF = true;
    std::string corruptGroup = outsideStream(other, bad);
    // The destination name's length byte now runs past its record.
    const std::size_t name = corruptGroup.find("CC\x08\x05NNNNNNNN"s);
    ASSERT_NE(name, std::string::npos);
    corruptGroup[name + 2] = '\xFE';
    bad.rawTicket = "not a message";
    for (const auto& [bytes, error] :
         {std::pair(outsideStream(other, bad), "UKeyInStream: corrupt stream"),
          {corruptGroup, "UKeyInStream: corrupt stream"},
          {"not a job file"s, "UKeyInStream: meta key mismatch"}}) {
        SCOPED_TRACE(error);
        expectThrowsWithText([&] { readInto(job, bytes, kJobFilePartFull); }, error);
        EXPECT_EQ(bytesOf(job, kJobFilePartFull), before);
        EXPECT_TRUE(GetDefaultSettings().size() == 1u &&
                    GetDefaultSettings().contains("Transparency"));
        EXPECT_FALSE(GetForceEPSExport());
    }
    // A stream that has already failed is ignored.
    std::istringstream failed(outsideStream(other, {}));
    failed.setstate(std::ios::failbit);
    job.Read(failed, kJobFilePartFull);
    EXPECT_EQ(bytesOf(job, kJobFilePartFull), before);
    EXPECT_EQ(GetDefaultSettings().size(), 1u);
}

} // namespace
