// Documents: each is a database of its own holding the document object and its workspace (where
// document-wide data lives: the plug-in's job list, inks, trap styles, print settings). The
// application keeps the open documents in order; the front document is the one the user works
// in.
#pragma once

#include "host/sdk/Colors.h"
#include "host/sdk/Database.h"
#include "host/sdk/Layout.h"
#include "host/sdk/PMString.h"
#include "host/sdk/Print.h"
#include "host/sdk/Tables.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
    // The panel manager (host/Panels.h), with a new reference; null when there is none.
    virtual IPanelMgr* QueryPanelManager() const = 0;
    // The action manager (host/Actions.h), with a new reference; null when there is none.
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

namespace host {

inline constexpr ClassID kApplicationBoss{0xF00102};
inline constexpr ClassID kUtilsBoss{0xF00103};
inline constexpr ClassID kDocBoss{0xF00110};

// One document of the stand-in: its database (the document object, its workspace, and the
// spreads, pages, layers and items of its layout, its colours, inks and tables), its layout, its
// print settings and its colour and table data.
struct Document {
    std::unique_ptr<DataBase> db;
    UID document = kInvalidUID;
    UID workspace = kInvalidUID;
    UID view = kInvalidUID; // the layout view's object, when the document has a view
    Layout layout;
    std::optional<PrintSettings> print; // when the document has print data
    Colors colors;
    Tables tables;

    IDocument* Get() const; // no new reference
    UIDRef WorkspaceRef() const { return {db.get(), workspace}; }
};

// The open document that stores the object behind a facet, and the object's UID there; no
// document when the object is not stored in an open document.
struct Located {
    Document* document = nullptr;
    UID uid;
    const Layout* layout() const { return document ? &document->layout : nullptr; }
};
Located Locate(const IPMUnknown* object);

// The entry of `uid` in a map kept by UID, or null.
template <typename T>
const T* FindByUID(const std::map<UID, T>& map, UID uid) {
    auto found = map.find(uid);
    return found == map.end() ? nullptr : &found->second;
}

// A new, empty document named `name` that is not open yet.
std::unique_ptr<Document> CreateDocument(const std::string& name);
// Opens the document as the front document.
Document& OpenDocument(std::unique_ptr<Document> document);
// Opens a new, empty document named `name` as the front document.
Document& NewDocument(const std::string& name);
std::vector<std::unique_ptr<Document>>& OpenDocuments();
// The front document, or null.
Document* FrontDocument();
void SetFrontDocument(const Document* document);
// Closes every document.
void CloseAllDocuments();

// Registers the host's document, application and utility classes (part of host::Reset).
void RegisterDocumentClasses();

} // namespace host
