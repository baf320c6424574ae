#include "host/ItemWalk.h"

#include "host/Layout.h"
#include "support/HostFixture.h"
#include "support/SampleLayout.h"

namespace {

// Keeps the UIDs it is called with.
class Recorder final : public ICallback {
public:
    void Visit(const PMMatrix&, IPMUnknown* item, std::int32_t) override {
        m_visited.push_back(GetUIDRef(item).GetUID().Get());
    }
    IPMUnknown* GetCallbackObject() const override { return nullptr; }
    std::vector<std::uint32_t> m_visited;
};

TEST_F(HostTest, TheItemWalkerVisitsInItsDocumentedOrder) {
    const host::Document& document = host::OpenDocumentDescription(kSampleLayout);
    InterfacePtr<IItemWalker> walker(
        static_cast<IItemWalker*>(CreateObject(host::kItemWalkerBoss, IItemWalker::kDefaultIID)));
    ASSERT_TRUE(walker);
    // Page 11 holds 20, the group 21 and both its members; group member 22 reaches into page 12;
    // the empty frame 24 meets no page.
    const struct {
        std::uint32_t start;
        std::int32_t flags;
        std::vector<std::uint32_t> visited;
    } cases[] = {
        {10, 0, {20, 21, 24}},
        {10, IItemWalker::kEnterGroups, {20, 21, 22, 23, 24}},
        {10, IItemWalker::kByPage, {20, 21, 21, 24}},
        {10, 20, {20, 21, 22, 23, 21, 22, 24}},
        {30, 20, {32}},
        {20, 20, {}}, // not a spread
    };
    for (const auto& c : cases) {
        Recorder recorder;
        walker->Walk({}, RefIn(document, c.start), &recorder, c.flags);
        EXPECT_EQ(recorder.m_visited, c.visited) << c.start << " " << c.flags;
    }
}

} // namespace
