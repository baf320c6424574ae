// Transparency: the transparency attributes of a page item (interface 0x6E03) and the host's
// transparency tester.
//
// An item's attributes are those its description gives, each optional: opacity (percent),
// blend mode, feather and drop shadow (integers, 0 meaning none). Asked for an attribute, the
// item hands out an attribute object of the attribute's class: opacity 0x10816 with the real
// value (interface 0x6E12), blend mode 0x10817, feather 0x10821 and drop shadow 0x1081A with the
// integer value (interface 0x6E11). The tester does not look at the attributes: it answers what
// the description says of the object ("transparent"), which stands for all the transparency the
// host finds on an object.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"

#include <cstdint>

class IShape;

// The transparency attributes of a page item.
class ITransparencyAttributes : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x6E03};

    // The item's attribute of that class as interface `iid`, with a new reference; null when the
    // item does not have the attribute or the attribute object lacks the interface.
    virtual IPMUnknown* QueryAttribute(ClassID attribute, PMIID iid) const = 0; // 5th operation
};

// An attribute whose value is a real number.
class IRealAttribute : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x6E12};
    virtual PMReal GetValue() const = 0; // 4th operation
};

// An attribute whose value is an integer.
class IIntegerAttribute : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x6E11};
    virtual std::int32_t GetValue() const = 0; // 4th operation
};

inline constexpr ClassID kOpacityAttrBoss{0x10816};
inline constexpr ClassID kBlendModeAttrBoss{0x10817};
inline constexpr ClassID kFeatherAttrBoss{0x10821};
inline constexpr ClassID kDropShadowAttrBoss{0x1081A};

// Tells whether transparency applies to the objects of one database.
class ITransparencyTester : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF09003};

    // Non-zero when the object (a page item's interface 0x16CA) is of the tester's database and
    // its description marks it transparent; 0 otherwise (null too). The options are the host's.
    virtual std::int32_t HasTransparency(const IShape* object, std::int32_t option1,
                                         std::int32_t option2) const = 0; // 7th operation
};

// The transparency utility (utility interface 0x10817, a number it shares with the blend-mode
// attribute's class).
class ITransparencyUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x10817};

    // The tester of the database, with a new reference; null for a database that holds no open
    // document.
    virtual ITransparencyTester* QueryTester(IDataBase* db) const = 0; // 4th operation
};
