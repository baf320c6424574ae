#include "Analysis/ZEPPageItemInfo.h"

// Will resolve the inks of the item's ink list in the document.
void ZEPPageItemInfo::AnalyseDocumentInks(IPMUnknown*) {}
