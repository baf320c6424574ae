#include "Analysis/ZEPPageItemInfo.h"

// Will record the kinds of the item's own colours in the colour summary.
void ZEPPageItemInfo::AnalyseColors(IPMUnknown*) {}
