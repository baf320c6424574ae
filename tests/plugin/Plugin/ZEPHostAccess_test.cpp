// Tests of the host access helpers: the front document, the progress texts and positions, the
// application folder, the plug-in's name, the vendor folder and file references, and the
// byte-string and UID-list transfers with the damaged lengths and counts they refuse.
#include "Plugin/ZEPHostAccess.h"

#include "Plugin/CZEPException.h"
#include "host/sdk/CoreFilename.h"
#include "host/sdk/Progress.h"
#include "host/standin/Faults.h"
#include "host/standin/Stream.h"
#include "support/PluginFixture.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/Thrown.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <tuple>

// Under AddressSanitizer an allocation above 256 MiB ends the test program: a length or count
// read from damaged data must never be allocated before it is checked.
#ifdef __SANITIZE_ADDRESS__
extern "C" const char* __asan_default_options() {
    return "max_allocation_size_mb=256";
}
#endif

namespace {

class HostAccess : public PluginTest {};

// A reader that notes the size of every read it is asked for.
class CountingReader final : public IPMStream {
public:
    explicit CountingReader(std::vector<std::uint8_t> bytes)
        : IPMStream(true), m_bytes(std::move(bytes)) {}
    std::vector<std::size_t> reads;

private:
    std::uint64_t Size() const override { return m_bytes.size(); }
    bool ReadAt(std::uint64_t position, void* bytes, std::size_t count) override {
        reads.push_back(count);
        if (position > m_bytes.size() || count > m_bytes.size() - position)
            return false;
        std::memcpy(bytes, m_bytes.data() + position, count);
        return true;
    }
    bool WriteAt(std::uint64_t, const void*, std::size_t) override { return false; }

    std::vector<std::uint8_t> m_bytes;
};

// 32-bit numbers as the host stream writes them, then `tail`.
std::vector<std::uint8_t> numbers(std::initializer_list<std::int32_t> values,
                                  std::size_t tail = 0) {
    auto out = MemoryStream::Writer();
    for (std::int32_t value : values)
        out->XferInt32(value);
    std::vector<std::uint8_t> bytes = out->Bytes();
    bytes.resize(bytes.size() + tail, 'x');
    return bytes;
}

TEST_F(HostAccess, FrontDocumentIsRequired) {
    EXPECT_EQ(Thrown([] { GetFrontDocument(); }), "0x52E1E (result) == NULL");
    EXPECT_EQ(QueryFrontLayoutControlData(nullptr), nullptr);
    EXPECT_EQ(GetFrontDocument(), host::NewDocument("ad").Get());
}

TEST_F(HostAccess, ProgressTextsGoToTheApplicationsDisplayWhenItHasOne) {
    ShowSessionMessage("Generating EPS.");
    ShowSessionSubMessage("Seite 1 \xC3\xBC");
    host::Faults::Instance().HideInterface(host::kApplicationBoss, IProgressDisplay::kDefaultIID);
    ShowSessionMessage("not shown");
    EXPECT_EQ(
        Log(host::Channel::Progress),
        (std::vector<std::string>{"task true -1 Generating EPS.", "sub true -1 Seite 1 \xC3\xBC"}));
}

TEST_F(HostAccess, ProgressPositionsGoToTheInnermostBarWithoutItsMinimum) {
    SetSessionProgress(0.5); // no bar: nothing
    {
        RangeProgressBar outer(PMString("outer"), 10, 110, true, true, nullptr, 0, nullptr);
        SetSessionProgress(0.25); // a quarter of the range 100, the minimum 10 not added
        RefreshSessionProgress();
        {
            RangeProgressBar inner(PMString("inner"), 0, 7, true, true, nullptr, 0, nullptr);
            RefreshSessionProgress(); // a new bar starts at its minimum
            SetSessionProgress(0.5);  // 3.5 rounds to 4
            SetSessionProgress(std::nan(""));
            SetSessionProgress(-1);
            SetSessionProgress(2);
        }
        RefreshSessionProgress(); // the outer bar is current again and kept its position
    }
    RefreshSessionProgress();
    EXPECT_EQ(Log(host::Channel::Progress),
              (std::vector<std::string>{
                  "bar begin \"outer\" 10 110 true true none 0 none", "bar 25", "bar 25",
                  "bar begin \"inner\" 0 7 true true none 0 none", "bar 0", "bar 4", "bar 0",
                  "bar 0", "bar 7", "bar end", "bar 25", "bar end"}));
}

TEST_F(HostAccess, ApplicationFolderIsTheRunningProgramsFolder) {
    PMString folder;
    GetApplicationFolder(folder);
    EXPECT_EQ(folder.GetUTF16(),
              u"Z:" + std::filesystem::canonical("/proc/self/exe").parent_path().u16string());

    const std::tuple<ClassID, PMIID, const char*> hidden[] = {
        {kExecutableCoreFilenameBoss, ICoreFilename::kDefaultIID,
         "0x52E1E (iExecutableCoreFilename) == NULL"},
        {kCoreFilenameUtilsBoss, ICoreFilenameUtils::kDefaultIID,
         "0x52E1E (iCoreFilenameUtils) == NULL"},
    };
    for (const auto& [cls, iid, text] : hidden) {
        host::Faults::Instance().Reset();
        host::Faults::Instance().HideInterface(cls, iid);
        PMString untouched("kept");
        EXPECT_EQ(Thrown([&] { GetApplicationFolder(untouched); }), text);
        EXPECT_EQ(untouched.GetUTF8String(), "kept");
    }
}

TEST_F(HostAccess, VendorFolderAndFileReferences) {
    const TempFolder folder;
    const ScopedEnvironmentVariable common("ZEP_COMMON_APPDATA", folder.root());
    EXPECT_EQ(GetCommonAppDataVendorFolder().path(), ("Z:" + folder.at("Adobe")).c_str());

    const UFileSpecCore missing(ustring(("Z:" + folder.at("page.eps")).c_str()));
    EXPECT_EQ(MakeIDFile(missing).GetString(), missing.path().toWString());
    EXPECT_FALSE(std::filesystem::exists(folder.at("page.eps"))) << "nothing is created";
}

TEST(XferStdString, ReadsALongTextBackInPiecesOf1024) {
    std::string text(2500, 'j');
    text[2499] = 'z';
    auto out = MemoryStream::Writer();
    ASSERT_TRUE(XferStdString(out.get(), text));
    CountingReader in(out->Bytes());
    std::string back = "old";
    ASSERT_TRUE(XferStdString(&in, back));
    EXPECT_EQ(back, text);
    EXPECT_EQ(in.reads, (std::vector<std::size_t>{4, 1024, 1024, 452}));
}

TEST(XferStdString, RefusesDamagedLengthsWithoutReadingOn) {
    const std::vector<std::uint8_t> cases[] = {
        numbers({-1}, 8),
        numbers({9}, 8),
        numbers({0x7FFFFFFF}, 8),
        {0x05, 0x00},
    };
    for (const auto& bytes : cases) {
        CountingReader in(bytes);
        std::string text = "old";
        EXPECT_FALSE(XferStdString(&in, text)) << bytes.size();
        EXPECT_EQ(text, "");
        EXPECT_EQ(in.reads, std::vector<std::size_t>{4});
    }
}

TEST(XferUIDList, ReadsBackWhatItWroteAndRefusesDamagedCounts) {
    UIDList list(UIDRef(nullptr, UID{7}));
    list.Append(UID{9});
    auto out = MemoryStream::Writer();
    ASSERT_TRUE(XferUIDList(out.get(), list));
    EXPECT_EQ(out->Bytes(), numbers({2, 7, 9}));

    auto in = MemoryStream::Reader(out->Bytes());
    UIDList back;
    ASSERT_TRUE(XferUIDList(in.get(), back));
    EXPECT_EQ(back.UIDs(), list.UIDs());

    const std::vector<std::uint8_t> damaged[] = {
        numbers({-1, 7}), numbers({0x7FFFFFFF, 7}), numbers({2, 7}), numbers({3}, 2), {0x01}};
    for (const auto& bytes : damaged) {
        auto reader = MemoryStream::Reader(bytes);
        EXPECT_FALSE(XferUIDList(reader.get(), back)) << bytes.size();
        EXPECT_TRUE(back.IsEmpty());
    }
}

TEST(XferUIDList, ReservesACountOnlyWhenTheStreamHoldsIt) {
    auto whole = MemoryStream::Reader(numbers({2, 7, 9}));
    UIDList list;
    ASSERT_TRUE(XferUIDList(whole.get(), list));
    EXPECT_EQ(list.UIDs().capacity(), 2u);

    auto hostile = MemoryStream::Reader(numbers({0x40000000}, 64));
    UIDList refused;
    EXPECT_FALSE(XferUIDList(hostile.get(), refused));
    EXPECT_EQ(refused.UIDs().capacity(), 0u);
}

} // namespace
