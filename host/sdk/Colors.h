// Colours and inks of a document: colour objects (swatches, colours and inks, all with interface
// 0x14C), the document's ink list and swatch list, the colour data of page items (graphic
// attributes, ink list, colour test) and the utilities that answer for them.
//
// A colour object carries the interfaces its data give: component colours (0x5501), a colour
// space (0x1F01), ink data (0x1F04), a tint (0x1F0E). Only the change-colour and change-ink
// commands (host/sdk/ColorCommands.h) and an ink's setters change them. The model is taken as it
// is: component lists may form cycles and an ink count may claim more inks than the ink list
// holds, as a damaged document can.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"
#include "host/sdk/PMString.h"

#include <cstdint>
#include <vector>

// A colour object: a swatch, a colour or an ink. Only its presence is used.
class IColorObject : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x14C};
};

// The colours a colour is made of (a tint of a swatch, a mixed-ink colour's members).
class IComponentColors : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x5501};

    virtual std::int32_t GetComponentCount() const = 0;
    // The component's UID in the colour's database; kInvalidUID outside the components.
    virtual UID GetComponentUID(std::int32_t index) const = 0;
};

// Colour-space codes of interface 0x1F01.
enum ColorSpaceKind : std::int32_t {
    kRGBColorSpace = 5,
    kCMYKColorSpace = 6,
    kLabColorSpace = 7,
    kNamedColorSpace = 8, // a named colour with an ink of its own
    kMixedInkColorSpace = 9,
};

class IColorSpaceData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1F01};

    virtual std::int32_t GetColorSpace() const = 0;
};

// Ink kinds of a named colour (interface 0x1F04).
enum InkKind : std::int32_t { kProcessInkKind = 0, kSpotInkKind = 1 };

// The inks of a named or mixed-ink colour.
class IInkData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1F04};

    virtual std::int32_t GetInkKind() const = 0;
    // The inks of a mixed-ink colour, in the colour's database.
    virtual UIDList GetInkList() const = 0;
    // The number of inks the colour claims; a damaged model may claim more than its list holds.
    virtual std::int32_t GetInkCount() const = 0;
};

class ITintData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1F0E};

    virtual PMReal GetTint() const = 0;
    // 1 for the paper swatch, else 0.
    virtual std::int32_t IsPaper() const = 0;
};

// An ink of the document (class 0xF0A001), and the data of the change-ink command
// (host/sdk/ColorCommands.h). An ink has the host's fifteen ink attributes; the getters stand in
// the order of the attributes, then the setters in the same order:
//   1 its name; 2 whether it is a process ink; 3 the colour it is printed for (kInvalidUID:
//   none); 4 its ink type (0 normal, 1 transparent, 2 opaque, 3 opaque and ignored in
//   trapping); 5 its neutral density; 6 whether that density was set by the user; 7 its
//   trapping sequence; 8 its screen frequency; 9 its screen angle; 10 its dot shape; 11 whether
//   it prints; 12 its position in the ink order; 13 whether it is locked; 14 whether it is
//   converted to process; 15 the ink it is aliased to (kInvalidUID: none).
// A new ink has all of them 0, false, empty or kInvalidUID, but for attribute 11 (true). The
// stand-in keeps every attribute as it is set; only the page drawing looks at any (an ink
// converted to process draws no separation of its own). An ink's setters change it, journaled.
class IInkInfo : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1F08};

    virtual PMString GetName() const = 0;
    virtual bool IsProcess() const = 0;
    virtual UID GetColor() const = 0;
    virtual std::int32_t GetInkType() const = 0;
    virtual PMReal GetNeutralDensity() const = 0;
    virtual bool IsNeutralDensityCustom() const = 0;
    virtual std::int32_t GetTrapSequence() const = 0;
    virtual PMReal GetScreenFrequency() const = 0;
    virtual PMReal GetScreenAngle() const = 0;
    virtual std::int32_t GetDotShape() const = 0;
    virtual bool IsPrinted() const = 0;
    virtual std::int32_t GetInkOrder() const = 0;
    virtual bool IsLocked() const = 0;
    virtual bool IsConvertedToProcess() const = 0;
    virtual UID GetAliasInk() const = 0;

    virtual void SetName(const PMString& name) = 0;
    virtual void SetProcess(bool process) = 0;
    virtual void SetColor(UID color) = 0;
    virtual void SetInkType(std::int32_t type) = 0;
    virtual void SetNeutralDensity(PMReal density) = 0;
    virtual void SetNeutralDensityCustom(bool custom) = 0;
    virtual void SetTrapSequence(std::int32_t sequence) = 0;
    virtual void SetScreenFrequency(PMReal frequency) = 0;
    virtual void SetScreenAngle(PMReal angle) = 0;
    virtual void SetDotShape(std::int32_t shape) = 0;
    virtual void SetPrinted(bool printed) = 0;
    virtual void SetInkOrder(std::int32_t position) = 0;
    virtual void SetLocked(bool locked) = 0;
    virtual void SetConvertedToProcess(bool converted) = 0;
    virtual void SetAliasInk(UID ink) = 0;
};

// The document's inks, in order (on every document's workspace).
class IInkList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1F05};

    virtual std::int32_t GetInkCount() const = 0;
    // kInvalidUID outside the list.
    virtual UID GetNthInk(std::int32_t index) const = 0;
};

// The document's swatches (interface 0x1F02 of its workspace).
class ISwatchList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1F02};

    // The first swatch of the list whose colour space and colour values are these; an invalid
    // reference when there is none.
    virtual UIDRef FindSwatch(std::int32_t colorSpace, const std::vector<PMReal>& values) const = 0;
    virtual std::int32_t GetSwatchCount() const = 0;
    // An invalid reference outside the list.
    virtual UIDRef GetNthSwatchRef(std::int32_t index) const = 0;
};

// A document's workspace as the workspace utility hands it out. Only its presence is used.
class IWorkspace : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF0A001};
};

// The host's workspace utility (utility interface 0x16DA).
class IWorkspaceUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x16DA};

    // The workspace of the document whose database this is, with a new reference; null for any
    // other database.
    virtual IWorkspace* QueryWorkspace(const IDataBase* db) const = 0;
};

// The host's ink utility (utility interface 0xA24).
class IInkUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xA24};

    // The ink list of the document whose database this is, with a new reference; null for any
    // other database.
    virtual IInkList* QueryInkList(const IDataBase* db) const = 0;
    // The first ink of the list with exactly this name; kInvalidUID when there is none.
    virtual UID FindInk(const PMString& name, const IInkList* inks) const = 0;
    // The colour the ink is printed for; an invalid reference when it has none.
    virtual UIDRef GetInkColorRef(const UIDRef& ink) const = 0;
};

// The inks a page item prints with, by name.
class IItemInkList : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x1779};

    virtual std::int32_t GetInkCount() const = 0;
    // An empty name outside the list.
    virtual PMString GetInkName(std::int32_t index) const = 0;
};

// The graphic attributes of a page item: its fill and stroke colours and whether it prints. Read
// through the graphic-attribute utility.
class IGraphicAttributes : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x6E02};
};

// The host's graphic-attribute utility (utility interface 0x16D9).
class IGraphicAttributeUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x16D9};

    // The first rendering colour, the fill, with a new reference; null when there is none.
    virtual IColorObject* QueryFillColor(const IGraphicAttributes* attributes) const = 0; // 116th
    // The second rendering colour, the stroke, with a new reference; null when there is none.
    virtual IColorObject* QueryStrokeColor(const IGraphicAttributes* attributes) const = 0;
    // Sets `nonPrinting` to whether the item is kept out of print.
    virtual void GetNonPrinting(const IGraphicAttributes* attributes, bool& nonPrinting) const = 0;
};

// The side of a page item that the colour test utility examines. Only its presence is used.
class IColorTarget : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x16CF};
};

// The host's colour test utility (utility interface 0x2C39). The stand-in answers what the
// item's description gives as its "colorTest".
class IColorTestUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x2C39};

    virtual bool Test(const IColorTarget* target) const = 0; // 18th operation
};
