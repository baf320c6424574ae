#include "utils/umessage.h"
#include "utils/umessage_write.h"

#include "platform/debug_output.h"
#include "support/DeepMessage.h"
#include "support/HexBytes.h"
#include "support/JsonMessage.h"
#include "support/LogCapture.h"
#include "support/Test.h"

#include <sstream>
#include <string>
#include <vector>

namespace {

// A chain of `depth` children under "a", as bytes of the binary form.
std::string chainBytes(int depth) {
    std::string bytes = fromHex("04 01 01 61");
    for (int i = 0; i < depth; ++i)
        bytes += fromHex("01 01 05 00 01");
    return bytes + '\0';
}

std::string jsonRecord() {
    return LogCapture::line("ERROR", "libs/utils/umessage:umessage::read:816",
                            "unexpected element in json at line 1");
}

// A tree kMaxDepth levels deep goes through every writer and back through both readers, whether
// its children stand alone or in arrays (a JSON array adds no level).
TEST(UmessageDepth, TheDeepestTreeTheWritersWriteReadsBackThroughBothForms) {
    for (const bool inArrays : {false, true}) {
        SCOPED_TRACE(inArrays ? "in arrays" : "alone");
        const umessage deepest = deepMessage(umessage::kMaxDepth, inArrays);
        LogCapture capture;
        umessage back;

        std::ostringstream flat;
        ASSERT_TRUE(deepest.flatten(flat));
        std::istringstream flatIn(flat.str());
        EXPECT_TRUE(back.unflatten(flatIn));
        EXPECT_EQ(back, deepest);

        for (const std::string& text : {compactJson(deepest), writeJsonMultiLine(deepest, 0), [&] {
                                            std::ostringstream out;
                                            out << deepest;
                                            EXPECT_TRUE(out.good());
                                            return out.str();
                                        }()}) {
            std::istringstream in(text);
            EXPECT_TRUE(back.read(in));
            EXPECT_EQ(back, deepest);
        }
        EXPECT_EQ(capture.text(), "");

        // One level more is refused by the readers, in the text the writers would give.
        for (const std::string& text : {"{\"c\":" + compactJson(deepest) + "}",
                                        "{\"c\":[{}," + compactJson(deepest) + "]}"}) {
            LogCapture refused;
            std::istringstream in(text);
            EXPECT_FALSE(back.read(in));
            EXPECT_EQ(refused.text(), jsonRecord());
        }
    }
    // The binary reader's limit, on bytes made by hand: what it reads flattens to the same bytes.
    LogCapture capture;
    umessage back;
    std::istringstream deepest(chainBytes(umessage::kMaxDepth));
    ASSERT_TRUE(back.unflatten(deepest));
    std::ostringstream again;
    ASSERT_TRUE(back.flatten(again));
    EXPECT_EQ(again.str(), chainBytes(umessage::kMaxDepth));
    std::istringstream deeper(chainBytes(umessage::kMaxDepth + 1));
    EXPECT_FALSE(back.unflatten(deeper));
    EXPECT_TRUE(back.empty());
    EXPECT_EQ(capture.text(),
              LogCapture::line("ERROR", "umessage_serialize:umessage::unflatten:436",
                               "umessage::unflatten() : too deep"));
}

// One level more: every writer refuses and writes nothing, leaving its stream as it was.
TEST(UmessageDepth, WritersRefuseATreeOneLevelDeeperAndWriteNothing) {
    for (const bool inArrays : {false, true}) {
        SCOPED_TRACE(inArrays ? "in arrays" : "alone");
        const umessage deeper = deepMessage(umessage::kMaxDepth + 1, inArrays);
        std::ostringstream flat, compact, written, streamed;
        EXPECT_FALSE(deeper.flatten(flat));
        EXPECT_FALSE(writeJsonCompact(deeper, compact));
        EXPECT_FALSE(deeper.write(written));
        streamed << deeper;
        EXPECT_EQ(writeJsonMultiLine(deeper, 0), "");
        EXPECT_TRUE(streamed.fail());
        for (const std::ostringstream* out : {&flat, &compact, &written, &streamed})
            EXPECT_EQ(out->str(), "");
        EXPECT_TRUE(flat.good() && compact.good() && written.good());

        std::vector<std::string> pieces;
        platform::setDebugOutputSink([&](std::string_view text) { pieces.emplace_back(text); });
        deeper.debugDump();
        platform::setDebugOutputSink(nullptr);
        EXPECT_EQ(pieces,
                  (std::vector<std::string>{"umessage nested deeper than 256 levels\n", "\n\n"}));
    }
}

} // namespace
