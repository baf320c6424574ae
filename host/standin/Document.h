// The stand-in's documents (host/sdk/Document.h): each one's database, layout, print settings,
// colours and tables, and the application's list of open documents.
#pragma once

#include "host/sdk/Document.h"
#include "host/sdk/Print.h"
#include "host/standin/Colors.h"
#include "host/standin/Database.h"
#include "host/standin/Layout.h"
#include "host/standin/Tables.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
// Locate for a facet of the stand-in, given the boss it was made for (CPMUnknown::GetBoss): the
// same answer, read off the boss instead of asking the facet for it.
Located LocateBoss(const IPMUnknown* boss);

// The entry of `uid` in a map kept by UID, or null.
template <typename Map>
const typename Map::mapped_type* FindByUID(const Map& map, UID uid) {
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
