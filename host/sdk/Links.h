// Links of placed items to their files: the document's link manager (on the document, the root
// of its database), link objects and the link resources (files) they name. They come from the
// document description (an item's "placed" "links") and do not change.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/IPMUnknown.h"

#include <cstdint>
#include <string>

using WideString = std::u16string;

// A resource a link names: the linked file (interface 0xF0B001).
class ILinkResource : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF0B001};

    // The resource's full name, the file's path as it was linked. The option is the host's.
    virtual WideString GetLongName(std::int32_t option) const = 0;
};

class ILink : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x8C3C};

    // The UID of the resource the link names; kInvalidUID for none.
    virtual UID GetResource() const = 0;
};

class ILinkManager : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x8C41};

    // Fills `links` (cleared first) with the links of the stored object, first to last, and
    // answers their count.
    virtual std::int32_t QueryLinksByObject(UID object, UIDList& links) const = 0;
    // The resource of that UID with a new reference; null when it names no resource.
    virtual ILinkResource* QueryResourceByUID(UID resource) const = 0;
};
