#include "Plugin/CZEPException.h"
#include "Plugin/ZEPID.h"
#include "host/sdk/Errors.h"
#include "support/PluginFixture.h"

#include <new>
#include <stdexcept>

namespace {

struct BoundaryCase {
    const char* name;
    void (*raise)();
    std::uint32_t code; // the global error code the report sets
    const char* alert;  // nullptr: no alert
};

const BoundaryCase kBoundaryCases[] = {
    {"utility error with text", [] { throw UException(ustring("bad path"), 3); }, 0x52E0D,
     "bad path"},
    {"plug-in code without text shows the resource text",
     [] { ThrowZEPException(ustring(), 0x52E29); }, 0x52E29, "The job has no destination."},
    {"plug-in code the resource lacks keeps the host's empty lookup",
     [] { ThrowZEPException(ustring(), 0x52E77); }, 0x52E77, "Unknown error 339575"},
    {"guard text", [] { ThrowIfNull(static_cast<int*>(nullptr), "iSpread"); }, 0x52E1E,
     "(iSpread) == NULL"},
    {"standard exception", [] { throw std::runtime_error("UKeyInStream: meta key mismatch"); }, 1,
     "UKeyInStream: meta key mismatch"},
    {"standard exception without text", [] { throw std::runtime_error(""); }, 1, "Unknown error 1"},
    {"anything else", [] { throw 7; }, 1, "Unknown error 1"},
    {"four printable bytes show least significant first",
     [] { ThrowZEPException(ustring(), 'abcd'); }, 'abcd', "Unknown error 'dcba'"},
    {"a user's cancel shows nothing", [] { ThrowZEPException(ustring(), 2); }, 2, nullptr},
};

TEST_F(PluginTest, TheBoundaryReportsShowsOneAlertAndClears) {
    for (const BoundaryCase& c : kBoundaryCases) {
        SCOPED_TRACE(c.name);
        host::Recorder::Instance().Clear(host::Channel::Alerts);
        RunAtHostBoundary(c.raise);
        const auto& alerts = Log(host::Channel::Alerts);
        if (c.alert)
            EXPECT_EQ(alerts, std::vector<std::string>{c.alert});
        else
            EXPECT_TRUE(alerts.empty());
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess);
        // The code a utility or plug-in exception's report sets, which the alert shows.
        try {
            c.raise();
        } catch (const UException& exception) {
            ReportUException(exception);
            EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode().Get(), c.code);
            ClearGlobalError();
        } catch (...) { // other exceptions have no report of their own
        }
    }
}

TEST_F(PluginTest, ACommandBodyLeavesTheFailuresCodeForTheHost) {
    const std::pair<void (*)(), std::uint32_t> cases[] = {
        {[] { throw UException(ustring("bad path"), 3); }, 3},
        {[] { ThrowZEPException(ustring(), 0x52E29); }, 0x52E29},
        {[] { throw std::runtime_error("UKeyInStream: meta key mismatch"); }, 1},
        {[] { throw 7; }, 1},
        // A code the body left before it threw stays.
        {[] {
             ErrorUtils::PMSetGlobalErrorCode(ErrorCode{0x52E1E});
             throw std::bad_alloc();
         },
         0x52E1E},
    };
    for (const auto& [raise, code] : cases) {
        RunAsCommandBody(raise);
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode().Get(), code);
        ClearGlobalError();
    }
}

TEST_F(PluginTest, TheErrorStringServiceOwnsThePluginRange) {
    InterfacePtr<IErrorStringService> service(static_cast<IErrorStringService*>(
        CreateObject(kZEPErrorStringServiceBoss, IErrorStringService::kDefaultIID)));
    ASSERT_TRUE(service);
    for (auto [code, owned] :
         {std::pair{0x52DFFu, false}, {0x52E00u, true}, {0x52EFFu, true}, {0x52F00u, false}})
        EXPECT_EQ(service->OwnsErrorCode(ErrorCode{code}), owned) << code;
    EXPECT_EQ(service->GetErrorString(ErrorCode{0x52E29}).GetUTF8String(),
              "The job has no destination.");
}

TEST(IsPrintableFourCC, ReadsEveryByte) {
    EXPECT_TRUE(IsPrintableFourCC('abcd'));
    EXPECT_FALSE(IsPrintableFourCC(0x52E1E));
    EXPECT_FALSE(IsPrintableFourCC(0x61626300));
    EXPECT_FALSE(IsPrintableFourCC(0x00626364));
}

} // namespace
