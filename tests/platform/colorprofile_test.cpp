// Tests of the ICC profile reader: the header's signatures and an element's raw bytes, the files
// it refuses (without ever creating one) and the elements it treats as missing.
#include "platform/colorprofile.h"

#include "support/IccProfiles.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace {

class PlatformColorProfile : public ::testing::Test {
protected:
    std::u16string Write(const std::string& bytes) const {
        folder.write("p.icc", bytes);
        return Name("p.icc");
    }
    std::u16string Name(const std::string& relative) const {
        const std::string posix = folder.at(relative);
        return u"Z:" + std::u16string(posix.begin(), posix.end());
    }

    TempFolder folder;
};

} // namespace

TEST_F(PlatformColorProfile, ReadsTheHeaderSignaturesAndTheElementAsStored) {
    const icc::Profile cases[] = {
        {.description = "US Web Coated (SWOP) v2"},
        {.deviceClass = 'spac', .colorSpace = 'ABCD', .description = "odd signatures"},
        {.deviceClass = 'mntr',
         .colorSpace = 'RGB ',
         .version = 4,
         .localized = {{"enUS", u"sRGB"}}},
    };
    for (const icc::Profile& profile : cases) {
        int error = 0;
        auto opened = platform::ColorProfile::open(Write(profile.Bytes()), error);
        ASSERT_TRUE(opened) << error;
        EXPECT_EQ(opened->deviceClass(), profile.deviceClass);
        EXPECT_EQ(opened->dataColorSpace(), profile.colorSpace);
        const std::string element = profile.DescriptionElement();
        EXPECT_EQ(opened->element('desc'),
                  std::vector<std::uint8_t>(element.begin(), element.end()));
        EXPECT_EQ(opened->element('cprt'), std::nullopt);
    }
}

TEST_F(PlatformColorProfile, RefusesWhatIsNoProfileAndCreatesNothing) {
    std::string noMagic = icc::Profile{}.Bytes();
    noMagic[36] = 'x';
    std::filesystem::create_directory(folder.at("folder"));
    const struct {
        const char* name;
        std::u16string path;
        int error;
    } cases[] = {
        {"missing", Name("missing.icc"), ENOENT},
        {"folder", Name("folder"), EINVAL},
        {"header cut short", Write(icc::Profile{}.Bytes().substr(0, 100)), EINVAL},
        {"no magic", Write(noMagic), EINVAL},
    };
    for (const auto& c : cases) {
        int error = 0;
        EXPECT_FALSE(platform::ColorProfile::open(c.path, error)) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.at("missing.icc")));
}

TEST_F(PlatformColorProfile, ElementsThatAreEmptyOrReachPastTheFileAreMissing) {
    std::string pastTheEnd = icc::Profile{.description = "x"}.Bytes();
    icc::PutBigEndian(pastTheEnd, icc::kDescSizeField, 4096);
    std::string outOfRange = icc::Profile{.description = "x"}.Bytes();
    icc::PutBigEndian(outOfRange, icc::kDescOffsetField, 0xFFFFFFF0);
    const std::string cases[] = {
        icc::Profile{.descElement = ""}.Bytes(),
        icc::Profile{.noDescription = true}.Bytes(),
        pastTheEnd,
        outOfRange,
    };
    for (const std::string& bytes : cases) {
        int error = 0;
        auto opened = platform::ColorProfile::open(Write(bytes), error);
        ASSERT_TRUE(opened) << error;
        EXPECT_EQ(opened->element('desc'), std::nullopt);
    }
}
