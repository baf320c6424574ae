// Documents: each is a database of its own holding the document object and its workspace (where
// document-wide data lives: the plug-in's job list, inks, trap styles, print settings). The
// application keeps the open documents in order; the front document is the one the user works
// in.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Layout.h"
#include "host/sdk/PMString.h"

class IDocument : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xE02};

    // The reference for document-wide data.
    virtual UIDRef GetDocWorkSpace() const = 0;
    virtual PMString GetName() const = 0;
    // Journaled.
    virtual void SetName(const PMString& name) = 0;
};

class IDocumentList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF00004};

    virtual int GetDocCount() const = 0;
    // The document at the index (no new reference); null outside the list.
    virtual IDocument* GetNthDoc(int index) const = 0;
};

class IActionManager;
class IPanelMgr;

class IApplication : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF00005};

    // The open documents, with a new reference.
    virtual IDocumentList* QueryDocumentList() const = 0;
    // The panel manager (host/sdk/Panels.h), with a new reference; null when there is none.
    virtual IPanelMgr* QueryPanelManager() const = 0;
    // The action manager (host/sdk/Actions.h), with a new reference; null when there is none.
    virtual IActionManager* QueryActionManager() const = 0;
};

// The host's layout utilities (utility interface 0x1D03E).
class ILayoutUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1D03E};

    // The front document (no new reference); null when no document is open.
    virtual IDocument* GetFrontDocument() const = 0; // 5th operation
    // What the front document's layout view shows, with a new reference; null when there is no
    // front document or it has no view.
    virtual ILayoutControlData* QueryFrontLayoutData() const = 0;
    // Asks every layout view of the open document to redraw: "invalidate <document name>" per
    // view on Channel::Redraws. Nothing for a document that is not open or has no view.
    virtual void InvalidateViews(const IDocument* document) const = 0;
};

// The host's utilities, each an interface of the session's utility object.
namespace UtilsBoss {
// The utility interface with a new reference, or null.
IPMUnknown* QueryUtils(PMIID iid);
template <typename I>
I* QueryUtils() {
    return static_cast<I*>(QueryUtils(I::kDefaultIID));
}
} // namespace UtilsBoss

// The class of a document's workspace, where plug-ins add document-wide data.
inline constexpr ClassID kDocWorkspaceBoss{0xF00111};
