// The application's panels: the panel manager (on the application object) tells whether a
// panel is present and gives its view. The stand-in has one panel, the Layers panel (widget
// 0x4820), present unless closed (host::SetLayersPanelPresent; "layersPanel" in the session
// description). A view's redraw requests are recorded on Channel::Redraws.
#pragma once

#include "host/sdk/IPMUnknown.h"

using WidgetID = HostNumber<struct WidgetIDTag>;

class IControlView : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF06000};

    // Recorded as "panel <widget> invalidate".
    virtual void Invalidate() = 0;
    // Recorded as "panel <widget> redraw true" (or false).
    virtual void Redraw(bool now) = 0;
};

class IPanelMgr : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF06001};

    virtual bool IsPanelPresent(const WidgetID& widget) const = 0;
    // The present panel's view (no new reference); null for a panel that is not present.
    virtual IControlView* GetPanelView(const WidgetID& widget) const = 0;
};
