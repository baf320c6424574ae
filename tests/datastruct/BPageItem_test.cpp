// Tests of page-item records: kinds, the problem set, the matrix list's growth, file-type names,
// the copy rules, and the page-item file's record 140 byte for byte.
#include "BPageItem.h"

#include "KeyStrings.h"
#include "UKeyStream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr std::size_t kHeadSize = 13; // root record and version of a stream with identifier 0

std::string writeStream(const std::function<void(UKeyOutStream&)>& body) {
    std::stringstream bytes;
    {
        UKeyOutStream out(bytes, 0);
        body(out);
    }
    return bytes.str();
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char b : bytes) {
        if (!text.empty())
            text += ' ';
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

std::string recordHeader(const char* key, std::size_t length) {
    char text[32];
    std::snprintf(text, sizeof text, "%s FF %02X %02X %02X %02X 06", key,
                  static_cast<unsigned>(length >> 24 & 0xFF),
                  static_cast<unsigned>(length >> 16 & 0xFF),
                  static_cast<unsigned>(length >> 8 & 0xFF), static_cast<unsigned>(length & 0xFF));
    return text;
}

// The record 140 that the list writes for `page`, as hex.
std::string listBytes(const BPageItemList& list, int page) {
    return hex(writeStream([&](UKeyOutStream& out) { list.Write(out, page); }).substr(kHeadSize));
}

// 1110 kind, 1112 = 1.0 and 1113 = 1.0 (no matrix, no problems).
std::string plainFields(const char* kind) {
    return std::string("04 56 01 02 ") + kind +
           " 04 58 08 04 3F F0 00 00 00 00 00 00 04 59 08 04 3F F0 00 00 00 00 00 00";
}

const double kMatrix[6] = {1, 0, 0, 1, 10, 20};
const double kOtherMatrix[6] = {2, 0, 0, 2, 0, 0};

} // namespace

TEST(BPageItem, EachKindStartsWithItsValues) {
    const BPageItem item;
    EXPECT_EQ(item.kind, 20);
    EXPECT_EQ(item.page, 0);
    EXPECT_EQ(item.unsharedValues[0], -1);
    EXPECT_EQ(item.unsharedValues[1], -1);
    EXPECT_TRUE(item.options[0]);
    EXPECT_TRUE(item.options[1]);
    EXPECT_FALSE(item.options[2]);
    EXPECT_EQ(item.GetMatrixCount(), 0);
    EXPECT_TRUE(item.problems.empty());

    const BTextRunItem run;
    EXPECT_EQ(run.kind, 10);
    EXPECT_EQ(run.runScale, 1.0);

    const BPlacedGraphic graphic;
    EXPECT_EQ(graphic.kind, 210);
    EXPECT_FALSE(graphic.options[0]);
    EXPECT_TRUE(graphic.options[1]);
    EXPECT_EQ(graphic.graphicValues[1], 1);
    EXPECT_EQ(graphic.fileType, kPlacedFileUnknown);
}

TEST(BPageItem, ProblemsAreASetInByteOrder) {
    BPageItem item;
    item.AddProblem(keystr::TextBoxOverflowed);
    item.AddProblem(keystr::BitmapFontUsedInLayout);
    item.AddProblem(keystr::TextBoxOverflowed);
    EXPECT_TRUE(item.HasProblem(keystr::TextBoxOverflowed));
    EXPECT_FALSE(item.HasProblem("textboxoverflowed"));
    EXPECT_FALSE(item.HasProblem(keystr::Transparency));

    BPageItemList list;
    list.Append(std::make_shared<BPageItem>(item));
    const std::string problems = "00 0A 16 05 42 69 74 6D 61 70 46 6F 6E 74 55 73 65 64 49 6E 4C "
                                 "61 79 6F 75 74 "
                                 "00 0A 11 05 54 65 78 74 42 6F 78 4F 76 65 72 66 6C 6F 77 65 64";
    const std::string record1114 = recordHeader("04 5A", 47) + " " + problems;
    EXPECT_EQ(listBytes(list, 0),
              recordHeader("00 8C", 29 + 55) + " " + plainFields("14") + " " + record1114);
}

TEST(BPageItem, MatrixStorageDoublesThenGrowsBy1024) {
    const struct {
        int appended;
        int capacity;
    } cases[] = {{1, 1}, {2, 2}, {3, 4}, {5, 8}, {1024, 1024}, {1025, 2048}, {2049, 3072}};
    for (const auto& c : cases) {
        BPageItem item;
        for (int i = 0; i < c.appended; ++i)
            item.AppendMatrix(kMatrix);
        EXPECT_EQ(item.GetMatrixCount(), c.appended);
        EXPECT_EQ(item.GetMatrixCapacity(), c.capacity) << c.appended << " appended";
    }

    BPageItem item;
    item.AppendMatrix(nullptr);
    EXPECT_EQ(item.GetMatrixCapacity(), 0) << "none appends nothing";
    item.AppendMatrix(kMatrix);
    item.AppendMatrix(kOtherMatrix);
    EXPECT_EQ(item.GetMatrix(1)[0], 2.0);
    EXPECT_EQ(item.GetMatrix(0)[5], 20.0) << "kept across the growth";
    EXPECT_EQ(item.GetMatrix(2), nullptr);
    EXPECT_EQ(item.GetMatrix(-1), nullptr);
}

TEST(BPageItem, SetMatrixReplacesTheListAlsoFromItsOwnStorage) {
    BPageItem item;
    for (int i = 0; i < 3; ++i)
        item.AppendMatrix(i == 1 ? kOtherMatrix : kMatrix);
    item.SetMatrix(item.GetMatrix(1));
    ASSERT_EQ(item.GetMatrixCount(), 1);
    EXPECT_EQ(item.GetMatrixCapacity(), 1);
    EXPECT_EQ(item.GetMatrix(0)[0], 2.0);

    item.SetMatrix(nullptr);
    EXPECT_EQ(item.GetMatrixCount(), 0);
    EXPECT_EQ(item.GetMatrixCapacity(), 0);
    BPageItemList list;
    list.Append(std::make_shared<BPageItem>(item));
    EXPECT_EQ(listBytes(list, 0), recordHeader("00 8C", 29) + " " + plainFields("14"));
}

TEST(BPageItem, WritesTheFirstMatrixAsAnArrayOfSixDoubles) {
    auto item = std::make_shared<BPageItem>();
    item->AppendMatrix(kMatrix);
    item->AppendMatrix(kOtherMatrix);
    BPageItemList list;
    list.Append(item);
    const std::string array = "04 57 FF 00 00 00 2C 07 08 04 3F F0 00 00 00 00 00 00 00 04 00 04 "
                              "08 04 3F F0 00 00 00 00 00 00 08 04 40 24 00 00 00 00 00 00 "
                              "08 04 40 34 00 00 00 00 00 00";
    EXPECT_EQ(listBytes(list, 0), recordHeader("00 8C", 29 + 52) + " 04 56 01 02 14 " + array +
                                      " 04 58 08 04 3F F0 00 00 00 00 00 00"
                                      " 04 59 08 04 3F F0 00 00 00 00 00 00");
}

TEST(BPageItem, CopiesAllButTheUnsharedValuesAndOnlyTheFirstMatrix) {
    BPageItem source;
    source.page = 3;
    source.analysisFlags = {true, true};
    source.analysisValues = {4, 5};
    source.unsharedValues = {8, 9};
    source.options[7] = true;
    source.AppendMatrix(kMatrix);
    source.AppendMatrix(kOtherMatrix);
    source.scale1 = 0.5;
    source.measures = {1.5, 2.5};
    source.AddProblem(keystr::Transparency);
    source.moreFlags[2] = true;
    source.analysisWord = 1LL << 40;

    BPageItem target;
    target.AppendMatrix(kOtherMatrix);
    target = source;
    EXPECT_EQ(target.page, 3);
    EXPECT_EQ(target.analysisFlags, source.analysisFlags);
    EXPECT_EQ(target.analysisValues, source.analysisValues);
    EXPECT_EQ(target.unsharedValues[0], -1);
    EXPECT_EQ(target.unsharedValues[1], -1);
    EXPECT_EQ(target.options, source.options);
    ASSERT_EQ(target.GetMatrixCount(), 1);
    EXPECT_EQ(target.GetMatrix(0)[4], 10.0);
    EXPECT_EQ(target.scale1, 0.5);
    EXPECT_EQ(target.measures, source.measures);
    EXPECT_EQ(target.problems, source.problems);
    EXPECT_EQ(target.moreFlags, source.moreFlags);
    EXPECT_EQ(target.analysisWord, source.analysisWord);

    const BPageItem& self = target;
    target = self;
    EXPECT_EQ(target.GetMatrixCount(), 1) << "self-assignment keeps the matrix";
    EXPECT_EQ(target.GetMatrix(0)[4], 10.0);

    const BPageItem constructed(source);
    EXPECT_EQ(constructed.unsharedValues[0], -1);
    EXPECT_EQ(constructed.GetMatrixCount(), 1);
}

TEST(BTextRunItem, CopiesItsIntegerButNotItsDouble) {
    BTextRunItem source;
    source.runValue = 7;
    source.runScale = 3.0;
    source.page = 2;
    BTextRunItem target;
    target = source;
    EXPECT_EQ(target.runValue, 7);
    EXPECT_EQ(target.runScale, 1.0);
    EXPECT_EQ(target.page, 2);
    EXPECT_EQ(target.kind, 10);
}

TEST(BPlacedGraphic, CopiesAllButTheFilesTheirFlagAndTheLastFlag) {
    BPlacedGraphic source;
    source.flags = 12;
    source.hasProfileFile = true;
    source.profileFile.assign("Z:/tmp/a.icc");
    source.secondFile.assign("Z:/tmp/b");
    source.isBitmap = true;
    source.fileType = kPlacedFileTIFF;
    source.flag1562 = true;
    source.SetLinkPath("Z:/links/photo.tif");
    source.graphicMeasures = {1, 2};
    source.graphicFlag = true;
    source.graphicValues = {3, 4};
    source.colorSpaceCode = 3;
    source.moreGraphicValues = {5, 6};
    source.lastFlag = true;
    source.AddProblem(keystr::Transparency);

    BPlacedGraphic target;
    target = source;
    EXPECT_EQ(target.flags, 12u);
    EXPECT_TRUE(target.isBitmap);
    EXPECT_EQ(target.fileType, kPlacedFileTIFF);
    EXPECT_TRUE(target.flag1562);
    EXPECT_EQ(target.linkPath, "Z:/links/photo.tif");
    EXPECT_EQ(target.graphicMeasures, source.graphicMeasures);
    EXPECT_TRUE(target.graphicFlag);
    EXPECT_EQ(target.graphicValues, source.graphicValues);
    EXPECT_EQ(target.colorSpaceCode, 3u);
    EXPECT_EQ(target.moreGraphicValues, source.moreGraphicValues);
    EXPECT_TRUE(target.HasProblem(keystr::Transparency));
    EXPECT_FALSE(target.hasProfileFile);
    EXPECT_EQ(target.profileFile.path(), "");
    EXPECT_EQ(target.secondFile.path(), "");
    EXPECT_FALSE(target.lastFlag);

    const BPlacedGraphic constructed(source);
    EXPECT_EQ(constructed.linkPath, "Z:/links/photo.tif");
    EXPECT_FALSE(constructed.hasProfileFile);
}

TEST(BPlacedGraphic, FileTypeNamesFollowTheTable) {
    const char* names[] = {"", "EPS", "PDF", "TIFF", "PICT", "JPEG", "BMP", "PSD", "SCT"};
    BPlacedGraphic graphic;
    for (int i = 0; i < 9; ++i) {
        graphic.fileType = i;
        EXPECT_EQ(graphic.GetFileTypeName(), names[i]);
        graphic.fileType = -1;
        graphic.SetFileTypeByName(names[i]);
        EXPECT_EQ(graphic.fileType, i) << names[i];
    }
    for (const char* unknown : {"pdf", "Tiff", "GIF", " PDF"}) {
        graphic.fileType = kPlacedFilePDF;
        graphic.SetFileTypeByName(unknown);
        EXPECT_EQ(graphic.fileType, kPlacedFileUnknown) << unknown;
    }
    for (int outside : {9, -1, 1000}) {
        graphic.fileType = outside;
        EXPECT_EQ(graphic.GetFileTypeName(), "") << outside;
    }
}

TEST(BPlacedGraphic, WritesItsFieldsAfterThoseOfAPageItem) {
    auto graphic = std::make_shared<BPlacedGraphic>();
    graphic->isBitmap = true;
    graphic->flags = 0x0102;
    graphic->SetLinkPath("a.pdf");
    graphic->fileType = kPlacedFilePDF;
    graphic->hasProfileFile = true;
    graphic->profileFile.assign("Z:/nonexistent-zep-folder/p.icc");
    BPageItemList list;
    list.Append(graphic);
    const std::string fields = "06 18 01 01 01 06 1A 00 01 06 1C 02 02 01 02 "
                               "06 22 05 05 61 2E 70 64 66 06 19 03 05 50 44 46";
    EXPECT_EQ(listBytes(list, 0),
              recordHeader("00 8C", 29 + 31) + " " + plainFields("D2") + " " + fields);

    BPageItemList bare;
    bare.Append(std::make_shared<BPlacedGraphic>());
    EXPECT_EQ(listBytes(bare, 0), recordHeader("00 8C", 29 + 12) + " " + plainFields("D2") +
                                      " 06 18 00 01 06 1A 00 01 06 1C 00 02");
}

TEST(BPlacedGraphic, WritesTheProfileFileOnlyWhenFlaggedAndAnExistingFile) {
    std::string folder = (std::filesystem::temp_directory_path() / "zeppages-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    std::ofstream(folder + "/p.icc") << "x";

    auto graphic = std::make_shared<BPlacedGraphic>();
    graphic->profileFile.assign(("Z:" + folder + "/p.icc").c_str());
    BPageItemList list;
    list.Append(graphic);

    std::stringstream bytes(writeStream([&](UKeyOutStream& out) { list.Write(out, 0); }));
    {
        UKeyInStream in(bytes);
        in.enter_record(140);
        EXPECT_FALSE(in.has_key(570)) << "flag clear";
    }

    graphic->hasProfileFile = true;
    bytes.str(writeStream([&](UKeyOutStream& out) { list.Write(out, 0); }));
    {
        UKeyInStream in(bytes);
        in.enter_record(140);
        ustring path;
        in.select_key(570).read_string(path);
        EXPECT_EQ(path, ustring(("Z:" + folder + "/p.icc").c_str()));
    }

    graphic->profileFile.assign(("Z:" + folder).c_str());
    bytes.str(writeStream([&](UKeyOutStream& out) { list.Write(out, 0); }));
    {
        UKeyInStream in(bytes);
        in.enter_record(140);
        EXPECT_FALSE(in.has_key(570)) << "a folder is no file";
    }
    std::filesystem::remove_all(folder);
}

TEST(BPageItemList, WritesOnlyTheItemsOfThePageInListOrder) {
    BPageItemList list;
    auto first = std::make_shared<BTextRunItem>();
    first->page = 1;
    auto other = std::make_shared<BPageItem>();
    other->page = 2;
    auto second = std::make_shared<BPageItem>();
    second->page = 1;
    list.Append(first);
    list.Append(other);
    list.Append(nullptr);
    list.Append(second);

    EXPECT_EQ(listBytes(list, 1),
              recordHeader("00 8C", 58) + " " + plainFields("0A") + " " + plainFields("14"));
    EXPECT_EQ(listBytes(list, 3), recordHeader("00 8C", 0));

    std::stringstream bytes(writeStream([&](UKeyOutStream& out) { list.Write(out, 1); }));
    UKeyInStream in(bytes);
    in.enter_record(140);
    std::vector<std::int32_t> kinds;
    while (in.next_item()) {
        std::int32_t kind = 0;
        in.select_key(1110).read_int(kind);
        kinds.push_back(kind);
    }
    EXPECT_EQ(kinds, (std::vector<std::int32_t>{10, 20}));
}
