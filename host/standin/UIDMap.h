// A map kept by UID, as std::map<UID, T> is (entries in increasing UID order, an entry stays where
// it is until it is erased), with an index of its UIDs beside it, so that finding an entry costs
// a probe into a small flat table instead of a walk down a tree: the stand-in answers the
// plug-in's calls about one page item after another, and in a document of 100,000 page items the
// walk down the trees of its objects and items, a cache miss a level, took most of the time of
// those answers.
//
// The index keeps the entries' positions in pages of 4 consecutive UIDs, kept one after the
// other in the order they were made, and found through a table of the pages' keys with open
// addressing (at most half full). The UIDs of a document lie close together, and an object made
// after another gets the next UID, so the entries that a walk reaches one after the other lie
// together in few pages, and the index costs some 10 to 20 bytes an entry; an entry whose UID
// lies far from the others costs a page (40 bytes) and its slots. A page stays until the map is
// cleared, for the UIDs about it. The index is kept in step by every change of the map, and a
// copy gets an index of its own.
#pragma once

#include "host/sdk/Ids.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace host {

template <typename T>
class UIDMap {
    using Map = std::map<UID, T>;

public:
    using key_type = UID;
    using mapped_type = T;
    using value_type = typename Map::value_type;
    using size_type = typename Map::size_type;
    using iterator = typename Map::iterator;
    using const_iterator = typename Map::const_iterator;

    UIDMap() = default;
    UIDMap(std::initializer_list<value_type> values) : m_map(values) { Rebuild(); }
    UIDMap(const UIDMap& other) : m_map(other.m_map) { Rebuild(); }
    UIDMap(UIDMap&& other) noexcept
        : m_map(std::move(other.m_map)), m_blocks(std::move(other.m_blocks)),
          m_pageCount(std::exchange(other.m_pageCount, 0)), m_slots(std::move(other.m_slots)) {
        other.clear();
    }
    UIDMap& operator=(const UIDMap& other) {
        if (this != &other) {
            UIDMap copy(other);
            *this = std::move(copy);
        }
        return *this;
    }
    UIDMap& operator=(UIDMap&& other) noexcept {
        if (this != &other) {
            // A moved std::map keeps its nodes, so the positions in the moved table stay valid.
            m_map = std::move(other.m_map);
            m_blocks = std::move(other.m_blocks);
            m_pageCount = std::exchange(other.m_pageCount, 0);
            m_slots = std::move(other.m_slots);
            other.clear();
        }
        return *this;
    }
    ~UIDMap() = default;

    iterator begin() { return m_map.begin(); }
    iterator end() { return m_map.end(); }
    const_iterator begin() const { return m_map.begin(); }
    const_iterator end() const { return m_map.end(); }
    const_iterator cbegin() const { return m_map.cbegin(); }
    const_iterator cend() const { return m_map.cend(); }

    size_type size() const { return m_map.size(); }
    bool empty() const { return m_map.empty(); }

    iterator find(UID uid) {
        const iterator* position = Find(uid);
        return position ? *position : m_map.end();
    }
    const_iterator find(UID uid) const {
        const iterator* position = Find(uid);
        return position ? const_iterator(*position) : m_map.end();
    }
    bool contains(UID uid) const { return Find(uid) != nullptr; }
    size_type count(UID uid) const { return contains(uid) ? 1 : 0; }
    T& at(UID uid) {
        const iterator* position = Find(uid);
        if (!position)
            throw std::out_of_range("UIDMap::at");
        return (*position)->second;
    }
    const T& at(UID uid) const {
        const iterator* position = Find(uid);
        if (!position)
            throw std::out_of_range("UIDMap::at");
        return (*position)->second;
    }
    T& operator[](UID uid) { return try_emplace(uid).first->second; }

    template <typename... Args>
    std::pair<iterator, bool> try_emplace(UID uid, Args&&... args) {
        if (const iterator* position = Find(uid))
            return {*position, false};
        Reserve(uid);
        const iterator position = m_map.try_emplace(uid, std::forward<Args>(args)...).first;
        Insert(uid, position);
        return {position, true};
    }
    template <typename Value>
    std::pair<iterator, bool> emplace(UID uid, Value&& value) {
        return try_emplace(uid, std::forward<Value>(value));
    }
    std::pair<iterator, bool> insert(const value_type& value) {
        return try_emplace(value.first, value.second);
    }
    std::pair<iterator, bool> insert(value_type&& value) {
        return try_emplace(value.first, std::move(value.second));
    }
    template <typename Value>
    std::pair<iterator, bool> insert_or_assign(UID uid, Value&& value) {
        auto [position, inserted] = try_emplace(uid, std::forward<Value>(value));
        if (!inserted)
            position->second = std::forward<Value>(value);
        return {position, inserted};
    }

    iterator erase(const_iterator position) {
        Remove(position->first);
        return m_map.erase(position);
    }
    iterator erase(iterator position) { return erase(const_iterator(position)); }
    size_type erase(UID uid) {
        const iterator* position = Find(uid);
        if (!position)
            return 0;
        erase(const_iterator(*position));
        return 1;
    }
    void clear() {
        m_map.clear();
        Clear();
    }

    iterator lower_bound(UID uid) { return m_map.lower_bound(uid); }
    const_iterator lower_bound(UID uid) const { return m_map.lower_bound(uid); }
    iterator upper_bound(UID uid) { return m_map.upper_bound(uid); }
    const_iterator upper_bound(UID uid) const { return m_map.upper_bound(uid); }

    bool operator==(const UIDMap& other) const { return m_map == other.m_map; }

private:
    // The positions of the entries of 4 consecutive UIDs, and which of them are in use.
    static constexpr std::uint32_t kPageBits = 2;
    struct Page {
        std::uint8_t used = 0;
        iterator positions[1u << kPageBits]{};
    };
    // A slot of the table of pages: the key of a page (the high bits its UIDs share), and its
    // number plus 1 (0: a free slot).
    struct Slot {
        std::uint32_t key = 0;
        std::uint32_t page = 0;
    };
    // The pages are kept in blocks of 16, 32, 64, ... pages, in the order they were made: none
    // moves when more are made, and the blocks hold at most twice the pages made.
    static constexpr std::uint32_t kFirstBlockBits = 4;

    static std::uint32_t KeyOf(UID uid) { return uid.Get() >> kPageBits; }
    static std::size_t Within(UID uid) { return uid.Get() & ((1u << kPageBits) - 1); }
    static std::uint8_t BitOf(UID uid) { return static_cast<std::uint8_t>(1u << Within(uid)); }
    Page& PageAt(std::uint32_t number) const {
        const std::uint64_t at = std::uint64_t{number} + (1u << kFirstBlockBits);
        const auto block = static_cast<std::size_t>(std::bit_width(at)) - 1 - kFirstBlockBits;
        return m_blocks[block][at - (std::uint64_t{1} << (block + kFirstBlockBits))];
    }
    // The slot of the page with the key, or the free slot where it goes (the table not empty).
    std::size_t SlotOf(std::uint32_t key) const {
        // Fibonacci hashing spreads runs of consecutive keys over the whole table.
        const std::size_t mask = m_slots.size() - 1;
        std::size_t i = static_cast<std::size_t>((std::uint64_t{key} * 0x9E3779B97F4A7C15u) >> 32);
        for (i &= mask; m_slots[i].page != 0 && m_slots[i].key != key; i = (i + 1) & mask) {
        }
        return i;
    }
    const Page* PageOf(UID uid) const {
        if (m_slots.empty())
            return nullptr;
        const Slot& slot = m_slots[SlotOf(KeyOf(uid))];
        return slot.page == 0 ? nullptr : &PageAt(slot.page - 1);
    }
    const iterator* Find(UID uid) const {
        const Page* page = PageOf(uid);
        if (!page || !(page->used & BitOf(uid)))
            return nullptr;
        return &page->positions[Within(uid)];
    }
    // Makes room for the page of the UID (the table at most half full), before the map changes.
    void Reserve(UID uid) {
        if (PageOf(uid))
            return;
        const std::size_t room = ((std::size_t{1} << m_blocks.size()) - 1) << kFirstBlockBits;
        if (m_pageCount == room) {
            m_blocks.reserve(m_blocks.size() + 1);
            m_blocks.push_back(
                std::make_unique<Page[]>(std::size_t{1} << (m_blocks.size() + kFirstBlockBits)));
        }
        if (2 * (std::size_t{m_pageCount} + 1) <= m_slots.size())
            return;
        std::vector<Slot> old(std::max<std::size_t>(16, 2 * m_slots.size()));
        old.swap(m_slots);
        for (const Slot& slot : old)
            if (slot.page != 0)
                m_slots[SlotOf(slot.key)] = slot;
    }
    // Notes the entry's position; the page has room (Reserve).
    void Insert(UID uid, iterator position) {
        Slot& slot = m_slots[SlotOf(KeyOf(uid))];
        if (slot.page == 0)
            slot = {KeyOf(uid), ++m_pageCount};
        Page& page = PageAt(slot.page - 1);
        page.used = static_cast<std::uint8_t>(page.used | BitOf(uid));
        page.positions[Within(uid)] = position;
    }
    // Takes the entry out of its page; the page stays, for the UIDs about it.
    void Remove(UID uid) {
        Page& page = PageAt(m_slots[SlotOf(KeyOf(uid))].page - 1);
        page.used = static_cast<std::uint8_t>(page.used & ~BitOf(uid));
    }
    void Rebuild() {
        Clear();
        for (iterator position = m_map.begin(); position != m_map.end(); ++position) {
            Reserve(position->first);
            Insert(position->first, position);
        }
    }
    void Clear() {
        m_slots.clear();
        m_blocks.clear();
        m_pageCount = 0;
    }

    Map m_map;
    std::vector<std::unique_ptr<Page[]>> m_blocks; // block n holds 16 << n pages
    std::uint32_t m_pageCount = 0;
    std::vector<Slot> m_slots; // a power of two of them, or none
};

} // namespace host
