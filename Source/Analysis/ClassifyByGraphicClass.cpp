#include "Analysis/ZEPPageItemInfo.h"

// Will record a PICT graphic's type.
void ZEPPageItemInfo::ClassifyByGraphicClass(IPMUnknown*) {}
