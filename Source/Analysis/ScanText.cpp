#include "Analysis/UZEPTableAnalyzer.h"
#include "Analysis/ZEPPageItemInfo.h"

void ZEPPageItemInfo::ScanText(ITextModel* textModel, std::int32_t start, std::int32_t length) {
    if (!textModel)
        return;
    static_cast<void>(ScanVisibleRuns(textModel, start, length, [this](ITextAttributes* run) {
        OnVisibleText(run);
        return true;
    }));
}
