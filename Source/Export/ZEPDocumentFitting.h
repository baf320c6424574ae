// Fitting a document to the job stored with it: the page size becomes the job's trim size, the
// document's bleed the job's bleed, the margins follow the job's type area, and the job guides
// of an earlier frame fitting are removed. The adjust action chooses between this and fitting
// the selected frame.
#pragma once

#include "Plugin/IZEPJobList.h"
#include "host/sdk/Document.h"
#include "host/sdk/Geometry.h"
#include "utils/Geometry2D.h"

class BJobFile;

// Fits the selected frame when page items are selected in the layout and the preference
// "SelectionBasedExports" is on (asked only then), else the whole document. A null document is
// the front document (none: 0x52E1E "(result) == NULL").
void AdjustToJob(IDocument* document);

// Fits the whole document (null: the front document) to its job. A job without a usable trim
// box shows the alert "0x52E00ZEPNoDestinationErr" and changes nothing. Otherwise everything
// runs in one command sequence named "0x52E00kStringZEPAdjustFrameCmdKey": the unlocked layers
// are locked, the guide layer cleared, the margins set, the document set up (page size, bleed,
// page count and the page-setup preferences' values) and the layers unlocked again, then the
// document's views are redrawn. Any failure inside the sequence leaves its code as the host's
// global error (1 for an exception that is not a UException), so the host rolls the sequence
// back when it is ended, and is thrown on.
void AdjustDocumentToJob(IDocument* document);

// The job page rectangle: (0, 0, |width|, |height|) of the bleed box when `useBleed` and the
// bleed box differs from the trim box, else of the trim box. Before that the job's common-sizing
// flag takes the preference "CommonSizing" and its boxes are recomputed; afterwards the job keeps
// the page width and depth and the bleed per side. These are direct changes of the job, which
// no command sequence rolls back.
PMRect GetJobPageRect(BJobFile& job, bool useBleed);

// The job list stored with the document, with a new reference. A null document is replaced by
// the front document, also in the caller's pointer (none: 0x52E1E "(result) == NULL"); no job
// list: 0x52E1E "(iZEPJobList) == NULL".
InterfacePtr<IZEPJobList> GetDocumentJobList(IDocument*& document);

// True when page items are selected in a layout.
bool HasActiveSelection();

// True when the boxes differ in origin or size.
bool BoxesDiffer(const zeu::Rect2D& a, const zeu::Rect2D& b);
