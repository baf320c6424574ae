#include "Analysis/ZEPColorAnalysis.h"
#include "Analysis/ZEPPageItemInfo.h"
#include "host/sdk/Colors.h"

void ZEPPageItemInfo::CollectInks(IColorObject* color, PMReal, bool) {
    CollectColorSpaces(color, m_colorSummary);
}
