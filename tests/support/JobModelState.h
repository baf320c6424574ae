// Test aid: the job model's process-wide state as at the start of a process, when the object is
// made and again when it goes: no default-settings message, no setting-definitions registry and
// the PDF-forbidding flag set. The registry is built once from the first job read that carries
// definitions, so without this a test would check its jobs against the definitions of whatever
// job an earlier test of the same process read first.
#pragma once

#include "model/BCheckSettingList.h"
#include "model/SettingDefinitions.h"

class JobModelState {
public:
    JobModelState() { Reset(); }
    ~JobModelState() { Reset(); }
    JobModelState(const JobModelState&) = delete;
    JobModelState& operator=(const JobModelState&) = delete;

    // Back to the start of a process; every SettingDefinition made before dangles.
    static void Reset() {
        SettingDefinitionsRegistry::Reset();
        ResetDefaultSettings();
        ResetForceEPSExport();
    }
};
