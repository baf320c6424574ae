// Built with the plug-in's usage requirements by the test Plugin.SeesOnlyTheHostSDK, which expects
// this include not to be found: the plug-in sees the host's SDK surface, not the stand-in's
// insides.
#include "host/standin/Host.h"
