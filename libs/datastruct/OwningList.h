// OwningList: the job model's list of owned objects. Each element is held through a
// std::unique_ptr, so it keeps its address while the list grows, inserts or moves; the list hands
// its elements out as references, and a const list only as const ones.
#pragma once

#include <algorithm>
#include <compare>
#include <cstddef>
#include <iterator>
#include <memory>
#include <type_traits>
#include <vector>

template <typename T>
class OwningList {
    using Slots = std::vector<std::unique_ptr<T>>;

    // Walks the slots and gives the elements themselves; Element is T or const T.
    template <typename Element>
    class Iterator {
    public:
        using iterator_concept = std::random_access_iterator_tag;
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::remove_const_t<Element>;
        using difference_type = std::ptrdiff_t;
        using pointer = Element*;
        using reference = Element&;

        Iterator() = default;
        explicit Iterator(typename Slots::const_iterator slot) : m_slot(slot) {}

        reference operator*() const { return **m_slot; }
        pointer operator->() const { return m_slot->get(); }
        reference operator[](difference_type n) const { return *m_slot[n]; }
        Iterator& operator++() {
            ++m_slot;
            return *this;
        }
        Iterator operator++(int) { return Iterator(m_slot++); }
        Iterator& operator--() {
            --m_slot;
            return *this;
        }
        Iterator operator--(int) { return Iterator(m_slot--); }
        Iterator& operator+=(difference_type n) {
            m_slot += n;
            return *this;
        }
        Iterator& operator-=(difference_type n) {
            m_slot -= n;
            return *this;
        }
        friend Iterator operator+(Iterator it, difference_type n) { return it += n; }
        friend Iterator operator+(difference_type n, Iterator it) { return it += n; }
        friend Iterator operator-(Iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const Iterator& a, const Iterator& b) {
            return a.m_slot - b.m_slot;
        }
        friend bool operator==(const Iterator&, const Iterator&) = default;
        friend auto operator<=>(const Iterator&, const Iterator&) = default;

    private:
        typename Slots::const_iterator m_slot{};
    };

public:
    using iterator = Iterator<T>;
    using const_iterator = Iterator<const T>;

    // Takes ownership of `element` (not null) and gives it.
    T& Append(std::unique_ptr<T> element) {
        m_slots.push_back(std::move(element));
        return *m_slots.back();
    }
    // Before the element at `index` (at most size()); takes ownership of `element` (not null).
    T& InsertAt(std::size_t index, std::unique_ptr<T> element) {
        const auto at = m_slots.insert(m_slots.begin() + static_cast<std::ptrdiff_t>(index),
                                       std::move(element));
        return **at;
    }
    // Deletes every element.
    void Clear() { m_slots.clear(); }
    // Puts the elements in the order of `less` (on two elements), keeping the order of those that
    // are equivalent; each element keeps its address.
    template <typename Less>
    void StableSort(Less less) {
        std::stable_sort(m_slots.begin(), m_slots.end(),
                         [&less](const auto& a, const auto& b) { return less(*a, *b); });
    }
    // The list holds this very object.
    bool Contains(const T* element) const {
        return std::any_of(m_slots.begin(), m_slots.end(),
                           [element](const auto& slot) { return slot.get() == element; });
    }

    std::size_t size() const { return m_slots.size(); }
    bool empty() const { return m_slots.empty(); }
    // std::out_of_range for an index past the end.
    T& operator[](std::size_t index) { return *m_slots.at(index); }
    const T& operator[](std::size_t index) const { return *m_slots.at(index); }
    // The list must not be empty.
    T& front() { return *m_slots.front(); }
    const T& front() const { return *m_slots.front(); }
    T& back() { return *m_slots.back(); }
    const T& back() const { return *m_slots.back(); }

    iterator begin() { return iterator(m_slots.cbegin()); }
    iterator end() { return iterator(m_slots.cend()); }
    const_iterator begin() const { return const_iterator(m_slots.cbegin()); }
    const_iterator end() const { return const_iterator(m_slots.cend()); }

private:
    Slots m_slots;
};
