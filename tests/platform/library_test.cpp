// Tests of the module-path lookup: which file holds an address.
#include "platform/files.h"
#include "platform/library.h"

#include <gtest/gtest.h>

namespace {

const int kInThisProgram = 0;

TEST(PlatformLibrary, NamesTheFileThatHoldsAnAddress) {
    EXPECT_EQ(platform::moduleFileNameOf(&kInThisProgram), platform::moduleFileName());
    const auto library =
        platform::moduleFileNameOf(reinterpret_cast<const void*>(&platform::openLibrary));
    ASSERT_TRUE(library);
    EXPECT_TRUE(library->starts_with(u"Z:/") && library->ends_with(u"/libzep_platform.so"));
    EXPECT_EQ(platform::resolvedPath(*library), library) << "links resolved";
    EXPECT_EQ(platform::moduleFileNameOf(nullptr), std::nullopt);
}

} // namespace
