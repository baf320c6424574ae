// The set-preferences command: copies the preferences its data carries onto every item of its
// item list that keeps preferences (the session workspace). Undoable as a step of its own.
#pragma once

#include "host/sdk/Command.h"

class CZEPSetPluginPrefsCmd final : public Command {
public:
    explicit CZEPSetPluginPrefsCmd(IPMUnknown* boss);

    PMString CreateName() override;

protected:
    // Fails with the global error code 1 when the item list is empty or the data is missing, or
    // with the code of a failure on the way (RunAsCommandBody).
    void Do() noexcept override;
};
