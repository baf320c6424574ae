#include "model/BDestinationList.h"

#include "model/JobFilePart.h"
#include "support/KeyStreamBytes.h"
#include "support/Test.h"

#include <array>
#include <climits>
#include <optional>
#include <streambuf>
#include <utility>

namespace {

std::string WriteGroups(BGroupList& groups, std::int32_t mask) {
    return writeKeyStream([&](UKeyOutStream& out) { groups.Write(out, mask); });
}

BGroupList ReadGroups(const std::string& stream) {
    KeyStreamReader reader(stream);
    BGroupList groups;
    groups.Read(reader.in);
    return groups;
}

BDestination* AddDestination(BGroup& group, const char* identifier, bool exported) {
    BDestination* destination = group.CreateDestination();
    destination->SetIdentifier(identifier);
    destination->SetExported(exported);
    return destination;
}

// The identifiers of a group's destinations, in order.
std::vector<ustring> Identifiers(const BGroup& group) {
    std::vector<ustring> identifiers;
    for (const BDestination& destination : group)
        identifiers.push_back(destination.GetIdentifier());
    return identifiers;
}

// Groups A (selected; d1 exported, d2 not) and B (d3 not exported).
struct TwoGroups {
    TwoGroups() {
        groups.SelectGroup(a);
        b->SetGd(true);
    }
    BGroupList groups;
    BGroup* a = groups.AddGroup();
    BGroup* b = groups.AddGroup();
    BDestination* d1 = AddDestination(*a, "1", true);
    BDestination* d2 = AddDestination(*a, "2", false);
    BDestination* d3 = AddDestination(*b, "3", false);
};

} // namespace

TEST(BGroupList, WritesTheGroupRecordByteForByteAndReadsItBackInPlaceOfItsGroups) {
    BGroupList groups;
    groups.AddGroup();
    groups.AddGroup()->SetGd(true);
    groups.SelectGroup(&groups[0]);
    // 'GG' with one item: 'GA' true, 'Gd' false, an empty 'LL'.
    EXPECT_EQ(hex(afterHead(WriteGroups(groups, kJobFilePartSelectedGroups))),
              "47 47 FF 00 00 00 11 06 47 41 01 01 01 47 64 00 01 4C 4C FF 00 00 00 00 06");
    TwoGroups job;
    const std::string stream = WriteGroups(job.groups, kJobFilePartFull);
    EXPECT_FALSE(job.d2->IsExported() || job.d3->IsExported()) << "mask 4 changes no flag";
    KeyStreamReader counted(stream);
    EXPECT_EQ(BGroupList::CountStoredGroups(counted.in), 2);
    KeyStreamReader reader(stream);
    groups.Read(reader.in);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_TRUE(groups[0].IsSelected() && !groups[0].GetGd() && groups[0][0].IsExported());
    EXPECT_TRUE(!groups[1].IsSelected() && groups[1].GetGd() &&
                groups[1][0].GetGroup() == &groups[1]);
    EXPECT_EQ(std::pair(Identifiers(groups[0]), Identifiers(groups[1])),
              std::pair(std::vector<ustring>{"1", "2"}, std::vector<ustring>{"3"}));
}

TEST(BGroupList, SelectsFindsCountsAndCollects) {
    TwoGroups job;
    EXPECT_EQ(job.groups.GetSelectedGroup(), job.a);
    job.groups.SelectGroup(job.b);
    EXPECT_FALSE(job.a->IsSelected());
    EXPECT_EQ(std::as_const(job.groups).GetSelectedGroup(), job.b);
    BGroup stranger;
    job.groups.SelectGroup(&stranger);
    EXPECT_EQ(job.groups.GetSelectedGroup(), nullptr);
    BDestination outsider;
    EXPECT_TRUE(job.groups.FindGroupOf(job.d3) == job.b &&
                job.groups.FindGroupOf(&outsider) == nullptr);
    EXPECT_EQ(job.groups.CountDestinations(), 3);
    std::vector<BDestination*> all{&outsider};
    job.groups.CollectDestinations(all);
    EXPECT_EQ(all, (std::vector<BDestination*>{job.d1, job.d2, job.d3}));
    // The groups still own and delete them (a double delete would fail under the sanitizer).
    job.groups.Clear();
    EXPECT_EQ(job.groups.CountDestinations(), 0);
}

TEST(BGroupList, TracksExportedFlagsAndFindsTheFirstUnexportedGroupSkippingEmptyOnes) {
    BGroupList groups;
    BGroup* empty = groups.AddGroup();
    AddDestination(*groups.AddGroup(), "1", true);
    BGroup* open = groups.AddGroup();
    BDestination* first = AddDestination(*open, "17", true);
    BDestination* second = AddDestination(*open, "ABC", false);
    EXPECT_TRUE(empty->AllExported() && !empty->HasUnexported());
    EXPECT_TRUE(open->HasUnexported() && !open->AllExported());
    EXPECT_EQ(groups.FindFirstUnexportedGroup(), open);
    open->MarkAllExported();
    EXPECT_TRUE(second->IsExported() && open->AllExported());
    EXPECT_EQ(groups.FindFirstUnexportedGroup(), nullptr);
    EXPECT_FALSE(open->ClearExportedByIdentifier({"18", "AB"}));
    EXPECT_TRUE(open->ClearExportedByIdentifier({"17", "ABC"}));
    EXPECT_FALSE(first->IsExported() || second->IsExported());
}

TEST(BGroupList, AddsADestinationToTheFirstGroupMadeWhenNeeded) {
    BJobFile* const owner = reinterpret_cast<BJobFile*>(0x1000); // never dereferenced
    BGroupList groups(owner);
    BDestination* first = groups.AddDestination();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_TRUE(first->GetGroup() == &groups[0] && first->GetOwner() == owner);
    groups.AddGroup();
    groups.AddDestination();
    EXPECT_TRUE(groups[0].size() == 2u && groups[1].GetOwner() == owner);
}

TEST(BGroup, SizeSummaryIsTheMinimumSizeUnlessADestinationHasBleed) {
    BGroup group;
    BDestination* wide = group.CreateDestination();
    wide->SetSize(200.0, 100.0);
    BDestination* narrow = group.CreateDestination();
    narrow->SetSize(180.0, 120.0);
    using Sizes = std::array<double, 4>;
    const auto sizes = [&] {
        return Sizes{group.GetMinWidth(), group.GetMinHeight(), group.GetEffectiveWidth(),
                     group.GetEffectiveHeight()};
    };
    EXPECT_EQ(GetExcessWidth(*wide), 0.0) << "minimum not computed yet";
    group.UpdateSizeSummary();
    EXPECT_EQ(sizes(), (Sizes{180, 100, 180, 100}));
    // The excess over the group's minimum.
    EXPECT_EQ(std::tuple(GetExcessWidth(*wide), GetExcessHeight(*narrow),
                         GetExcessWidth(*narrow) + GetExcessHeight(*wide)),
              std::tuple(20.0, 20.0, 0.0));
    BDestination alone;
    alone.SetSize(300.0, 300.0);
    EXPECT_EQ(GetExcessWidth(alone), 0.0) << "no group";
    narrow->SetBleeds(3.0, 0.0, 0.0, 0.0);
    group.UpdateSizeSummary();
    EXPECT_EQ(sizes(), (Sizes{0, 0, 180, 120}));
}

TEST(BGroup, ReadingSetsTheBleedFlagFromTheLastDestinationAndTheSizeSummary) {
    BGroupList source;
    BGroup* group = source.AddGroup();
    BDestination* withBleed = group->CreateDestination();
    withBleed->SetSize(200.0, 100.0);
    withBleed->SetBleeds(0.0, 0.0, 0.0, 2.0);
    group->CreateDestination()->SetSize(180.0, 120.0);
    const BGroupList read = ReadGroups(WriteGroups(source, kJobFilePartFull));
    EXPECT_EQ(
        std::tuple(read[0].HasBleed(), read[0].GetEffectiveWidth(), read[0].GetEffectiveHeight()),
        std::tuple(false, 200.0, 100.0));
}

TEST(BDestinationList, SummarisesUntilMarkedExportedWhichClearsSummaryFlag0AndFlag0) {
    BGroup group;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(group.GetFlag(i), i == 2) << i;
    EXPECT_THROW(group.GetFlag(5), std::out_of_range);
    const auto summary = [&] {
        std::pair flags{true, true};
        group.GetSummaryFlags(flags.first, flags.second);
        return flags;
    };
    group.UpdateSummary();
    EXPECT_EQ(summary(), std::pair(false, false));
    group.CreateDestination();
    EXPECT_EQ(summary(), std::pair(false, false)) << "as last computed";
    group.CreateDestination()->SetBleeds(0.0, 0.0, -1.0, 0.0);
    group.UpdateSummary();
    EXPECT_EQ(summary(), std::pair(true, true));
    group.SetFlag(0, true);
    group.MarkAllExported();
    EXPECT_EQ(std::tuple(summary(), group.GetFlag(0)), std::tuple(std::pair(false, true), false));
}

TEST(BDestinationList, FindsTheCommonFirstCodeIgnoringEmptyAndOther) {
    const std::pair<std::vector<const char*>, const char*> cases[] = {
        {{"Other", "", "A", "A"}, "A"},
        {{"A", "B"}, ""},
        {{"A", "Other", "B"}, ""},
        {{"Other", ""}, ""},
        {{}, ""},
        {{"other", "A"}, ""},
    };
    for (const auto& [codes, common] : cases) {
        BGroup group;
        for (const char* code : codes)
            group.CreateDestination()->SetFirstCode(code);
        EXPECT_EQ(group.CommonFirstCode(), common) << codes.size();
    }
}

namespace {

// The big-endian bytes of a 32-bit number.
std::string Be32(std::int32_t value) {
    return bigEndian(static_cast<std::uint32_t>(value), 4);
}

// A stream buffer that cannot tell or change its position, as a pipe.
class UnseekableBuffer : public std::streambuf {
public:
    explicit UnseekableBuffer(std::string bytes) : m_bytes(std::move(bytes)) {
        setg(m_bytes.data(), m_bytes.data(), m_bytes.data() + m_bytes.size());
    }

private:
    std::string m_bytes;
};

// Reads `bytes` through a seekable string stream and through a stream that cannot seek; both
// must give `expected`, or false and an empty set when there is none.
void ExpectSet(const std::string& bytes, const std::optional<DestinationIdentifierSet>& expected,
               const char* what) {
    std::istringstream seekable(bytes);
    UnseekableBuffer buffer(bytes);
    std::istream unseekable(&buffer);
    for (std::istream* in : {static_cast<std::istream*>(&seekable), &unseekable}) {
        DestinationIdentifierSet identifiers{"stale"};
        EXPECT_EQ(ReadDestinationIdentifierSet(*in, identifiers), expected.has_value()) << what;
        EXPECT_EQ(identifiers, expected.value_or(DestinationIdentifierSet{})) << what;
    }
}

} // namespace

TEST(ReadDestinationIdentifierSet, ReadsNumbersAsDecimalTextsAndStringsAsTheirBytes) {
    const std::string x600(600, 'x');
    ExpectSet(Be32(3) + Be32(17) + Be32(4711) + Be32(-8),
              DestinationIdentifierSet{"17", "4711", "-8"}, "numbers");
    ExpectSet(Be32(-3) + Be32(3) + "ABC" + Be32(0) + Be32(600) + x600,
              DestinationIdentifierSet{"ABC", "", ustring(x600)}, "strings");
    ExpectSet(Be32(0), DestinationIdentifierSet{}, "none");
    const std::string longest(ustring::kMaxLength, 'x');
    ExpectSet(Be32(-1) + Be32(static_cast<std::int32_t>(longest.size())) + longest,
              DestinationIdentifierSet{ustring(longest)}, "the longest string");
}

TEST(ReadDestinationIdentifierSet, RefusesMalformedInputAndLeavesTheSetEmpty) {
    const std::pair<const char*, std::string> cases[] = {
        {"no count", ""},
        {"fewer numbers than counted", Be32(2) + Be32(17)},
        {"huge count", Be32(INT_MAX) + Be32(1)},
        {"huge negative count", Be32(-INT_MAX) + Be32(1) + "A"},
        {"INT_MIN count", Be32(INT_MIN) + Be32(1) + "A"},
        {"negative length", Be32(-1) + Be32(-1)},
        {"length beyond the input", Be32(-1) + Be32(INT_MAX) + "ABC"},
        {"second string cut", Be32(-2) + Be32(1) + "A" + Be32(5) + "BC"},
        {"length beyond the longest string",
         Be32(-1) + Be32(0xFFFFFF) + std::string(0xFFFFFF, 'x')},
    };
    for (const auto& [what, bytes] : cases)
        ExpectSet(bytes, std::nullopt, what);
}
