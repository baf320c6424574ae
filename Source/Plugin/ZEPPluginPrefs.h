// The plug-in's two preferences, kept in a message on the session workspace:
// "SelectionBasedExports" (export and fit the selected frame instead of the whole document) and
// "CommonSizing". Both are false until set. Nothing is cached: every getter reads the workspace
// again, every setter runs the undoable set-preferences command.
#pragma once

struct PluginPrefs {
    bool selectionBasedExports = false;
    bool commonSizing = false;
};

// Overwrites each flag the stored message holds as a bool; the others keep their values. A
// missing workspace or preferences object changes nothing.
void LoadPluginPrefs(PluginPrefs& prefs);
// Stores both flags through the set-preferences command. Never throws: a failure leaves its code
// as the global error (1 when the workspace, the command or its data is missing).
void SavePluginPrefs(const PluginPrefs& prefs);

bool GetSelectionBasedExports();
bool GetCommonSizing();
// Loads, sets the one flag and saves, also when the value does not change.
void SetSelectionBasedExports(bool value);
void SetCommonSizing(bool value);
