#include "host/standin/Links.h"

#include "host/sdk/PMString.h"
#include "host/standin/Document.h"
#include "host/standin/Layout.h"

#include <memory>

namespace host {

namespace {

constexpr ImplementationID kLinkManagerImpl{0xF0B201};

class LinkManager final : public CPMUnknown<ILinkManager> {
public:
    using CPMUnknown::CPMUnknown;

    std::int32_t QueryLinksByObject(UID object, UIDList& links) const override {
        IDataBase* db = static_cast<const Boss*>(GetBoss())->GetDataBase();
        links = UIDList(db);
        const Document* document = DocumentOf(db);
        if (!document)
            return 0;
        auto item = document->layout.items.find(object);
        if (item == document->layout.items.end() || !item->second.placed)
            return 0;
        for (const PlacedLink& link : item->second.placed->links)
            links.Append(link.link);
        return links.Length();
    }

    ILinkResource* QueryResourceByUID(UID resource) const override {
        return static_cast<ILinkResource*>(
            GetUIDRef(this).GetDataBase()->Instantiate(resource, ILinkResource::kDefaultIID));
    }
};

class Link final : public CPMUnknown<ILink> {
public:
    Link(IPMUnknown* boss, UID resource) : CPMUnknown(boss), m_resource(resource) {}
    UID GetResource() const override { return m_resource; }

private:
    const UID m_resource;
};

class LinkResource final : public CPMUnknown<ILinkResource> {
public:
    LinkResource(IPMUnknown* boss, const std::string& fullName)
        : CPMUnknown(boss), m_name(PMString(fullName).GetUTF16()) {}
    WideString GetLongName(std::int32_t) const override { return m_name; }

private:
    const WideString m_name;
};

} // namespace

void AttachLinkFacets(Boss& link, Boss* resource, const PlacedLink& data) {
    link.AttachFacet(ILink::kDefaultIID, std::make_unique<Link>(&link, data.resource));
    if (resource)
        resource->AttachFacet(ILinkResource::kDefaultIID,
                              std::make_unique<LinkResource>(resource, data.fullName));
}

void RegisterLinkClasses() {
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kLinkManagerImpl,
                                 ImplementationFunctionsOf<LinkManager>());
    model.AddToClass(kDocBoss, {{ILinkManager::kDefaultIID, kLinkManagerImpl}});
    model.AddToClass(kLinkBoss, {});
    model.AddToClass(kLinkResourceBoss, {});
}

} // namespace host
