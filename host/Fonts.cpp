#include "host/Fonts.h"

#include "host/Document.h"
#include "host/ObjectModel.h"

namespace host {

namespace {

class UsedFontList final : public CPMUnknown<IUsedFontList> {
public:
    using CPMUnknown::CPMUnknown;
    std::vector<PMString> GetFontNames() const override {
        const UIDRef ref = GetUIDRef(this);
        const Document* document = DocumentOf(ref.GetDataBase());
        std::vector<PMString> names;
        if (!document || !document->layout.items.contains(ref.GetUID()))
            return names;
        for (const std::string& font : document->layout.items.at(ref.GetUID()).fonts)
            names.emplace_back(font);
        return names;
    }
};

} // namespace

std::unique_ptr<IPMUnknown> NewUsedFontListFacet(IPMUnknown* itemBoss) {
    return std::make_unique<UsedFontList>(itemBoss);
}

} // namespace host
