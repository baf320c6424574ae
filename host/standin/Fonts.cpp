#include "host/standin/Fonts.h"

#include "host/standin/Document.h"
#include "host/standin/ObjectModel.h"
#include "host/standin/Session.h"

#include <algorithm>

namespace host {

namespace {

constexpr ImplementationID kFontImpl{0xF09206};
constexpr ImplementationID kFontMgrImpl{0xF09207};

std::vector<FontInfo>& KnownFonts() {
    static std::vector<FontInfo> fonts;
    return fonts;
}

class Font final : public CPMUnknown<IFont> {
public:
    using CPMUnknown::CPMUnknown;
    std::int32_t GetFontClass() const override { return m_info.fontClass; }
    std::uint32_t GetStatus() const override { return m_info.status; }
    std::int32_t GetFontType() const override { return m_info.type; }
    FontInfo m_info;
};

class FontMgr final : public CPMUnknown<IFontMgr> {
public:
    using CPMUnknown::CPMUnknown;
    IFont* QueryFont(const PMString& name, std::int32_t, std::int32_t option2, PMReal,
                     std::int32_t) const override {
        return host::QueryFont(name.GetUTF8String(), (option2 & kFontObjectWhenMissing) != 0);
    }
};

class UsedFontList final : public CPMUnknown<IUsedFontList> {
public:
    using CPMUnknown::CPMUnknown;
    std::vector<PMString> GetFontNames() const override { return Names(false); }
    std::vector<PMString> GetMissingFontNames() const override { return Names(true); }

private:
    // The item's fonts from the description; only those the session does not know when
    // `missingOnly`.
    std::vector<PMString> Names(bool missingOnly) const {
        const UIDRef ref = GetUIDRef(this);
        const Document* document = DocumentOf(ref.GetDataBase());
        std::vector<PMString> names;
        if (!document || !document->layout.items.contains(ref.GetUID()))
            return names;
        const auto& known = KnownFonts();
        for (const std::string& font : document->layout.items.at(ref.GetUID()).fonts)
            if (!missingOnly || std::none_of(known.begin(), known.end(), [&](const FontInfo& info) {
                    return info.name == font;
                }))
                names.emplace_back(font);
        return names;
    }
};

} // namespace

void SetFonts(std::vector<FontInfo> fonts) {
    KnownFonts() = std::move(fonts);
}

const std::vector<FontInfo>& Fonts() {
    return KnownFonts();
}

IFont* QueryFont(std::string_view name, bool whenMissing) {
    const auto& fonts = KnownFonts();
    auto found = std::find_if(fonts.begin(), fonts.end(),
                              [&](const FontInfo& font) { return font.name == name; });
    if (found == fonts.end() && !whenMissing)
        return nullptr;
    InterfacePtr<IFont> font(static_cast<IFont*>(CreateObject(kFontBoss, IFont::kDefaultIID)));
    if (font)
        static_cast<Font*>(font.get())->m_info =
            found != fonts.end() ? *found : FontInfo{std::string(name), 0x12, 3, 5};
    return font.forget();
}

std::unique_ptr<IPMUnknown> NewUsedFontListFacet(IPMUnknown* itemBoss) {
    return std::make_unique<UsedFontList>(itemBoss);
}

void RegisterFontClasses() {
    KnownFonts().clear();
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kFontImpl, ImplementationFunctionsOf<Font>());
    model.RegisterImplementation(PluginID{0}, kFontMgrImpl, ImplementationFunctionsOf<FontMgr>());
    model.AddToClass(kFontBoss, {{IFont::kDefaultIID, kFontImpl}});
    model.AddToClass(kSessionBoss, {{IFontMgr::kDefaultIID, kFontMgrImpl}});
}

} // namespace host
