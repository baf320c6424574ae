// libFuzzer target for the preferences' stored record: the session workspace's preferences read
// arbitrary bytes through the host stream and must end with some preferences (empty when refused),
// never in a crash, a read past the stream, a huge allocation or a sanitizer report. What was read
// writes a record that reads back to the same record.
#include "Plugin/IZEPPluginPrefsData.h"
#include "Plugin/ZEPPlugin.h"
#include "Plugin/ZEPPluginPrefs.h"
#include "QuietLog.h"
#include "host/standin/Host.h"
#include "host/standin/Session.h"
#include "host/standin/Stream.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// The preferences object of the session workspace and its read-write function.
struct StoredPrefs {
    IZEPPluginPrefsData* object = nullptr;
    Boss::PersistentFacet facet{};

    void Transfer(IPMStream& stream) const {
        facet.readWrite(facet.object, &stream, facet.implementation);
    }
    std::vector<std::uint8_t> Written() const {
        auto writer = MemoryStream::Writer();
        Transfer(*writer);
        return writer->Bytes();
    }
};

StoredPrefs Attach() {
    host::Reset();
    if (!host::Attach(GetPlugIn()))
        __builtin_trap();
    StoredPrefs prefs;
    InterfacePtr<IZEPPluginPrefsData> data(host::SessionWorkspaceRef(), UseDefaultIID{});
    prefs.object = data.get(); // the session database holds the workspace
    for (const Boss::PersistentFacet& facet : Boss::Of(data.get())->PersistentFacets())
        if (facet.object == data.get())
            prefs.facet = facet;
    if (!prefs.facet.readWrite)
        __builtin_trap();
    return prefs;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    discardLogRecords();
    static const StoredPrefs prefs = Attach();

    auto reader = MemoryStream::Reader(std::vector<std::uint8_t>(data, data + size));
    prefs.Transfer(*reader);
    if (reader->Position() > size)
        __builtin_trap();
    // The getters read whatever was stored without failing.
    (void)GetSelectionBasedExports();
    (void)GetCommonSizing();

    const std::vector<std::uint8_t> written = prefs.Written();
    auto again = MemoryStream::Reader(written);
    prefs.Transfer(*again);
    if (again->Failed() || again->Remaining() != 0 || prefs.Written() != written)
        __builtin_trap();
    return 0;
}
