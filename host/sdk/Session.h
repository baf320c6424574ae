// The session: the host's object that lives as long as the application, with its own database,
// its workspace (where session-wide data such as preferences is kept) and the application.
#pragma once

#include "host/sdk/IPMUnknown.h"

class ISession : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF00003};

    // The session workspace, with a new reference; null when there is none.
    virtual IPMUnknown* QueryWorkspace() const = 0;
    // The application object, with a new reference; null when there is none.
    virtual IPMUnknown* QueryApplication() const = 0;
};

// The running session (the host keeps it alive; no new reference).
ISession* GetExecutionContextSession();

// The class of the session workspace, where plug-ins add session-wide data.
inline constexpr ClassID kSessionWorkspaceBoss{0xF00101};
