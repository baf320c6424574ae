#include "Plugin/CZEPException.h"
#include "Plugin/IZEPPluginPrefsData.h"
#include "Plugin/ZEPPluginPrefs.h"
#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Faults.h"
#include "host/standin/Session.h"
#include "support/DeepMessage.h"
#include "support/LogCapture.h"
#include "support/PersistentFacet.h"
#include "support/PluginFixture.h"

#include <climits>
#include <sstream>

namespace {

using Bytes = std::vector<std::uint8_t>;
using umessage_details::type_bool;
using umessage_details::type_int;

const std::string kCommandName = "0x52E00kStringZEPSetPluginPrefsCmdKey";

Bytes Flattened(const umessage& message) {
    std::ostringstream out;
    EXPECT_TRUE(message.flatten(out));
    const std::string bytes = out.str();
    return Bytes(bytes.begin(), bytes.end());
}

// The stored record: 16-bit version and 32-bit length, little-endian, then the bytes.
Bytes Record(std::int16_t version, std::int32_t length, const Bytes& bytes) {
    Bytes record{static_cast<std::uint8_t>(version), static_cast<std::uint8_t>(version >> 8)};
    for (int shift = 0; shift < 32; shift += 8)
        record.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(length) >> shift));
    record.insert(record.end(), bytes.begin(), bytes.end());
    return record;
}
Bytes Record(std::int16_t version, const umessage& message) {
    const Bytes bytes = Flattened(message);
    return Record(version, static_cast<std::int32_t>(bytes.size()), bytes);
}

umessage Prefs(bool selectionBasedExports, bool commonSizing) {
    umessage message;
    message.add(ustring("SelectionBasedExports"), type_bool, selectionBasedExports);
    message.add(ustring("CommonSizing"), type_bool, commonSizing);
    return message;
}

Bytes StoredPrefs() {
    return WriteFacet(host::SessionWorkspaceRef(), IID_IZEPPLUGINPREFSDATA);
}

TEST_F(PluginTest, StoredPreferencesReadOnlyFromAVersion2BoolRecordAndAreSavedBackAsVersion2) {
    umessage commonOnly;
    commonOnly.add(ustring("CommonSizing"), type_bool, true);
    umessage commonAsInt;
    commonAsInt.add(ustring("SelectionBasedExports"), type_bool, true);
    commonAsInt.add(ustring("CommonSizing"), type_int, 1);
    const Bytes both = Flattened(Prefs(true, true));
    const auto size = static_cast<std::int32_t>(both.size());
    const struct {
        const char* name;
        Bytes record;
        bool selectionBasedExports;
        bool commonSizing;
        bool refused = false; // the length is refused with an error record
    } cases[] = {
        {"both set", Record(2, Prefs(true, true)), true, true},
        {"only CommonSizing", Record(2, commonOnly), false, true},
        {"an int is no bool", Record(2, commonAsInt), true, false},
        {"version 1", Record(1, Prefs(true, true)), false, false},
        {"version 3", Record(3, Prefs(true, true)), false, false},
        {"negative length", Record(2, -1, both), false, false, true},
        {"length one past the rest", Record(2, size + 1, both), false, false, true},
        {"length far past the rest", Record(2, INT_MAX, both), false, false, true},
        {"no message", Record(2, 3, {9, 0, 0}), false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto reader =
            ReadFacet(host::SessionWorkspaceRef(), IID_IZEPPLUGINPREFSDATA, c.record);
        EXPECT_FALSE(reader->Failed());
        EXPECT_EQ(GetSelectionBasedExports(), c.selectionBasedExports);
        EXPECT_EQ(GetCommonSizing(), c.commonSizing);

        // Setting a flag to its own value still runs the command, which stores both entries.
        host::Recorder::Instance().Clear(host::Channel::Commands);
        SetCommonSizing(c.commonSizing);
        EXPECT_EQ(Log(host::Channel::Commands).size(), 1u);
        EXPECT_EQ(StoredPrefs(), Record(2, Prefs(c.selectionBasedExports, c.commonSizing)));
    }
}

TEST_F(PluginTest, EachToggleIsAnUndoStepAndStoresItsExactRecord) {
    const struct {
        const char* name;
        bool (*get)();
        void (*set)(bool);
        umessage stored; // after the first toggle
    } toggles[] = {
        {"SelectionBasedExports", GetSelectionBasedExports, SetSelectionBasedExports,
         Prefs(true, false)},
        {"CommonSizing", GetCommonSizing, SetCommonSizing, Prefs(false, true)},
    };
    for (const auto& t : toggles) {
        SCOPED_TRACE(t.name);
        const Bytes fresh = StoredPrefs();
        EXPECT_EQ(fresh, Record(2, umessage()));
        EXPECT_FALSE(t.get());
        t.set(!t.get());
        EXPECT_TRUE(t.get());
        EXPECT_EQ(StoredPrefs(), Record(2, t.stored));
        t.set(!t.get());
        EXPECT_FALSE(t.get());
        EXPECT_EQ(host::UndoStepNames(), std::vector<std::string>(2, kCommandName));

        ASSERT_TRUE(host::Undo());
        EXPECT_TRUE(t.get());
        ASSERT_TRUE(host::Undo());
        EXPECT_EQ(StoredPrefs(), fresh);
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess);
    }
}

// Preferences that flatten refuses are stored as a record without a message, which reads back
// as empty preferences; the failure is logged and the preferences held are kept.
TEST_F(PluginTest, PreferencesTooDeepToFlattenAreStoredEmptyWithAnErrorAndKept) {
    InterfacePtr<IZEPPluginPrefsData> data(host::SessionWorkspaceRef(), UseDefaultIID{});
    ASSERT_TRUE(data);
    const umessage deeper = deepMessage(umessage::kMaxDepth + 1);
    data->Set(deeper);
    LogCapture log;
    const Bytes stored = StoredPrefs();
    EXPECT_EQ(stored, Record(2, 0, {}));
    ASSERT_EQ(log.records().size(), 1u);
    EXPECT_EQ(log.records()[0].function, "CZEPPluginPrefsData::ReadWrite");
    EXPECT_EQ(log.records()[0].text, "the preferences are stored empty: the preferences nest "
                                     "deeper than a stored message may");
    umessage held;
    data->Get(held);
    EXPECT_EQ(held, deeper);

    EXPECT_FALSE(ReadFacet(host::SessionWorkspaceRef(), IID_IZEPPLUGINPREFSDATA, stored)->Failed());
    data->Get(held);
    EXPECT_TRUE(held.empty());
    EXPECT_EQ(log.records().size(), 1u);
}

TEST_F(PluginTest, AFailedSaveOnlySetsItsCodeWhichTheActionBoundaryShowsOnce) {
    const struct {
        const char* name;
        void (*fault)();
        ErrorCode code;
        const char* alert; // nullptr: the toggle succeeds
    } cases[] = {
        {"no command",
         [] { host::Faults::Instance().FailCreateCommand(kZEPSetPluginPrefsCmdBoss); }, kFailure,
         "Unknown error 1"},
        {"no command data",
         [] {
             host::Faults::Instance().HideInterface(kZEPSetPluginPrefsCmdBoss,
                                                    IID_IZEPPLUGINPREFSDATA);
         },
         kFailure, "Unknown error 1"},
        {"the command fails",
         [] {
             host::Faults::Instance().FailProcessCommand(kZEPSetPluginPrefsCmdBoss,
                                                         ErrorCode{0x1234});
         },
         ErrorCode{0x1234}, "Unknown error 4660"},
        {"the command succeeds", [] {}, kSuccess, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host::Faults::Instance().Reset();
        c.fault();
        EXPECT_NO_THROW(SetCommonSizing(true));
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), c.code);
        ClearGlobalError();

        host::Recorder::Instance().Clear(host::Channel::Alerts);
        RunActionAtHostBoundary([] { SetSelectionBasedExports(!GetSelectionBasedExports()); });
        EXPECT_EQ(Log(host::Channel::Alerts),
                  c.alert ? std::vector<std::string>{c.alert} : std::vector<std::string>{});
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess);
        EXPECT_EQ(GetSelectionBasedExports(), c.code == kSuccess);
    }
}

} // namespace
