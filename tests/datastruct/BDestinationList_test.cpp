// Tests of destination lists, groups and the group list ('GG' under the parts mask), and of the
// reader of the destination-identifier set.
#include "BDestinationList.h"
#include "JobFilePart.h"
#include "UKeyStream.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <streambuf>
#include <string>

namespace {

std::string WriteGroups(BGroupList& groups, std::int32_t mask) {
    std::ostringstream bytes;
    {
        UKeyOutStream out(bytes, 0);
        groups.Write(out, mask);
        out.close();
    }
    return bytes.str();
}

void ReadGroups(const std::string& stream, BGroupList& groups) {
    std::istringstream bytes(stream);
    UKeyInStream in(bytes);
    groups.Read(in);
}

std::int32_t CountStoredGroups(const std::string& stream) {
    std::istringstream bytes(stream);
    UKeyInStream in(bytes);
    return BGroupList::CountStoredGroups(in);
}

BDestination* AddDestination(BGroup& group, const char* identifier, bool exported) {
    BDestination* destination = group.CreateDestination();
    destination->SetIdentifier(identifier);
    destination->SetExported(exported);
    return destination;
}

// Groups A (selected; d1 exported, d2 not) and B (d3 not exported).
struct TwoGroups {
    TwoGroups() {
        a = groups.AddGroup();
        b = groups.AddGroup();
        d1 = AddDestination(*a, "1", true);
        d2 = AddDestination(*a, "2", false);
        d3 = AddDestination(*b, "3", false);
        groups.SelectGroup(a);
    }
    BGroupList groups;
    BGroup* a;
    BGroup* b;
    BDestination* d1;
    BDestination* d2;
    BDestination* d3;
};

// The big-endian bytes of a 32-bit number.
std::string Be32(std::int64_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<char>(bits >> 24), static_cast<char>(bits >> 16),
            static_cast<char>(bits >> 8), static_cast<char>(bits)};
}

// A stream buffer that cannot tell or change its position, as a pipe.
class UnseekableBuffer : public std::streambuf {
public:
    explicit UnseekableBuffer(std::string bytes) : bytes_(std::move(bytes)) {
        setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
    }

private:
    std::string bytes_;
};

} // namespace

TEST(BGroupList, WritesOnlyTheSelectedGroupsUnexportedDestinationsUnderMask52) {
    TwoGroups job;
    const std::string stream = WriteGroups(job.groups, 52);

    EXPECT_TRUE(job.d2->IsExported());
    EXPECT_TRUE(job.d1->IsExported());
    EXPECT_FALSE(job.d3->IsExported());
    EXPECT_EQ(CountStoredGroups(stream), 1);

    BGroupList read;
    ReadGroups(stream, read);
    ASSERT_EQ(read.GetCount(), 1u);
    EXPECT_TRUE(read.GetGroup(0)->IsSelected());
    ASSERT_EQ(read.GetGroup(0)->GetCount(), 1u);
    EXPECT_EQ(read.GetGroup(0)->GetDestination(0)->GetIdentifier(), "2");
    // Written before it was marked.
    EXPECT_FALSE(read.GetGroup(0)->GetDestination(0)->IsExported());
}

TEST(BGroupList, WritesEveryGroupAndDestinationUnderMask4AndChangesNoFlag) {
    TwoGroups job;
    job.b->SetGd(true);
    const std::string stream = WriteGroups(job.groups, kJobFilePartFull);

    EXPECT_FALSE(job.d2->IsExported());
    EXPECT_FALSE(job.d3->IsExported());
    EXPECT_EQ(CountStoredGroups(stream), 2);

    BGroupList read;
    ReadGroups(stream, read);
    ASSERT_EQ(read.GetCount(), 2u);
    EXPECT_TRUE(read.GetGroup(0)->IsSelected());
    EXPECT_FALSE(read.GetGroup(0)->GetGd());
    EXPECT_FALSE(read.GetGroup(1)->IsSelected());
    EXPECT_TRUE(read.GetGroup(1)->GetGd());
    ASSERT_EQ(read.GetGroup(0)->GetCount(), 2u);
    EXPECT_TRUE(read.GetGroup(0)->GetDestination(0)->IsExported());
    EXPECT_EQ(read.GetGroup(0)->GetDestination(1)->GetIdentifier(), "2");
    ASSERT_EQ(read.GetGroup(1)->GetCount(), 1u);
    EXPECT_EQ(read.GetGroup(1)->GetDestination(0)->GetIdentifier(), "3");
    EXPECT_EQ(read.GetGroup(1)->GetDestination(0)->GetGroup(), read.GetGroup(1));
}

TEST(BGroupList, WritesTheGroupRecordByteForByte) {
    BGroupList groups;
    groups.AddGroup();
    groups.AddGroup()->SetGd(true);
    groups.SelectGroup(groups.GetGroup(0));
    const std::string stream = WriteGroups(groups, kJobFilePartSelectedGroups);
    // After the root head and version: 'GG' with one item: 'GA' true, 'Gd' false, empty 'LL'.
    const std::string expected("GG\xFF\0\0\0\x11\x06"
                               "GA\x01\x01\x01"
                               "Gd\x00\x01"
                               "LL\xFF\0\0\0\0\x06",
                               25);
    EXPECT_EQ(stream.substr(13), expected);
}

TEST(BGroupList, ReadReplacesTheGroupsAndCountsStoredOnes) {
    BGroupList source;
    for (int i = 0; i < 3; ++i)
        source.AddGroup();
    const std::string stream = WriteGroups(source, kJobFilePartFull);
    EXPECT_EQ(CountStoredGroups(stream), 3);

    BGroupList target;
    target.AddDestination();
    target.AddGroup();
    target.AddGroup();
    target.AddGroup();
    ReadGroups(stream, target);
    EXPECT_EQ(target.GetCount(), 3u);
    EXPECT_EQ(target.CountDestinations(), 0);
}

TEST(BGroupList, SelectsOneGroupAtATime) {
    TwoGroups job;
    EXPECT_EQ(job.groups.GetSelectedGroup(), job.a);
    job.groups.SelectGroup(job.b);
    EXPECT_FALSE(job.a->IsSelected());
    EXPECT_EQ(job.groups.GetSelectedGroup(), job.b);
    BGroup stranger;
    job.groups.SelectGroup(&stranger);
    EXPECT_EQ(job.groups.GetSelectedGroup(), nullptr);
}

TEST(BGroupList, FindsTheFirstUnexportedGroupSkippingEmptyOnes) {
    BGroupList groups;
    BGroup* empty = groups.AddGroup();
    BGroup* done = groups.AddGroup();
    AddDestination(*done, "1", true);
    BGroup* open = groups.AddGroup();
    AddDestination(*open, "2", false);
    EXPECT_TRUE(empty->AllExported());
    EXPECT_EQ(groups.FindFirstUnexportedGroup(), open);
    open->MarkAllExported();
    EXPECT_EQ(groups.FindFirstUnexportedGroup(), nullptr);
}

TEST(BGroupList, FindsCountsAndCollectsDestinationsWithoutOwningThem) {
    TwoGroups job;
    EXPECT_EQ(job.groups.FindGroupOf(job.d3), job.b);
    BDestination outsider;
    EXPECT_EQ(job.groups.FindGroupOf(&outsider), nullptr);
    EXPECT_EQ(job.groups.CountDestinations(), 3);

    std::vector<BDestination*> all{&outsider};
    job.groups.CollectDestinations(all);
    EXPECT_EQ(all, (std::vector<BDestination*>{job.d1, job.d2, job.d3}));
    // The groups still own and delete them (a double delete would fail under the sanitizer).
    job.groups.Clear();
    EXPECT_EQ(job.groups.CountDestinations(), 0);
}

TEST(BGroupList, AddsADestinationToTheFirstGroupMadeWhenNeeded) {
    BJobFile* const owner = reinterpret_cast<BJobFile*>(0x1000); // never dereferenced
    BGroupList groups(owner);
    BDestination* first = groups.AddDestination();
    ASSERT_EQ(groups.GetCount(), 1u);
    EXPECT_EQ(first->GetGroup(), groups.GetGroup(0));
    EXPECT_EQ(first->GetOwner(), owner);
    groups.AddGroup();
    groups.AddDestination();
    EXPECT_EQ(groups.GetGroup(0)->GetCount(), 2u);
    EXPECT_EQ(groups.GetGroup(1)->GetOwner(), owner);
}

TEST(BGroup, SizeSummaryIsTheMinimumSizeUnlessADestinationHasBleed) {
    BGroup group;
    BDestination* first = group.CreateDestination();
    first->SetSize(200.0, 100.0);
    BDestination* second = group.CreateDestination();
    second->SetSize(180.0, 120.0);
    group.UpdateSizeSummary();
    EXPECT_EQ(group.GetMinWidth(), 180.0);
    EXPECT_EQ(group.GetMinHeight(), 100.0);
    EXPECT_EQ(group.GetEffectiveWidth(), 180.0);
    EXPECT_EQ(group.GetEffectiveHeight(), 100.0);

    second->SetBleeds(3.0, 0.0, 0.0, 0.0);
    group.UpdateSizeSummary();
    EXPECT_EQ(group.GetMinWidth(), 0.0);
    EXPECT_EQ(group.GetMinHeight(), 0.0);
    EXPECT_EQ(group.GetEffectiveWidth(), 180.0);
    EXPECT_EQ(group.GetEffectiveHeight(), 120.0);
}

TEST(BGroup, ReadingSetsTheBleedFlagFromTheLastDestinationAndTheSizeSummary) {
    BGroupList source;
    BGroup* group = source.AddGroup();
    BDestination* withBleed = group->CreateDestination();
    withBleed->SetSize(200.0, 100.0);
    withBleed->SetBleeds(0.0, 0.0, 0.0, 2.0);
    group->CreateDestination()->SetSize(180.0, 120.0);

    BGroupList read;
    ReadGroups(WriteGroups(source, kJobFilePartFull), read);
    const BGroup* result = read.GetGroup(0);
    EXPECT_FALSE(result->HasBleed());
    EXPECT_EQ(result->GetEffectiveWidth(), 200.0);
    EXPECT_EQ(result->GetEffectiveHeight(), 100.0);
}

TEST(BDestinationList, TracksExportedFlags) {
    BGroup group;
    EXPECT_TRUE(group.AllExported());
    EXPECT_FALSE(group.HasUnexported());
    BDestination* first = AddDestination(group, "17", true);
    BDestination* second = AddDestination(group, "ABC", false);
    EXPECT_TRUE(group.HasUnexported());
    EXPECT_FALSE(group.AllExported());

    group.UpdateSummary();
    group.MarkAllExported();
    EXPECT_TRUE(second->IsExported());
    EXPECT_TRUE(group.AllExported());

    EXPECT_FALSE(group.ClearExportedByIdentifier({"18", "AB"}));
    EXPECT_TRUE(group.ClearExportedByIdentifier({"17", "ABC"}));
    EXPECT_FALSE(first->IsExported());
    EXPECT_FALSE(second->IsExported());
}

TEST(BDestinationList, SummarisesDestinationsAndBleedUntilAllAreMarkedExported) {
    BGroup group;
    bool hasDestinations = true;
    bool hasBleed = true;
    group.UpdateSummary();
    group.GetSummaryFlags(hasDestinations, hasBleed);
    EXPECT_FALSE(hasDestinations);
    EXPECT_FALSE(hasBleed);

    group.CreateDestination();
    group.GetSummaryFlags(hasDestinations, hasBleed);
    EXPECT_FALSE(hasDestinations); // as last computed
    group.CreateDestination()->SetBleeds(0.0, 0.0, -1.0, 0.0);
    group.UpdateSummary();
    group.GetSummaryFlags(hasDestinations, hasBleed);
    EXPECT_TRUE(hasDestinations);
    EXPECT_TRUE(hasBleed);

    group.MarkAllExported();
    group.GetSummaryFlags(hasDestinations, hasBleed);
    EXPECT_FALSE(hasDestinations);
    EXPECT_TRUE(hasBleed);
}

TEST(BDestinationList, StartsWithItsFiveFlagsFalseFalseTrueFalseFalse) {
    BGroup group;
    const bool expected[5] = {false, false, true, false, false};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(group.GetFlag(i), expected[i]) << i;
    group.SetFlag(0, true);
    group.MarkAllExported();
    EXPECT_FALSE(group.GetFlag(0));
    EXPECT_THROW(group.GetFlag(5), std::out_of_range);
}

TEST(BDestinationList, FindsTheCommonFirstCodeIgnoringEmptyAndOther) {
    struct Case {
        std::vector<const char*> codes;
        const char* common;
    };
    const Case cases[] = {
        {{"Other", "", "A", "A"}, "A"},
        {{"A", "B"}, ""},
        {{"A", "Other", "B"}, ""},
        {{"Other", ""}, ""},
        {{}, ""},
        {{"other", "A"}, ""},
    };
    for (const Case& c : cases) {
        BGroup group;
        for (const char* code : c.codes)
            group.CreateDestination()->SetFirstCode(code);
        EXPECT_EQ(group.CommonFirstCode(), c.common) << c.codes.size();
    }
}

TEST(ReadDestinationIdentifierSet, ReadsNumbersAsDecimalTexts) {
    std::istringstream in(Be32(3) + Be32(17) + Be32(4711) + Be32(-8));
    DestinationIdentifierSet identifiers{"stale"};
    EXPECT_TRUE(ReadDestinationIdentifierSet(in, identifiers));
    EXPECT_EQ(identifiers, (DestinationIdentifierSet{"17", "4711", "-8"}));
}

TEST(ReadDestinationIdentifierSet, ReadsStringsOfTheGivenLengths) {
    std::istringstream in(Be32(-3) + Be32(3) + "ABC" + Be32(0) + Be32(600) + std::string(600, 'x'));
    DestinationIdentifierSet identifiers;
    EXPECT_TRUE(ReadDestinationIdentifierSet(in, identifiers));
    EXPECT_EQ(identifiers, (DestinationIdentifierSet{"ABC", "", ustring(std::string(600, 'x'))}));
}

TEST(ReadDestinationIdentifierSet, RefusesMalformedInputAndLeavesTheSetEmpty) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"no count", ""},
        {"cut count", std::string("\0\0", 2)},
        {"fewer numbers than counted", Be32(2) + Be32(17)},
        {"huge count", Be32(INT_MAX) + Be32(1)},
        {"huge negative count", Be32(-INT_MAX) + Be32(1) + "A"},
        {"INT_MIN count", Be32(INT_MIN) + Be32(1) + "A"},
        {"negative length", Be32(-1) + Be32(-1)},
        {"INT_MIN length", Be32(-1) + Be32(INT_MIN)},
        {"length beyond the input", Be32(-1) + Be32(INT_MAX) + "ABC"},
        {"cut length", Be32(-1) + std::string("\0\0", 2)},
        {"second string cut", Be32(-2) + Be32(1) + "A" + Be32(5) + "BC"},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.bytes);
        DestinationIdentifierSet identifiers{"stale"};
        EXPECT_FALSE(ReadDestinationIdentifierSet(in, identifiers)) << c.what;
        EXPECT_TRUE(identifiers.empty()) << c.what;
    }
}

TEST(ReadDestinationIdentifierSet, ReadsAndRefusesOnAStreamThatCannotSeek) {
    UnseekableBuffer good(Be32(-1) + Be32(2) + "ZZ");
    std::istream goodIn(&good);
    DestinationIdentifierSet identifiers;
    EXPECT_TRUE(ReadDestinationIdentifierSet(goodIn, identifiers));
    EXPECT_EQ(identifiers, (DestinationIdentifierSet{"ZZ"}));

    UnseekableBuffer cut(Be32(-1) + Be32(INT_MAX) + "ZZ");
    std::istream cutIn(&cut);
    EXPECT_FALSE(ReadDestinationIdentifierSet(cutIn, identifiers));
    EXPECT_TRUE(identifiers.empty());
}
