#include "Export/ZEPFrameFitting.h"

#include "Plugin/CZEPException.h"
#include "Plugin/ZEPID.h"

void AdjustSelectedFrameToJob(IDocument* /*document*/) {
    ThrowZEPException("AdjustSelectedFrameToJob", kZEPFailedConditionError);
}
