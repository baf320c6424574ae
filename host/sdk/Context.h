// Where the user works: the active context that the host hands to a menu action (the view and
// the selection of the moment) and the number of the host's active window.
#pragma once

#include "host/sdk/IPMUnknown.h"

#include <cstdint>

class ISelectionManager;

class IActiveContext : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF05000};

    // The front document's layout view (no new reference), which carries the view's layout
    // data; null when there is none.
    virtual IPMUnknown* GetContextView() const = 0;
    // The context's selection manager (host/sdk/Selection.h; no new reference): the active one.
    virtual ISelectionManager* GetContextSelection() const = 0;
};

// The host's windows (utility interface 0xF05001).
class IWindowUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF05001};

    // The handle of the window the user works in, a number of pointer width; 0 when none.
    virtual std::uint64_t GetActiveWindow() const = 0;
};
