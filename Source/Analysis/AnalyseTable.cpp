#include "Analysis/ZEPPageItemInfo.h"

// Will record the colours and text runs of a table's cells.
void ZEPPageItemInfo::AnalyseTable(IPMUnknown*) {}
