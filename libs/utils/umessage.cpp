// The message tree: lifecycle, deep copy and equality, the untyped access operations and the
// "/"-separated paths into nested messages.
#include "utils/umessage.h"

#include "utils/TextUtils.h"

#include <algorithm>
#include <string_view>
#include <utility>

using namespace umessage_details;

namespace {

const ustring kWhat("what");

// The index of a path component: an optional sign and the leading decimal digits, as a 32-bit
// integer sign-extended to 64 bits (so a negative index reaches no entry). A number outside the
// 32-bit range is no index either: it gives the largest index.
uint64_t parseComponentIndex(const char* p, const char* end) {
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    int64_t magnitude = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > int64_t{1} << 31)
            return UINT64_MAX;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max())
        return UINT64_MAX;
    return static_cast<uint64_t>(value);
}

} // namespace

umessage::umessage(const umessage& other) {
    // The source is sorted, so each new entry lands at the end.
    for (const auto& [name, array] : other.m_entries)
        findOrInsertEntry(name) = array->clone();
}

umessage::umessage(umessage&& other) noexcept {
    swap(other);
}

umessage::umessage(const umessage* other) {
    if (other != nullptr)
        *this = *other;
}

umessage::umessage(const ustring& kind) {
    add(kWhat, type_string, kind, false);
}

umessage::~umessage() {
    clear();
}

umessage& umessage::operator=(const umessage& other) {
    if (this != &other) {
        umessage copy(other);
        swap(copy);
    }
    return *this;
}

umessage& umessage::operator=(umessage&& other) noexcept {
    if (this != &other) {
        umessage taken(std::move(other));
        swap(taken);
    }
    return *this;
}

std::unique_ptr<dyn_array>& umessage::findOrInsertEntry(const ustring& name) {
    // At or past the last entry one comparison stands for the search, as readers of the sorted
    // forms and copies add names in order.
    const int toLast = m_entries.empty() ? -1 : m_entries.rbegin()->first.compareTo(name);
    if (toLast == 0)
        return m_entries.rbegin()->second;
    auto slot = toLast < 0 ? m_entries.end() : m_entries.lower_bound(name);
    if (slot != m_entries.end() && slot->first.compareTo(name) == 0)
        return slot->second;
    return m_entries.emplace_hint(slot, name, nullptr)->second;
}

void umessage::clear() noexcept {
    m_entries.clear();
}

void umessage::swap(umessage& other) noexcept {
    m_entries.swap(other.m_entries);
}

bool umessage::operator==(const umessage& other) const {
    if (m_entries.size() != other.m_entries.size())
        return false;
    // Cheap tests on every pair first, so that unequal messages rarely compare values deeply.
    for (auto left = m_entries.begin(), right = other.m_entries.begin(); left != m_entries.end();
         ++left, ++right) {
        if (!(left->first == right->first) || left->second->type() != right->second->type() ||
            left->second->size() != right->second->size())
            return false;
    }
    for (auto left = m_entries.begin(), right = other.m_entries.begin(); left != m_entries.end();
         ++left, ++right) {
        if (!left->second->equals(right->second.get()))
            return false;
    }
    return true;
}

void umessage::checkName(const ustring& name) {
    // Every add checks its name: a loop over the bytes costs less than a search for a set.
    const std::string_view bytes = name.view();
    if (bytes.empty() ||
        std::any_of(bytes.begin(), bytes.end(), [](char c) { return c == '/' || c == '?'; }))
        throw std::invalid_argument("empty or invalid name");
}

void umessage::addChild(const ustring& name, const std::shared_ptr<umessage>& child) {
    add(name, type_message, child, false);
}

void umessage::addChildCopy(const ustring& name, const umessage& message) {
    add(name, type_message, clone(message), true);
}

bool umessage::has(const ustring& name, uint32_t type, uint64_t index) const {
    auto found = m_entries.find(name);
    if (found == m_entries.end())
        return false;
    if (type != type_none && found->second->type() != type)
        return false;
    return index < found->second->size();
}

bool umessage::count(const ustring& name, uint64_t& n) const {
    n = 0;
    auto found = m_entries.find(name);
    if (found == m_entries.end())
        return false;
    n = found->second->size();
    return true;
}

std::vector<ustring> umessage::keys() const {
    std::vector<ustring> names;
    names.reserve(m_entries.size());
    for (const auto& entry : m_entries)
        names.push_back(entry.first);
    return names;
}

void umessage::remove(const ustring& name) {
    m_entries.erase(name);
}

void umessage::removeValue(const ustring& name, uint64_t index) {
    auto found = m_entries.find(name);
    if (found == m_entries.end())
        return;
    found->second->erase(index);
    if (found->second->size() == 0)
        m_entries.erase(found);
}

void umessage::setWhat(const ustring& kind) {
    remove(kWhat);
    if (!kind.empty())
        add(kWhat, type_string, kind, false);
}

ustring umessage::what() const {
    return value<ustring>(kWhat);
}

std::shared_ptr<umessage> umessage::clone(const umessage& message) {
    return std::make_shared<umessage>(message);
}

void umessage::resolvePathComponent(const ustring& component, ustring& name, uint64_t& index,
                                    bool& query) {
    if (component == "?") {
        query = true;
        return;
    }
    query = false;
    const size_t open = component.findChar('[');
    const size_t close = component.findChar(']');
    if (open != ustring::npos && open > 0 && close != ustring::npos && close > open + 1) {
        index = parseComponentIndex(component.data() + open + 1, component.end());
        name = component.substr(0, open);
    } else {
        name = component;
        index = 0;
    }
}

bool umessage::resolvePath(const ustring& path, const umessage*& parent, ustring& name,
                           uint64_t& index, bool& query) const {
    const std::vector<ustring> components = splitString(path, '/');
    if (components.empty())
        return false;
    const umessage* current = this;
    for (size_t i = 0; i + 1 < components.size(); ++i) {
        ustring childName;
        uint64_t childIndex = 0;
        bool childQuery = false;
        resolvePathComponent(components[i], childName, childIndex, childQuery);
        if (childQuery)
            return false;
        std::shared_ptr<const umessage> child;
        if (!current->get(childName, childIndex, child))
            return false;
        current = child.get(); // stays alive: the tree holds it
    }
    resolvePathComponent(components.back(), name, index, query);
    parent = current;
    return true;
}

bool umessage::existsAtPath(const ustring& path, uint64_t& n) const {
    const umessage* parent = nullptr;
    ustring name;
    uint64_t index = 0;
    bool query = false;
    if (!resolvePath(path, parent, name, index, query))
        return false;
    if (query) {
        n = 1;
        return true;
    }
    return parent->count(name, n) && index < n;
}

void umessage::removeAtPath(const ustring& path) {
    const umessage* parent = nullptr;
    ustring name;
    uint64_t index = 0;
    bool query = false;
    if (!resolvePath(path, parent, name, index, query))
        return;
    // The parent is this message or a child held by a non-const pointer in this tree.
    umessage* target = const_cast<umessage*>(parent);
    if (query)
        target->setWhat(ustring());
    else
        target->removeValue(name, index);
}

bool umessage::getAtPath(const ustring& path, std::shared_ptr<const umessage>& out) const {
    const umessage* parent = nullptr;
    ustring name;
    uint64_t index = 0;
    bool query = false;
    if (!resolvePath(path, parent, name, index, query) || query)
        return false;
    return parent->get(name, index, out);
}

std::shared_ptr<const umessage>
umessage::valueAtPathOr(const ustring& path, const std::shared_ptr<const umessage>& def) const {
    std::shared_ptr<const umessage> found;
    return getAtPath(path, found) ? found : def;
}
