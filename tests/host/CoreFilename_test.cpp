// Tests of the stand-in's executable file name: the running program, then its folders up to the
// drive's root.
#include "host/sdk/CoreFilename.h"
#include "support/HostFixture.h"

#include <filesystem>

namespace {

TEST_F(HostTest, TheExecutablesFileNameClimbsFromTheProgramToTheDrivesRoot) {
    InterfacePtr<ICoreFilename> name(static_cast<ICoreFilename*>(
        CreateObject(kExecutableCoreFilenameBoss, ICoreFilename::kDefaultIID)));
    ASSERT_TRUE(name && name->GetFullName());
    std::u16string expected = u"Z:" + std::filesystem::canonical("/proc/self/exe").u16string();
    EXPECT_EQ(name->GetFullName()->GetUTF16(), expected);
    while (expected != u"Z:/") {
        const std::size_t slash = expected.rfind(u'/');
        expected.resize(slash == 2 ? 3 : slash);
        ASSERT_TRUE(name->SwitchToParentDir()) << PMString(expected).GetUTF8String();
        EXPECT_EQ(name->GetFullName()->GetUTF16(), expected);
    }
    EXPECT_FALSE(name->SwitchToParentDir());
    EXPECT_EQ(name->GetFullName()->GetUTF16(), u"Z:/");
}

} // namespace
