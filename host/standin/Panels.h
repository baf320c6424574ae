// The stand-in's panels (host/sdk/Panels.h): the Layers panel and whether it is present.
#pragma once

#include "host/sdk/Panels.h"
#include "host/standin/Database.h"

namespace host {

inline constexpr WidgetID kLayersPanelWidget{0x4820};
inline constexpr ClassID kPanelViewBoss{0xF06002};

void SetLayersPanelPresent(bool present);
bool IsLayersPanelPresent();

// Registers the panel classes and makes the Layers panel present (part of host::Reset).
void RegisterPanelClasses();
// Stores the Layers panel's view object in the session's database (part of making the session's
// objects).
void NewPanelViews(DataBase& session);

} // namespace host
