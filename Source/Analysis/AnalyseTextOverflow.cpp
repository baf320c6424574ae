#include "Analysis/ZEPPageItemInfo.h"

// Will tag a text frame as a text item, tag overflowing text and collect its text runs.
void ZEPPageItemInfo::AnalyseTextOverflow(IPMUnknown*) {}
