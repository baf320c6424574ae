// The utility library's log records as they are submitted: for each logging site, the operation
// that logs and the record's level, source file (as given, before the line cuts it to its base
// name), line, function and text.
#include "utils/FilePath.h"
#include "utils/Geometry2D.h"
#include "utils/umessage.h"

#include "support/LogCapture.h"
#include "support/TempFolder.h"
#include "support/Test.h"

#include <cerrno>
#include <functional>
#include <sstream>
#include <string>

namespace {

using zeu::LogLevel;

TEST(LogRecords, EachSiteNamesItsSourceFileFunctionAndText) {
    const TempFolder folder;
    const UFileSpecCore missing(ustring("Z:" + folder.at("none/x")));
    const std::string fileSource = "libs/utils/UFileSpecCore";
    const struct {
        const char* operation;
        std::function<bool()> logs; // false: the operation failed, as it must to log
        LogCapture::Record record;
    } cases[] = {
        {"invert a singular matrix",
         [] { return zeu::Matrix2D{1, 2, 2, 4, 0, 0}.invert(); },
         {LogLevel::Warn, "..\\..\\..\\libs\\utils\\Geometry2D", 200, "zeu::Matrix2D::invert",
          "non invertible matrix"}},
        {"read JSON that is no object",
         [] {
             std::istringstream in("[1]");
             return umessage().read(in);
         },
         {LogLevel::Error, "libs/utils/umessage", 816, "umessage::read",
          "unexpected element in json at line 1"}},
        {"unflatten a string reference past the table",
         [] {
             std::istringstream in(std::string{'\x04', '\x01', '\x01', 'a', '\x01', '\x02'});
             return umessage().unflatten(in);
         },
         {LogLevel::Error, "umessage_serialize", 436, "umessage::unflatten", "string not found"}},
        {"make a folder in a missing folder",
         [&] { return missing.mkdir(); },
         {LogLevel::Warn, fileSource, 1350, "UFileSpecCore::mkdir", std::to_string(ENOENT)}},
        {"copy a missing file",
         [&] { return missing.copy(UFileSpecCore(ustring("Z:" + folder.at("y")))); },
         {LogLevel::Warn, fileSource, 1236, "UFileSpecCore::copy",
          "attempt to copy a non-existing file"}},
        {"move a missing file",
         [&] { return missing.move(UFileSpecCore(ustring("Z:" + folder.at("y")))); },
         {LogLevel::Warn, fileSource, 1177, "UFileSpecCore::move",
          "attempt to move a non-existing file"}},
        {"open a temporary file in a missing folder",
         [&] { return missing.open_temporary() >= 0; },
         {LogLevel::Error, fileSource, 1052, "UFileSpecCore::open_temporary",
          "No such file or directory"}},
    };
    for (const auto& c : cases) {
        const LogCapture capture;
        EXPECT_FALSE(c.logs()) << c.operation;
        EXPECT_EQ(capture.records(), std::vector<LogCapture::Record>{c.record}) << c.operation;
    }
}

} // namespace
