#include "Plugin/ZEPPluginPrefs.h"

#include "Plugin/IZEPPluginPrefsData.h"
#include "Plugin/ZEPID.h"
#include "host/sdk/Command.h"
#include "host/sdk/Errors.h"
#include "host/sdk/Session.h"

namespace {

const ustring kSelectionBasedExports("SelectionBasedExports");
const ustring kCommonSizing("CommonSizing");

InterfacePtr<IPMUnknown> QuerySessionWorkspace() {
    ISession* session = GetExecutionContextSession();
    return InterfacePtr<IPMUnknown>(session ? session->QueryWorkspace() : nullptr);
}

// Runs the set-preferences command on the session workspace: its result, or 1 when the workspace,
// the command or its data is missing.
ErrorCode ProcessSetPrefsCommand(const umessage& prefs) {
    InterfacePtr<IPMUnknown> workspace = QuerySessionWorkspace();
    if (!workspace)
        return kFailure;
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kZEPSetPluginPrefsCmdBoss));
    if (!command)
        return kFailure;
    InterfacePtr<IZEPPluginPrefsData> data(command, UseDefaultIID{});
    if (!data)
        return kFailure;
    data->Set(prefs);
    command->SetItemList(UIDList(GetUIDRef(workspace.get())));
    return CmdUtils::ProcessCommand(command.get());
}

} // namespace

void LoadPluginPrefs(PluginPrefs& prefs) {
    InterfacePtr<IZEPPluginPrefsData> data(QuerySessionWorkspace(), UseDefaultIID{});
    if (!data)
        return;
    umessage stored;
    data->Get(stored);
    prefs.selectionBasedExports =
        stored.valueOr(kSelectionBasedExports, 0, prefs.selectionBasedExports);
    prefs.commonSizing = stored.valueOr(kCommonSizing, 0, prefs.commonSizing);
}

void SavePluginPrefs(const PluginPrefs& prefs) {
    using umessage_details::type_bool;
    umessage message;
    message.add(kSelectionBasedExports, type_bool, prefs.selectionBasedExports, false);
    message.add(kCommonSizing, type_bool, prefs.commonSizing, false);
    const ErrorCode result = ProcessSetPrefsCommand(message);
    if (result != kSuccess)
        ErrorUtils::PMSetGlobalErrorCode(result);
}

bool GetSelectionBasedExports() {
    PluginPrefs prefs;
    LoadPluginPrefs(prefs);
    return prefs.selectionBasedExports;
}

bool GetCommonSizing() {
    PluginPrefs prefs;
    LoadPluginPrefs(prefs);
    return prefs.commonSizing;
}

void SetSelectionBasedExports(bool value) {
    PluginPrefs prefs;
    LoadPluginPrefs(prefs);
    prefs.selectionBasedExports = value;
    SavePluginPrefs(prefs);
}

void SetCommonSizing(bool value) {
    PluginPrefs prefs;
    LoadPluginPrefs(prefs);
    prefs.commonSizing = value;
    SavePluginPrefs(prefs);
}
