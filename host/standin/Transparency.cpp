#include "host/standin/Transparency.h"

#include "host/standin/Document.h"
#include "host/standin/ObjectModel.h"

namespace host {

namespace {

constexpr ClassID kTransparencyTesterBoss{0xF09103};

constexpr ImplementationID kRealAttributeImpl{0xF09208};
constexpr ImplementationID kIntegerAttributeImpl{0xF09209};
constexpr ImplementationID kTransparencyTesterImpl{0xF0920A};
constexpr ImplementationID kTransparencyUtilsImpl{0xF0920B};

const Item* ItemOf(const UIDRef& ref) {
    const Document* document = DocumentOf(ref.GetDataBase());
    return document ? FindByUID(document->layout.items, ref.GetUID()) : nullptr;
}

const Item* ItemOf(const IPMUnknown* facet) {
    return ItemOf(GetUIDRef(facet));
}

class RealAttribute final : public CPMUnknown<IRealAttribute> {
public:
    using CPMUnknown::CPMUnknown;
    PMReal GetValue() const override { return m_value; }
    PMReal m_value = 0;
};

class IntegerAttribute final : public CPMUnknown<IIntegerAttribute> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetValue() const override { return m_value; }
    std::int32_t m_value = 0;
};

// A new attribute object of the class holding the value, asked for `iid`.
template <typename Impl, typename I, typename V>
IPMUnknown* NewAttribute(ClassID cls, V value, PMIID iid) {
    InterfacePtr<I> attribute(static_cast<I*>(CreateObject(cls, I::kDefaultIID)));
    if (!attribute)
        return nullptr;
    static_cast<Impl*>(attribute.get())->m_value = value;
    return attribute->QueryInterface(iid);
}

class TransparencyAttributesFacet final : public CPMUnknown<ITransparencyAttributes> {
public:
    using CPMUnknown::CPMUnknown;
    IPMUnknown* QueryAttribute(ClassID attribute, PMIID iid) const override {
        const Item* item = ItemOf(this);
        if (!item || !item->transparency)
            return nullptr;
        const TransparencyAttributes& values = *item->transparency;
        if (attribute == kOpacityAttrBoss && values.opacity)
            return NewAttribute<RealAttribute, IRealAttribute>(attribute, *values.opacity, iid);
        const std::optional<std::int32_t>* integer =
            attribute == kBlendModeAttrBoss    ? &values.blendMode
            : attribute == kFeatherAttrBoss    ? &values.feather
            : attribute == kDropShadowAttrBoss ? &values.dropShadow
                                               : nullptr;
        if (!integer || !*integer)
            return nullptr;
        return NewAttribute<IntegerAttribute, IIntegerAttribute>(attribute, **integer, iid);
    }
};

class TransparencyTester final : public CPMUnknown<ITransparencyTester> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t HasTransparency(const IShape* object, std::int32_t, std::int32_t) const override {
        const IPMUnknown* facet = object;
        if (!facet)
            return 0;
        const UIDRef ref = GetUIDRef(facet);
        const Item* item = ref.GetDataBase() == m_db ? ItemOf(ref) : nullptr;
        return item && item->transparent ? 1 : 0;
    }
    const IDataBase* m_db = nullptr;
};

class TransparencyUtils final : public CPMUnknown<ITransparencyUtils> {
public:
    using CPMUnknown::CPMUnknown;
    ITransparencyTester* QueryTester(IDataBase* db) const override {
        if (!DocumentOf(db))
            return nullptr;
        InterfacePtr<ITransparencyTester> tester(static_cast<ITransparencyTester*>(
            CreateObject(kTransparencyTesterBoss, ITransparencyTester::kDefaultIID)));
        if (tester)
            static_cast<TransparencyTester*>(tester.get())->m_db = db;
        return tester.forget();
    }
};

} // namespace

std::unique_ptr<IPMUnknown> NewTransparencyAttributesFacet(IPMUnknown* itemBoss) {
    return std::make_unique<TransparencyAttributesFacet>(itemBoss);
}

void RegisterTransparencyClasses() {
    ObjectModel& model = ObjectModel::Instance();
    const auto reg = [&](ImplementationID id, const ImplementationFunctions& functions) {
        model.RegisterImplementation(PluginID{0}, id, functions);
    };
    reg(kRealAttributeImpl, ImplementationFunctionsOf<RealAttribute>());
    reg(kIntegerAttributeImpl, ImplementationFunctionsOf<IntegerAttribute>());
    reg(kTransparencyTesterImpl, ImplementationFunctionsOf<TransparencyTester>());
    reg(kTransparencyUtilsImpl, ImplementationFunctionsOf<TransparencyUtils>());
    model.AddToClass(kOpacityAttrBoss, {{IRealAttribute::kDefaultIID, kRealAttributeImpl}});
    for (ClassID cls : {kBlendModeAttrBoss, kFeatherAttrBoss, kDropShadowAttrBoss})
        model.AddToClass(cls, {{IIntegerAttribute::kDefaultIID, kIntegerAttributeImpl}});
    model.AddToClass(kTransparencyTesterBoss,
                     {{ITransparencyTester::kDefaultIID, kTransparencyTesterImpl}});
    model.AddToClass(kUtilsBoss, {{ITransparencyUtils::kDefaultIID, kTransparencyUtilsImpl}});
}

} // namespace host
