// The facets of placed items, which read the item's placed content in its document's layout, and
// the import providers, one class per distinct list of file types.
#include "host/standin/PlacedGraphics.h"

#include "host/standin/Document.h"
#include "host/standin/Layout.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace host {

namespace {

constexpr ClassID kFirstImportProviderBoss{0xF0B400};
constexpr ImplementationID kImportFileTypesImpl{0xF0B200};

// The file-type lists of the session's providers: the class of list i is
// kFirstImportProviderBoss + i.
std::vector<std::vector<std::uint32_t>>& Providers() {
    static std::vector<std::vector<std::uint32_t>> providers;
    return providers;
}

// The placed content of the item behind the facet; empty when it is not stored in a document.
const PlacedContent& ContentOf(const IPMUnknown* facet) {
    static const PlacedContent kNone;
    const UIDRef ref = GetUIDRef(facet);
    const Document* document = DocumentOf(ref.GetDataBase());
    if (!document)
        return kNone;
    auto item = document->layout.items.find(ref.GetUID());
    return item != document->layout.items.end() && item->second.placed ? *item->second.placed
                                                                       : kNone;
}

UIDList ListOf(const IPMUnknown* facet, const std::vector<UID>& uids) {
    UIDList list(GetUIDRef(facet).GetDataBase());
    for (UID uid : uids)
        list.Append(uid);
    return list;
}

class ImageAttributes final : public CPMUnknown<IImageAttributes> {
public:
    using CPMUnknown::CPMUnknown;
    std::uint32_t GetTagSize(ImageAttributeTag tag) const override {
        const auto* value = Find(tag);
        return value ? static_cast<std::uint32_t>(value->size()) : 0;
    }
    bool GetTag(ImageAttributeTag tag, void* buffer) const override {
        const auto* value = Find(tag);
        if (!value)
            return false;
        if (!value->empty())
            std::memcpy(buffer, value->data(), value->size());
        return true;
    }

private:
    const std::vector<std::uint8_t>* Find(ImageAttributeTag tag) const {
        const auto& attributes = ContentOf(this).attributes;
        if (!attributes)
            return nullptr;
        auto found = attributes->find(tag);
        return found == attributes->end() ? nullptr : &found->second;
    }
};

class ImportProvider final : public CPMUnknown<IImportProvider> {
public:
    using CPMUnknown::CPMUnknown;
    const ClassID* GetProviderClass() const override {
        const auto& types = ContentOf(this).fileTypes;
        const auto& providers = Providers();
        auto found = std::find(providers.begin(), providers.end(), types.value_or(kNoTypes));
        m_class = found == providers.end()
                      ? kInvalidClass
                      : ClassID(kFirstImportProviderBoss.Get() +
                                static_cast<std::uint32_t>(found - providers.begin()));
        return &m_class;
    }

private:
    static inline const std::vector<std::uint32_t> kNoTypes{};
    mutable ClassID m_class;
};

class ImportFileTypes final : public CPMUnknown<IImportFileTypes> {
public:
    using CPMUnknown::CPMUnknown;
    void GetFileTypes(std::vector<std::uint32_t>& types) const override {
        const std::uint32_t index =
            Boss::Of(this)->GetClass().Get() - kFirstImportProviderBoss.Get();
        types = Providers().at(index);
    }
};

class EPSContent final : public CPMUnknown<IEPSContent> {
public:
    using CPMUnknown::CPMUnknown;
};

class ImageObject final : public CPMUnknown<IImageObject> {
public:
    using CPMUnknown::CPMUnknown;
};

class EmbeddedImage final : public CPMUnknown<IEmbeddedImage> {
public:
    using CPMUnknown::CPMUnknown;
    const UID* GetImageUID() const override {
        m_uid = ContentOf(this).embeddedImage.value_or(kInvalidUID);
        return &m_uid;
    }

private:
    mutable UID m_uid;
};

class ContentColors final : public CPMUnknown<IContentColors> {
public:
    using CPMUnknown::CPMUnknown;
    UIDList GetColorList() const override {
        return ListOf(this, ContentOf(this).colors.value_or(std::vector<UID>{}));
    }
};

class PlacedPDFFacet final : public CPMUnknown<IPlacedPDF> {
public:
    using CPMUnknown::CPMUnknown;
    std::int16_t HasTransparency() const override { return Data().transparent ? 1 : 0; }
    UIDList GetColorList() const override { return ListOf(this, Data().colors); }

private:
    const PlacedPDF& Data() const {
        static const PlacedPDF kNone;
        const auto& pdf = ContentOf(this).pdf;
        return pdf ? *pdf : kNone;
    }
};

class ItemColorManagement final : public CPMUnknown<IItemColorManagement> {
public:
    using CPMUnknown::CPMUnknown;
    ColorProfilePolicy GetProfilePolicy() const override {
        return ContentOf(this).colorPolicy.value_or(0);
    }
};

class ItemProfile final : public CPMUnknown<IItemProfile> {
public:
    using CPMUnknown::CPMUnknown;
    UID GetProfileUID() const override { return ContentOf(this).profile.value_or(kInvalidUID); }
};

template <typename Facet>
void Attach(Boss& item) {
    item.AttachFacet(Facet::kDefaultIID, std::make_unique<Facet>(&item));
}

} // namespace

bool AttachPlacedFacets(Boss& item, const PlacedContent& content) {
    if (content.fileTypes) {
        auto& providers = Providers();
        if (std::find(providers.begin(), providers.end(), *content.fileTypes) == providers.end()) {
            if (providers.size() == kMaxImportProviders)
                return false;
            providers.push_back(*content.fileTypes);
            const ClassID cls(kFirstImportProviderBoss.Get() +
                              static_cast<std::uint32_t>(providers.size() - 1));
            ObjectModel::Instance().AddToClass(
                cls, {{IImportFileTypes::kDefaultIID, kImportFileTypesImpl}});
        }
        Attach<ImportProvider>(item);
    }
    if (content.attributes)
        Attach<ImageAttributes>(item);
    if (content.eps)
        Attach<EPSContent>(item);
    if (content.imageObject)
        Attach<ImageObject>(item);
    if (content.embeddedImage)
        Attach<EmbeddedImage>(item);
    if (content.colors)
        Attach<ContentColors>(item);
    if (content.pdf)
        Attach<PlacedPDFFacet>(item);
    if (content.colorPolicy)
        Attach<ItemColorManagement>(item);
    if (content.profile)
        Attach<ItemProfile>(item);
    return true;
}

void RegisterPlacedGraphicsClasses() {
    Providers().clear();
    ObjectModel::Instance().RegisterImplementation(PluginID{0}, kImportFileTypesImpl,
                                                   ImplementationFunctionsOf<ImportFileTypes>());
}

} // namespace host
