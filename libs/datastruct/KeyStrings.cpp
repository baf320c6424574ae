// Storage and start-up of the key-string constants declared in KeyStrings.h.
#include "model/KeyStrings.h"

#include <cstddef>
#include <new>

namespace keystr {
namespace {

// Position of each constant in the storage, in table order; the empty name comes last.
enum Slot : std::size_t {
#define ZEP_KEY_STRING_SLOT(identifier, text) identifier##_slot,
    ZEP_KEY_STRINGS(ZEP_KEY_STRING_SLOT)
#undef ZEP_KEY_STRING_SLOT
        emptyName_slot,
    slotCount
};

struct Literal {
    const char* bytes;
    std::size_t length;
};

constexpr Literal kLiterals[slotCount] = {
#define ZEP_KEY_STRING_LITERAL(identifier, text) {text, sizeof(text) - 1},
    ZEP_KEY_STRINGS(ZEP_KEY_STRING_LITERAL)
#undef ZEP_KEY_STRING_LITERAL
        {"", 0},
};

// Raw room for one constant: constant-initialised (no ustring inside yet), so the references
// below can be bound before any code runs; Lifetime constructs and destroys the ustring.
union Storage {
    constexpr Storage() : unbuilt() {}
    ~Storage() {}
    char unbuilt;
    ustring value;
};

constinit Storage storage[slotCount];

// Number of live Lifetime objects. Static initialisation and exit run on one thread.
constinit int lifetimeCount = 0;

} // namespace

#define ZEP_DEFINE_KEY_STRING(identifier, text)                                                    \
    constinit const ustring& identifier = storage[identifier##_slot].value;
ZEP_KEY_STRINGS(ZEP_DEFINE_KEY_STRING)
#undef ZEP_DEFINE_KEY_STRING
constinit const ustring& emptyName = storage[emptyName_slot].value;

namespace detail {

Lifetime::Lifetime() {
    if (lifetimeCount++ != 0)
        return;
    for (std::size_t i = 0; i < slotCount; ++i)
        new (&storage[i].value) ustring(kLiterals[i].bytes, kLiterals[i].length);
}

Lifetime::~Lifetime() {
    if (--lifetimeCount != 0)
        return;
    for (std::size_t i = slotCount; i-- > 0;)
        storage[i].value.~ustring();
}

} // namespace detail
} // namespace keystr
