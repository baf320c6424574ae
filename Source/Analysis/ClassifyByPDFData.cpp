#include "Analysis/ZEPPageItemInfo.h"

// Will record placed PDF content, its transparency and its colours.
void ZEPPageItemInfo::ClassifyByPDFData(IPMUnknown*) {}
