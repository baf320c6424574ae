#include "Analysis/ZEPPageItemInfo.h"

// Will record whether the item's colour has components of another colour class.
void ZEPPageItemInfo::AnalyseColorComponents(IPMUnknown*) {}
