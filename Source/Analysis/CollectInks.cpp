#include "Analysis/ZEPPageItemInfo.h"

// Will record the kinds of the colour object's colours in the colour summary.
void ZEPPageItemInfo::CollectInks(IPMUnknown*) {}
