// The stand-in's layer and guide commands and layer utilities (host/sdk/LayerCommands.h).
#pragma once

#include "host/sdk/LayerCommands.h"

namespace host {

// Registers the three commands, their data and the layer utilities (part of host::Reset).
void RegisterLayerCommandClasses();

} // namespace host
