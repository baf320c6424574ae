// Storing the companion application's job: whether the colour profiles it names are installed,
// storing its summary in a document (with the document's colour profile and, on request, its
// geometry), and making a new document shaped by the job to store it in.
#pragma once

#include "Plugin/IZEPJobList.h"
#include "host/sdk/Document.h"
#include "utils/ustring.h"

// Checks the job before any document changes. Clears `profileName`; a job whose selected group
// has no destination (or that has no selected group) passes unchecked with a document and
// raises 0x52E29 without one. Otherwise the process profile, when the job names one, must be
// installed (FindInstalledProfile's code raised unchanged) and then gives `profileName`; each
// set parameter (0, then 1) of the setting "Setting_WorkingSpaceProfiles" must be installed too
// (0x52E34 raised as 0x52E38, other codes unchanged). Every raise has an empty text.
void CheckJobProfiles(IDocument* document, IZEPJobList* job, ustring& profileName);

// In a command sequence of its own: the save-details command copies the job's summary into the
// document's job list (a step that undo takes back), the document gets the profile of that name
// (an empty name resets its profile), and with `fit` the document is fitted to the stored job.
// Any failure, also a profile command that leaves an error code, leaves the global error code 1
// so that the host rolls the whole sequence back, and is thrown on.
void StoreJobInDocument(IDocument* document, IZEPJobList* job, const ustring& profileName,
                        bool fit);

// In a command sequence named by the translated "0x52E00ZEPNewZephrinDocCmd" (merged into the
// previous undo step): a new document of the job's trim size, margins from its type area and its
// bleed, a window on it (the new document becomes the front one), its name from the job's
// document name when there is one, and the job stored in it unfitted (StoreJobInDocument). The
// job keeps what GetJobPageRect stored in it. Any failure leaves the global error code 1, so
// that the host closes the new document again, and is thrown on.
void NewDocumentFromJob(IZEPJobList* job, const ustring& profileName);
