#include "Analysis/ZEPPageItemInfo.h"

// Will record the placed file's type, bitmap flag, colour space, link path and soft mask.
void ZEPPageItemInfo::AnalysePlacedFileFormat(IPMUnknown*) {}
