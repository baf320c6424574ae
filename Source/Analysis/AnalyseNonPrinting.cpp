#include "Analysis/ZEPPageItemInfo.h"

// Will record an item that does not print as "PrintoutSuppressed".
void ZEPPageItemInfo::AnalyseNonPrinting(IPMUnknown*) {}
