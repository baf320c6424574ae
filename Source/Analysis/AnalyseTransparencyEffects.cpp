#include "Analysis/ZEPPageItemInfo.h"

// Will record opacity, blend mode, feather, drop shadow and object transparency.
void ZEPPageItemInfo::AnalyseTransparencyEffects(IPMUnknown*) {}
