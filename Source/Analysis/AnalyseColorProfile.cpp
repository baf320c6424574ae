#include "Analysis/ZEPPageItemInfo.h"

// Will record the colour profile that applies to a placed graphic.
void ZEPPageItemInfo::AnalyseColorProfile(IPMUnknown*) {}
