// The ticket wrappers, the destination helpers and edits, and the walk that collects a check's
// settings from every settings tree of a ticket.
#include "model/WTicket.h"

#include "model/KeyStrings.h"
#include "model/SettingDefinitions.h"

#include <map>

namespace {

using umessage_details::type_message;
using umessage_details::type_string;

std::shared_ptr<const umessage> childAt(const umessage* parent, const ustring& name,
                                        uint64_t index) {
    if (parent == nullptr)
        return nullptr;
    return parent->valueOr<std::shared_ptr<const umessage>>(name, index, nullptr);
}

std::shared_ptr<umessage> writableChildAt(const umessage* parent, const ustring& name,
                                          uint64_t index) {
    std::shared_ptr<umessage> child;
    if (parent == nullptr || !parent->getExact(name, index, type_message, child))
        return nullptr;
    return child;
}

double numberAt(const umessage& message, const ustring& name, uint64_t index) {
    return message.valueOr(name, index, 0.0);
}

// The checks that every destination-bearing ticket rates as faults.
bool isForcedBoxCheck(const ustring& name) {
    return name == keystr::IncorrectBleedBox || name == keystr::MissingBleedBox ||
           name == keystr::IncorrectTrimBox || name == keystr::MissingTrimBox ||
           name == keystr::MediaTooSmall || name == keystr::ArtBoxDetected;
}

// The checks whose ticket-level setting yields to any destination or restriction setting.
bool yieldsToDestinations(const ustring& name) {
    return name == keystr::InkWeightTAC || name == keystr::ImageNotJPEGEncoded ||
           name == keystr::ImageJPEGEncoded || name == keystr::Setting_PrinterMarks;
}

WCheckSetting forcedFault() {
    auto message = std::make_shared<umessage>();
    message->add(keystr::sev, type_string, keystr::fault);
    return WCheckSetting(std::move(message));
}

bool takesCatchAll(const ustring& name) {
    const SettingDefinitionsRegistry* registry = SettingDefinitionsRegistry::Instance();
    if (registry == nullptr)
        return false;
    const eSettingType type = registry->Find(name).GetType();
    return type == eSettingType_Boolean || type == eSettingType_LimitsLow ||
           type == eSettingType_LimitsHigh;
}

void addCheckNames(const WQcsNode& node, std::set<ustring>& names) {
    if (node.IsNull())
        return;
    for (ustring& name : node.GetCheckNames())
        names.insert(std::move(name));
    const uint64_t count = node.GetRestrictionCount();
    for (uint64_t index = 0; index < count; ++index)
        addCheckNames(node.GetRestriction(index), names);
}

} // namespace

// --- WQcsNode -----------------------------------------------------------------------------------

WQcsNode::WQcsNode(std::shared_ptr<const umessage> qcs)
    : m_qcs(std::move(qcs)), m_checks(childAt(m_qcs.get(), keystr::checks, 0)) {}

WCheckSetting WQcsNode::GetSetting(const ustring& name) const {
    return WCheckSetting(childAt(m_checks.get(), name, 0));
}

std::vector<ustring> WQcsNode::GetCheckNames() const {
    return m_checks ? m_checks->keys() : std::vector<ustring>();
}

uint64_t WQcsNode::GetCheckCount() const {
    return m_checks ? m_checks->size() : 0;
}

uint64_t WQcsNode::GetRestrictionCount() const {
    uint64_t count = 0;
    if (m_qcs)
        m_qcs->count(keystr::restrictions, count);
    return count;
}

WQcsNode WQcsNode::GetRestriction(uint64_t index) const {
    return WQcsNode(childAt(m_qcs.get(), keystr::restrictions, index));
}

// --- destination helpers ----------------------------------------------------------------------

WQcsNode GetDestinationQcs(const std::shared_ptr<const umessage>& destination) {
    return WQcsNode(childAt(destination.get(), keystr::qcs, 0));
}

ustring GetIdentifier(const std::shared_ptr<const umessage>& destination) {
    return destination ? destination->valueOr(keystr::identifier, 0, ustring()) : ustring();
}

ustring GetMlkey(const std::shared_ptr<const umessage>& destination) {
    return destination ? destination->valueOr(keystr::mlkey, 0, ustring()) : ustring();
}

void SetMlkey(const std::shared_ptr<umessage>& destination, const ustring& mlkey) {
    destination->remove(keystr::mlkey);
    if (!mlkey.empty())
        destination->add(keystr::mlkey, type_string, mlkey);
}

bool HasBleed(const std::shared_ptr<const umessage>& destination) {
    if (!destination)
        return false;
    for (uint64_t index = 0; index < 4; ++index) {
        if (numberAt(*destination, keystr::bleed, index) != 0)
            return true;
    }
    return false;
}

std::shared_ptr<const umessage> GetUserField(const std::shared_ptr<const umessage>& destination,
                                             const ustring& name) {
    if (!destination)
        return nullptr;
    const umessage* parent = nullptr;
    ustring fieldName;
    uint64_t index = 0;
    bool query = false;
    if (!destination->resolvePath(ustring("userFields/%0").arg(name), parent, fieldName, index,
                                  query))
        return nullptr;
    return childAt(parent, fieldName, index);
}

std::vector<ustring> GetUserFieldNames(const std::shared_ptr<const umessage>& destination) {
    std::vector<ustring> names;
    const auto userFields = childAt(destination.get(), keystr::userFields, 0);
    if (!userFields)
        return names;
    for (const auto& entry : userFields->entries()) {
        if (userFields->has(entry.first, type_message, 0))
            names.push_back(entry.first);
    }
    return names;
}

void SetUserField(const std::shared_ptr<umessage>& destination, const ustring& name,
                  const std::shared_ptr<const umessage>& field) {
    std::shared_ptr<umessage> userFields =
        writableChildAt(destination.get(), keystr::userFields, 0);
    if (!userFields) {
        // A "userFields" of another type is left as it is: replacing it would lose its values
        // and adding to it would throw.
        if (destination->contains(keystr::userFields))
            return;
        userFields = std::make_shared<umessage>();
        destination->addChild(keystr::userFields, userFields);
    }
    userFields->remove(name);
    if (!IsNullOrEmpty(field) && !GetFieldValue(field).empty())
        userFields->add(name, type_message, umessage::clone(*field));
}

ustring GetFieldValue(const std::shared_ptr<const umessage>& field) {
    return field ? field->valueOr(keystr::value, 0, ustring()) : ustring();
}

bool IsNullOrEmpty(const std::shared_ptr<const umessage>& message) {
    return message == nullptr || message->empty();
}

void NormaliseDestination(const std::shared_ptr<umessage>& destination,
                          const std::shared_ptr<const umessage>& defaults) {
    SetUserField(destination, ustring("RDts"), nullptr);
    ustring requires2DPSFiles;
    if (destination->get(keystr::requires2DPSFiles, 0, requires2DPSFiles)) {
        destination->remove(keystr::requires2DPSFiles);
        destination->add(keystr::requires2DPSFiles, umessage_details::type_bool,
                         requires2DPSFiles.toLower() == "true");
    }
    if (!defaults)
        return;
    for (const ustring& name : defaults->keys()) {
        if (GetUserField(destination, name))
            continue;
        if (auto field = childAt(defaults.get(), name, 0))
            SetUserField(destination, name, field);
    }
}

void ApplyMlkey(const WWritableTicket& ticket, const ustring& mlkey) {
    const uint64_t count = ticket.GetDestinationCount();
    for (uint64_t index = 0; index < count; ++index) {
        const std::shared_ptr<umessage> destination = ticket.GetDestination(index);
        if (!destination)
            continue;
        ustring key = mlkey;
        if (key.empty())
            key = GetMlkey(destination);
        if (key.empty()) {
            if (auto field = GetUserField(destination, ustring("ZeId")))
                key = GetFieldValue(field);
            else if (auto field0 = GetUserField(destination, ustring("0eId")))
                key = GetFieldValue(field0);
        }
        SetMlkey(destination, key);
        if (key.empty())
            continue;
        for (const ustring& name : GetUserFieldNames(destination)) {
            const auto field = GetUserField(destination, name);
            if (IsNullOrEmpty(field) || GetFieldValue(field).empty())
                continue;
            std::shared_ptr<umessage> marked = umessage::clone(*field);
            // Replaced rather than appended, so that a field marked before stays one "ro" true.
            marked->remove(keystr::ro);
            marked->add(keystr::ro, umessage_details::type_bool, true);
            SetUserField(destination, name, marked);
        }
    }
}

// --- WTicketT -----------------------------------------------------------------------------------

template <typename TicketPtr>
uint64_t WTicketT<TicketPtr>::GetDestinationCount() const {
    uint64_t count = 0;
    if (m_ticket)
        m_ticket->count(keystr::destinations, count);
    return count;
}

template <typename TicketPtr>
typename WTicketT<TicketPtr>::DestinationPtr
WTicketT<TicketPtr>::GetDestination(uint64_t index) const {
    if constexpr (std::is_same_v<DestinationPtr, std::shared_ptr<umessage>>)
        return writableChildAt(m_ticket.get(), keystr::destinations, index);
    else
        return childAt(m_ticket.get(), keystr::destinations, index);
}

template <typename TicketPtr>
WQcsNode WTicketT<TicketPtr>::GetQcs() const {
    return WQcsNode(childAt(m_ticket.get(), keystr::qcs, 0));
}

template <typename TicketPtr>
void WTicketT<TicketPtr>::GetBoxes(zeu::Rect2D& bleedBox, zeu::Rect2D& trimBox,
                                   zeu::Rect2D& typeArea) const {
    bleedBox = trimBox = typeArea = zeu::Rect2D::unset;
    const uint64_t count = GetDestinationCount();
    for (uint64_t index = 0; index < count; ++index) {
        const std::shared_ptr<const umessage> destination = GetDestination(index);
        if (!destination)
            continue;
        const double width = numberAt(*destination, keystr::width, 0);
        const double depth = numberAt(*destination, keystr::depth, 0);
        const zeu::Rect2D trim{-width / 2, -depth / 2, width, depth};
        if (trimBox.isUnset())
            trimBox = trim;
        else
            trimBox &= trim;
        trimBox.snap();

        if (HasBleed(destination)) {
            double b[4];
            for (uint64_t i = 0; i < 4; ++i)
                b[i] = numberAt(*destination, keystr::bleed, i);
            const zeu::Rect2D bleed{trim.x - b[0], trim.y - b[3], trim.width + b[0] + b[2],
                                    trim.height + b[3] + b[1]};
            if (bleedBox.isUnset())
                bleedBox = bleed;
            else
                bleedBox |= bleed;
            bleedBox.snap();
        }

        double inset[4];
        bool anyInset = false;
        for (uint64_t i = 0; i < 4; ++i) {
            inset[i] = numberAt(*destination, keystr::typeIndent, i);
            anyInset = anyInset || inset[i] != 0;
        }
        if (anyInset) {
            const zeu::Rect2D type{trim.x + inset[0], trim.y + inset[3],
                                   trim.width - inset[0] - inset[2],
                                   trim.height - inset[3] - inset[1]};
            if (typeArea.isUnset())
                typeArea = type;
            else
                typeArea &= type;
            typeArea.snap();
        }
    }
    if (bleedBox.isUnset())
        bleedBox = trimBox;
}

template <typename TicketPtr>
zeu::Rect2D WTicketT<TicketPtr>::GetBleedBox() const {
    zeu::Rect2D bleed, trim, type;
    GetBoxes(bleed, trim, type);
    return bleed;
}

template <typename TicketPtr>
zeu::Rect2D WTicketT<TicketPtr>::GetTrimBox() const {
    zeu::Rect2D bleed, trim, type;
    GetBoxes(bleed, trim, type);
    return trim;
}

template <typename TicketPtr>
zeu::Rect2D WTicketT<TicketPtr>::GetTypeArea() const {
    zeu::Rect2D bleed, trim, type;
    GetBoxes(bleed, trim, type);
    return type;
}

template class WTicketT<std::shared_ptr<const umessage>>;
template class WTicketT<std::shared_ptr<umessage>>;

// --- effective profile ------------------------------------------------------------------------

namespace {

// What CollectCheckSettings takes from the node itself, after its restrictions.
void collectOwnSetting(const WQcsNode& node, const ustring& name, std::vector<WCheckSetting>& out,
                       bool ticketLevel, bool hasDestinations) {
    if (ticketLevel && hasDestinations) {
        if (isForcedBoxCheck(name))
            out.push_back(forcedFault());
        else if (yieldsToDestinations(name) && !out.empty())
            return;
    }
    WCheckSetting own = node.GetSetting(name);
    if (own.HasMessage()) {
        out.push_back(std::move(own));
        return;
    }
    WCheckSetting all = node.GetSetting(keystr::all);
    if (all.HasMessage() && takesCatchAll(name))
        out.push_back(std::move(all));
}

// The restrictions of the tree, each after its own restrictions, then the tree: the order in
// which CollectCheckSettings meets them.
void addTrees(const WQcsNode& node, std::vector<WQcsNode>& trees) {
    if (node.IsNull())
        return;
    const uint64_t restrictions = node.GetRestrictionCount();
    for (uint64_t index = 0; index < restrictions; ++index)
        addTrees(node.GetRestriction(index), trees);
    trees.push_back(node);
}

// The check's effective setting from what was collected for it.
WCheckSetting effectiveSetting(const ustring& name, const std::vector<WCheckSetting>& collected) {
    if (!collected.empty())
        return CombineSettings(name, collected);
    if (const SettingDefinitionsRegistry* registry = SettingDefinitionsRegistry::Instance())
        return WCheckSetting(registry->Find(name).GetDefaults());
    return WCheckSetting();
}

} // namespace

void CollectCheckSettings(const WQcsNode& node, const ustring& name,
                          std::vector<WCheckSetting>& out, bool ticketLevel, bool hasDestinations) {
    if (node.IsNull())
        return;
    const uint64_t restrictions = node.GetRestrictionCount();
    for (uint64_t index = 0; index < restrictions; ++index)
        CollectCheckSettings(node.GetRestriction(index), name, out, false, hasDestinations);
    collectOwnSetting(node, name, out, ticketLevel, hasDestinations);
}

template <typename Base>
WCheckSetting WEffectiveProfileT<Base>::GetSetting(const ustring& name) const {
    std::vector<WCheckSetting> collected;
    const uint64_t count = this->GetDestinationCount();
    const bool hasDestinations = count > 0;
    for (uint64_t index = 0; index < count; ++index) {
        const auto destination = this->GetDestination(index);
        if (!destination)
            continue;
        CollectCheckSettings(GetDestinationQcs(destination), name, collected, false,
                             hasDestinations);
    }
    CollectCheckSettings(this->GetQcs(), name, collected, true, hasDestinations);
    return effectiveSetting(name, collected);
}

template <typename Base>
void WEffectiveProfileT<Base>::GetCheckNames(std::set<ustring>& names) const {
    if (!this->m_ticket)
        return;
    const uint64_t count = this->GetDestinationCount();
    for (uint64_t index = 0; index < count; ++index) {
        const auto destination = this->GetDestination(index);
        if (destination)
            addCheckNames(GetDestinationQcs(destination), names);
    }
    addCheckNames(this->GetQcs(), names);
}

template <typename Base>
void WEffectiveProfileT<Base>::ForEachSetting(
    const std::function<void(const ustring& name, const WCheckSetting& setting)>& visit) const {
    std::set<ustring> names;
    GetCheckNames(names);
    if (names.empty())
        return;
    // Every tree below the ticket's own, in the order GetSetting meets them.
    std::vector<WQcsNode> trees;
    const uint64_t count = this->GetDestinationCount();
    const bool hasDestinations = count > 0;
    for (uint64_t index = 0; index < count; ++index) {
        if (const auto destination = this->GetDestination(index))
            addTrees(GetDestinationQcs(destination), trees);
    }
    const WQcsNode ticketTree = this->GetQcs();
    if (!ticketTree.IsNull()) {
        const uint64_t restrictions = ticketTree.GetRestrictionCount();
        for (uint64_t index = 0; index < restrictions; ++index)
            addTrees(ticketTree.GetRestriction(index), trees);
    }
    // A tree gives a check a setting only when it holds one for it or a catch-all.
    std::map<ustring, std::vector<std::size_t>> holding;
    std::vector<std::size_t> catchAlls;
    for (std::size_t tree = 0; tree < trees.size(); ++tree) {
        for (const ustring& name : trees[tree].GetCheckNames())
            if (trees[tree].GetSetting(name).HasMessage())
                holding[name].push_back(tree);
        if (trees[tree].GetSetting(keystr::all).HasMessage())
            catchAlls.push_back(tree);
    }
    const std::vector<std::size_t> none;
    std::vector<WCheckSetting> collected;
    for (const ustring& name : names) {
        collected.clear();
        const auto held = holding.find(name);
        const std::vector<std::size_t>& own = held != holding.end() ? held->second : none;
        const std::vector<std::size_t>& all =
            !catchAlls.empty() && takesCatchAll(name) ? catchAlls : none;
        // The two lists of trees merged in tree order.
        for (std::size_t i = 0, j = 0; i < own.size() || j < all.size();) {
            const std::size_t tree =
                j == all.size() || (i < own.size() && own[i] <= all[j]) ? own[i] : all[j];
            collectOwnSetting(trees[tree], name, collected, false, hasDestinations);
            if (i < own.size() && own[i] == tree)
                ++i;
            if (j < all.size() && all[j] == tree)
                ++j;
        }
        if (!ticketTree.IsNull())
            collectOwnSetting(ticketTree, name, collected, true, hasDestinations);
        visit(name, effectiveSetting(name, collected));
    }
}

template class WEffectiveProfileT<WTicket>;
