#include "Analysis/ZEPFontLookup.h"

// Will record the kind of the named font, as the host's font manager reports it, in the summary.
void FindMissingFont(const PMString&, FontSummary&) {}
