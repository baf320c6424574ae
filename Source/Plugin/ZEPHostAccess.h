// Small ways into the host that many parts of the plug-in share: the layout utilities and the
// front document, the front layout view, the progress texts, the vendor folder under the common
// application data, host file references, the plug-in's name and author, and the two stream
// transfers of the job list's persistence.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Document.h"
#include "host/sdk/IDFile.h"
#include "host/sdk/PMString.h"
#include "host/sdk/Stream.h"
#include "utils/FilePath.h"
#include "utils/ustring.h"

#include <string>

// The host's layout utilities, or null. The host keeps them alive: the caller holds no
// reference.
ILayoutUtils* GetLayoutUtils();
// The front document (no new reference); none: 0x52E1E "(result) == NULL".
IDocument* GetFrontDocument();
// The front layout view's control data with a new reference; null when `document` is null and
// no document is open, or when there is no front layout view. The result is always the front
// view's: `document` only decides whether to ask.
ILayoutControlData* QueryFrontLayoutControlData(IDocument* document);

// The main and the secondary text of the application's progress display; nothing when the host
// offers no application or no progress display.
void ShowSessionMessage(const ustring& text);
void ShowSessionSubMessage(const ustring& text);
// The position of the progress display's current bar: `fraction` times the bar's range (maximum
// minus minimum, the minimum not added), rounded to the nearest whole number; a fraction below
// 0 or not a number counts as 0, one above 1 as 1. Nothing when the host offers no application,
// no progress display or no bar.
void SetSessionProgress(double fraction);
// Reads the current bar's position and sets it again; nothing when there is no bar.
void RefreshSessionProgress();

// "Adobe" in the common application data folder.
UFileSpecCore GetCommonAppDataVendorFolder();
// The host's reference to the file. Nothing is created: an export's file appears under its name
// only once it is complete, and a missing folder fails the host's write, which reports it.
IDFile MakeIDFile(const UFileSpecCore& spec);

// The folder of the running host program, from the host's executable file name moved to its
// parent folder. Missing host objects: 0x52E1E "(iExecutableCoreFilename) == NULL",
// "(iCoreFilenameUtils) == NULL"; no parent folder: 0x52E1F
// "!(iExecutableCoreFilename->SwitchToParentDir())"; no name: 0x52E1E "(theFullName) == NULL".
void GetApplicationFolder(PMString& path);

// The translated plug-in name followed by its version ("5.9.9.1"), and the translated author;
// looked up once.
void GetPluginNameAndAuthor(PMString& name, PMString& author);

// A byte string as a signed 32-bit length and its bytes; a read takes the bytes in pieces of at
// most 1024. A stored length that is negative or beyond the bytes the stream still holds (or a
// stream that fails on the length) is a damaged record: false, the text empty, nothing
// allocated and nothing read past the length.
[[nodiscard]] bool XferStdString(IPMStream* stream, std::string& text);
// A UID list as a signed 32-bit count and one UID reference per entry; a read reserves room for
// the count. A stored count that is negative or beyond the bytes the stream still holds (nothing
// is reserved for it), or entries the stream cannot give, is a damaged record: false and the
// list empty.
[[nodiscard]] bool XferUIDList(IPMStream* stream, UIDList& list);
