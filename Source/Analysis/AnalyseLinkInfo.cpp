#include "Analysis/ZEPPageItemInfo.h"

// Will record the path of the placed content's first link.
void ZEPPageItemInfo::AnalyseLinkInfo(IPMUnknown*) {}
