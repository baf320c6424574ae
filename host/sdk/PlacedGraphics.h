// Placed content of page items: the image attributes of an imported picture, the import provider
// that read its file, the presence of EPS content or an image object, the UID of the image data
// the document holds, the colours the content uses, placed PDF data, and the colour-management
// policy and profile of the graphic.
//
// No command changes the content; each facet exists exactly when the document description gives
// its data (host/standin/PlacedGraphics.h).
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/IPMUnknown.h"

#include <cstdint>
#include <vector>

// The tags of the image attributes. Values are as the importer stored them; numbers are in the
// machine's byte order (little-endian), texts in the ANSI code page and not always terminated.
enum ImageAttributeTag : std::int32_t {
    kImageColorSpaceTag = 103,       // unsigned 32-bit: 1 grey, 2 RGB, 4 CMYK, 8 Lab
    kImageFileNameTag = 104,         // text
    kImageFilePathTag = 121,         // text
    kImageProfileDataTag = 122,      // the embedded profile's bytes
    kImageExtraChannelFlagTag = 129, // one byte
    kImageExtraChannelsTag = 134,    // one byte per extra channel: its kind
    kImageProfileOverriddenTag = 139 // one byte
};

// The image attributes of an imported picture (interface 0x1707).
class IImageAttributes : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1707};

    // The size of the tag's value in bytes; 0 when the tag is absent.
    virtual std::uint32_t GetTagSize(ImageAttributeTag tag) const = 0;
    // Copies the tag's value (GetTagSize bytes) into `buffer`; false when the tag is absent.
    virtual bool GetTag(ImageAttributeTag tag, void* buffer) const = 0;
};

// The import provider of a placed file (interface 0x170B): the class of the filter that read it.
// An object of that class lists the file types the filter reads (interface 0x1703).
class IImportProvider : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x170B};

    virtual const ClassID* GetProviderClass() const = 0;
};

class IImportFileTypes : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1703};

    // Four-character codes, the first character in the most significant byte ('TIFF' is
    // 0x54494646).
    virtual void GetFileTypes(std::vector<std::uint32_t>& types) const = 0;
};

// Only their presence is used: EPS content (interface 0x6605) and an image object (0x6608).
class IEPSContent : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x6605};
};
class IImageObject : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x6608};
};

// The image data the document holds for the item (interface 0x8C13).
class IEmbeddedImage : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x8C13};

    virtual const UID* GetImageUID() const = 0;
};

// The colours the placed content uses (interface 0x6604), as UIDs of the item's database.
class IContentColors : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x6604};

    virtual UIDList GetColorList() const = 0;
};

// Placed PDF data (interface 0x2503).
class IPlacedPDF : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x2503};

    // Non-zero when the PDF holds transparent elements.
    virtual std::int16_t HasTransparency() const = 0;
    // The colours the PDF uses, as UIDs of the item's database.
    virtual UIDList GetColorList() const = 0;
};

// Which profile applies to a colour-managed graphic: 1 the document's, 2 one assigned to the
// graphic, 3 the graphic's embedded profile; the host may answer other values.
using ColorProfilePolicy = std::int32_t;

// The colour management of a placed graphic (interface 0x7C0C).
class IItemColorManagement : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x7C0C};

    virtual ColorProfilePolicy GetProfilePolicy() const = 0;
};

// The graphic's profile (interface 0x7C05): a profile object (0x7C03) stored in the item's
// database, assigned to it or embedded in it.
class IItemProfile : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x7C05};

    virtual UID GetProfileUID() const = 0;
};

// The class of PICT graphics.
inline constexpr ClassID kPICTItemBoss{0x6602};
