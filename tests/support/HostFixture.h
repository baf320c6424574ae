// Fixtures for tests of the host stand-in and of the plug-in: each test starts from a fresh host
// (and, for the plug-in, with the plug-in's code attached directly, without loading a library).
#pragma once

#include "host/standin/Document.h"
#include "host/standin/Host.h"
#include "host/standin/Recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class HostTest : public ::testing::Test {
protected:
    void SetUp() override { host::Reset(); }
    void TearDown() override {
        host::UnloadAll();
        host::Reset();
    }

    static const std::vector<std::string>& Log(host::Channel channel) {
        return host::Recorder::Instance().Log(channel);
    }
};

// A reference to an object of a document, the object, and a list of the document's objects.
inline UIDRef RefIn(const host::Document& document, std::uint32_t uid) {
    return {document.db.get(), UID(uid)};
}
inline InterfacePtr<IPMUnknown> ObjectIn(const host::Document& document, std::uint32_t uid) {
    return InterfacePtr<IPMUnknown>(RefIn(document, uid), IPMUnknown::kDefaultIID);
}
inline UIDList ListIn(const host::Document& document, const std::vector<std::uint32_t>& uids) {
    UIDList list(document.db.get());
    for (std::uint32_t uid : uids)
        list.Append(UID(uid));
    return list;
}
