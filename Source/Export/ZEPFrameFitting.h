// Fitting the selected frame to the job stored with its document.
#pragma once

#include "host/Document.h"

// Fits the selected frame of the document (null: the front document) to the job; throws
// CZEPException. Not available yet: it raises 0x52E1F "AdjustSelectedFrameToJob".
void AdjustSelectedFrameToJob(IDocument* document);
