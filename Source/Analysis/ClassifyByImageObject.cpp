#include "Analysis/ZEPPageItemInfo.h"

// Will record an image object's content as EPS.
void ZEPPageItemInfo::ClassifyByImageObject(IPMUnknown*) {}
