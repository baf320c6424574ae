// Fitting the selected frame to the job stored with its document.
#pragma once

#include "host/sdk/Document.h"

// Gives the selected page items of the document (null: the front document) the job's bleed size
// (its trim size when the bleed box equals the trim box) about their centre: resized to it, or
// scaled by one factor when the host's item-list tests ask for scaling. The pasteboard of the
// front view's spread grows, symmetric about the spread's origin, to hold the frame plus 50 on
// every side; the job guides are drawn around the frame and the views redrawn. Everything runs
// in one abortable command sequence named "0x52E00kStringZEPAdjustFrameCmdKey", which any
// failure aborts (leaving its code as the host's global error, 1 for an exception that is not a
// UException) before the exception is thrown on. Failures before the sequence (no front
// document, no job list, no selection suite or layout target, nothing selected: 0x52E1E
// "(iHierarchy) == NULL") change nothing. The job keeps the page values GetJobPageRect stores.
void AdjustSelectedFrameToJob(IDocument* document);
