#include "Analysis/ZEPPageItemInfo.h"

// Will record EPS content, the embedded image's UID and the content's colours.
void ZEPPageItemInfo::ClassifyByImageData(IPMUnknown*) {}
