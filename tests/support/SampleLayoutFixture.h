// Tests of the plug-in on the sample layout (support/SampleLayout.h), opened as the front
// document; objects are named by their ids in the description.
#pragma once

#include "support/PluginFixture.h"
#include "support/SampleLayout.h"

#include <vector>

class SampleLayoutTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        m_document = &host::OpenDocumentDescription(kSampleLayout);
    }
    UIDRef Ref(std::uint32_t uid) const { return RefIn(*m_document, uid); }
    UIDList List(const std::vector<std::uint32_t>& uids) const { return ListIn(*m_document, uids); }

    host::Document* m_document = nullptr;
};
