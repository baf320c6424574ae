// The root of every host interface, and the holder that keeps one reference to an interface.
//
// Every facet of a boss answers for the whole boss: QueryInterface asks the boss for another of
// its interfaces, and AddRef / Release count references on the boss, which all its facets share.
#pragma once

#include "host/sdk/Ids.h"

#include <utility>

class IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF00000};

    virtual ~IPMUnknown() = default;

    // The boss's interface `iid` with one more reference, or null when the boss has none.
    virtual IPMUnknown* QueryInterface(PMIID iid) const = 0;
    virtual void AddRef() const = 0;
    virtual void Release() const = 0;
};

// Marks the constructors of InterfacePtr that ask an object for the interface's default IID.
struct UseDefaultIID {};

class UIDRef;

// Holds one reference to an interface and releases it when it goes away.
template <typename I>
class InterfacePtr {
public:
    InterfacePtr() = default;
    // Takes over a reference the caller already holds (the result of a Query... call).
    explicit InterfacePtr(I* adopted) : m_ptr(adopted) {}
    // Asks `object` for the interface; null when `object` is null or has none.
    InterfacePtr(const IPMUnknown* object, UseDefaultIID) : InterfacePtr(object, I::kDefaultIID) {}
    InterfacePtr(const IPMUnknown* object, PMIID iid)
        : m_ptr(object ? static_cast<I*>(object->QueryInterface(iid)) : nullptr) {}
    template <typename J>
    InterfacePtr(const InterfacePtr<J>& object, UseDefaultIID)
        : InterfacePtr(object.get(), UseDefaultIID{}) {}
    // Instantiates the object that `ref` names and asks it for the interface.
    InterfacePtr(const UIDRef& ref, UseDefaultIID);
    InterfacePtr(const UIDRef& ref, PMIID iid);

    InterfacePtr(const InterfacePtr& other) : m_ptr(other.m_ptr) {
        if (m_ptr)
            m_ptr->AddRef();
    }
    InterfacePtr(InterfacePtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    InterfacePtr& operator=(InterfacePtr other) noexcept {
        std::swap(m_ptr, other.m_ptr);
        return *this;
    }
    ~InterfacePtr() { reset(); }

    I* get() const { return m_ptr; }
    I* operator->() const { return m_ptr; }
    I& operator*() const { return *m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }

    // Releases the held reference and takes over `adopted`.
    void reset(I* adopted = nullptr) {
        I* old = std::exchange(m_ptr, adopted);
        if (old)
            old->Release();
    }
    // Hands the held reference to the caller.
    [[nodiscard]] I* forget() { return std::exchange(m_ptr, nullptr); }

private:
    I* m_ptr = nullptr;
};
