#include "host/Transparency.h"

#include "host/Description.h"
#include "host/Layout.h"
#include "host/Session.h"
#include "support/HostFixture.h"
#include "support/SampleLayout.h"
#include "support/Test.h"

namespace {

using TransparencyTest = HostTest;

TEST_F(TransparencyTest, AttributesTesterAndParentsFollowTheDescription) {
    const auto open = [](const std::string& name, const std::string& items) -> host::Document& {
        return host::OpenDocumentDescription(
            R"({"kind": "document", "name": ")" + name +
            R"(", "layers": [{"id": 3, "name": "L"}], "spreads": [{"id": 4, "pages":
              [{"id": 5, "width": 100, "height": 50}], "items": [)" +
            items + "]}]}");
    };
    const host::Document& other = open("Other", "");
    const host::Document& document =
        open("Effects", R"({"id": 6, "layer": 3, "transparent": true, "items": [
            {"id": 7, "bounds": [0, 0, 1, 1], "transparency": {"opacity": 40, "feather": 2}}]},
            {"id": 8, "layer": 3, "bounds": [0, 0, 1, 1]})");
    const auto object = [&](std::uint32_t uid) {
        return InterfacePtr<IPMUnknown>(RefIn(document, uid), IPMUnknown::kDefaultIID);
    };
    InterfacePtr<ITransparencyAttributes> attributes(object(7), UseDefaultIID{});
    InterfacePtr<IRealAttribute> opacity(static_cast<IRealAttribute*>(
        attributes->QueryAttribute(kOpacityAttrBoss, IRealAttribute::kDefaultIID)));
    EXPECT_EQ(opacity->GetValue(), 40);
    InterfacePtr<IIntegerAttribute> feather(static_cast<IIntegerAttribute*>(
        attributes->QueryAttribute(kFeatherAttrBoss, IIntegerAttribute::kDefaultIID)));
    EXPECT_EQ(feather->GetValue(), 2);
    EXPECT_FALSE(attributes->QueryAttribute(kOpacityAttrBoss, IIntegerAttribute::kDefaultIID));
    EXPECT_FALSE(attributes->QueryAttribute(kBlendModeAttrBoss, IIntegerAttribute::kDefaultIID));
    EXPECT_FALSE(InterfacePtr<ITransparencyAttributes>(object(8), UseDefaultIID{}));

    InterfacePtr<ITransparencyUtils> utils(UtilsBoss::QueryUtils<ITransparencyUtils>());
    InterfacePtr<ITransparencyTester> tester(utils->QueryTester(document.db.get()));
    InterfacePtr<ITransparencyTester> otherTester(utils->QueryTester(other.db.get()));
    EXPECT_FALSE(utils->QueryTester(&host::SessionDataBase()));
    const auto answer = [&](const ITransparencyTester& t, std::uint32_t uid) {
        return t.HasTransparency(InterfacePtr<IShape>(object(uid), UseDefaultIID{}).get(), 0, 0);
    };
    EXPECT_EQ(std::tuple(answer(*tester, 6), answer(*tester, 7), answer(*otherTester, 6)),
              std::tuple(1, 0, 0));

    InterfacePtr<IHierarchy> member(object(7), UseDefaultIID{});
    EXPECT_EQ(GetUIDRef(InterfacePtr<IHierarchy>(member->QueryParent()).get()), RefIn(document, 6));
    InterfacePtr<IHierarchy> group(member->QueryParent());
    InterfacePtr<IHierarchy> spread(group->QueryParent());
    EXPECT_EQ(GetUIDRef(spread.get()), RefIn(document, 4));
    EXPECT_FALSE(spread->QueryParent());
}

} // namespace
