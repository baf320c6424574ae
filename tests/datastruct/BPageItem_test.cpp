// Tests of page-item records: kinds, the problem set, the matrix list's growth, file-type names,
// the copy rules, and the page-item file's record 140 byte for byte.
#include "model/BPageItem.h"

#include "model/KeyStrings.h"
#include "support/KeyStreamBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string writePage(const BPageItemList& list, int page) {
    return writeKeyStream([&](UKeyOutStream& out) { list.Write(out, page); });
}

// The record 140 that a list of `item` alone writes for page 0, as hex.
std::string itemBytes(std::shared_ptr<BPageItem> item) {
    BPageItemList list;
    list.Append(std::move(item));
    return hex(afterHead(writePage(list, 0)));
}

std::string recordHeader(const char* key, unsigned length) {
    char text[32];
    std::snprintf(text, sizeof text, "%s FF 00 00 %02X %02X 06", key, length >> 8 & 0xFF,
                  length & 0xFF);
    return text;
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
    EXPECT_EQ(item.unsharedValues, (std::array<std::int32_t, 2>{-1, -1}));
    EXPECT_EQ(item.options, (std::array<bool, 8>{true, true}));
    EXPECT_EQ(BTextRunItem().kind, 10);
    EXPECT_EQ(BTextRunItem().runScale, 1.0);
    const BPlacedGraphic graphic;
    EXPECT_EQ(graphic.kind, 210);
    EXPECT_EQ(graphic.options, (std::array<bool, 8>{false, true}));
    EXPECT_EQ(graphic.graphicValues, (std::array<std::int32_t, 2>{0, 1}));
}

TEST(BPageItem, ProblemsAreASetWrittenInByteOrder) {
    auto item = std::make_shared<BPageItem>();
    item->AddProblem(keystr::TextBoxOverflowed);
    item->AddProblem(keystr::BitmapFontUsedInLayout);
    item->AddProblem(keystr::TextBoxOverflowed);
    EXPECT_TRUE(item->HasProblem(keystr::TextBoxOverflowed));
    EXPECT_FALSE(item->HasProblem("textboxoverflowed"));
    EXPECT_FALSE(item->HasProblem(keystr::Transparency));

    const std::string problems = "00 0A 16 05 42 69 74 6D 61 70 46 6F 6E 74 55 73 65 64 49 6E 4C "
                                 "61 79 6F 75 74 "
                                 "00 0A 11 05 54 65 78 74 42 6F 78 4F 76 65 72 66 6C 6F 77 65 64";
    EXPECT_EQ(itemBytes(item), recordHeader("00 8C", 29 + 55) + " " + plainFields("14") + " " +
                                   recordHeader("04 5A", 47) + " " + problems);
}

TEST(BPageItem, AppendedMatricesKeepTheirOrder) {
    BPageItem item;
    item.AppendMatrix(nullptr);
    EXPECT_EQ(item.GetMatrixCount(), 0) << "none appends nothing";
    for (int i = 0; i < 1025; ++i)
        item.AppendMatrix(i == 0 ? kMatrix : kOtherMatrix);
    EXPECT_EQ(item.GetMatrixCount(), 1025);
    EXPECT_EQ(item.GetMatrix(0)[5], 20.0);
    EXPECT_EQ(item.GetMatrix(1024)[0], 2.0);
    EXPECT_EQ(item.GetMatrix(1025), nullptr);
    EXPECT_EQ(item.GetMatrix(-1), nullptr);
}

TEST(BPageItem, SetMatrixReplacesTheListAlsoFromItsOwnStorage) {
    auto item = std::make_shared<BPageItem>();
    for (int i = 0; i < 3; ++i)
        item->AppendMatrix(i == 1 ? kOtherMatrix : kMatrix);
    item->SetMatrix(item->GetMatrix(1));
    ASSERT_EQ(item->GetMatrixCount(), 1);
    EXPECT_EQ(item->GetMatrix(0)[0], 2.0);

    item->SetMatrix(nullptr);
    EXPECT_EQ(item->GetMatrixCount(), 0);
    EXPECT_EQ(itemBytes(item), recordHeader("00 8C", 29) + " " + plainFields("14"));
}

TEST(BPageItem, WritesTheFirstMatrixAsAnArrayOfSixDoubles) {
    auto item = std::make_shared<BPageItem>();
    item->AppendMatrix(kMatrix);
    item->AppendMatrix(kOtherMatrix);
    const std::string array = "04 57 FF 00 00 00 2C 07 08 04 3F F0 00 00 00 00 00 00 00 04 00 04 "
                              "08 04 3F F0 00 00 00 00 00 00 08 04 40 24 00 00 00 00 00 00 "
                              "08 04 40 34 00 00 00 00 00 00";
    EXPECT_EQ(itemBytes(item), recordHeader("00 8C", 29 + 52) + " 04 56 01 02 14 " + array +
                                   " 04 58 08 04 3F F0 00 00 00 00 00 00"
                                   " 04 59 08 04 3F F0 00 00 00 00 00 00");
}

TEST(BPlacedGraphic, CopiesAllButTheUnsharedValuesFilesAndLastFlagAndOnlyTheFirstMatrix) {
    auto source = std::make_shared<BPlacedGraphic>();
    source->page = 3;
    source->analysisFlags = {true, true};
    source->analysisValues = {4, 5};
    source->unsharedValues = {8, 9};
    source->options[7] = true;
    source->AppendMatrix(kMatrix);
    source->AppendMatrix(kOtherMatrix);
    source->scale1 = 0.5;
    source->measures = {1.5, 2.5};
    source->AddProblem(keystr::Transparency);
    source->moreFlags[2] = true;
    source->analysisWord = 1LL << 40;
    source->flags = 12;
    source->hasProfileFile = true;
    source->profileFile.assign("Z:/tmp/a.icc");
    source->secondFile.assign("Z:/tmp/b");
    source->isBitmap = true;
    source->fileType = kPlacedFileTIFF;
    source->flag1562 = true;
    source->SetLinkPath("Z:/links/photo.tif");
    source->graphicMeasures = {1, 2};
    source->graphicFlag = true;
    source->graphicValues = {3, 4};
    source->colorSpaceCode = 3;
    source->moreGraphicValues = {5, 6};
    source->lastFlag = true;

    auto target = std::make_shared<BPlacedGraphic>();
    target->AppendMatrix(kOtherMatrix);
    *target = *source;
    EXPECT_EQ(itemBytes(target), itemBytes(source)) << "every written field";
    EXPECT_EQ(target->page, 3);
    EXPECT_EQ(target->analysisFlags, source->analysisFlags);
    EXPECT_EQ(target->analysisValues, source->analysisValues);
    EXPECT_EQ(target->unsharedValues, (std::array<std::int32_t, 2>{-1, -1}));
    EXPECT_EQ(target->options, source->options);
    EXPECT_EQ(target->GetMatrixCount(), 1);
    EXPECT_EQ(target->measures, source->measures);
    EXPECT_EQ(target->moreFlags, source->moreFlags);
    EXPECT_EQ(target->analysisWord, source->analysisWord);
    EXPECT_EQ(target->graphicMeasures, source->graphicMeasures);
    EXPECT_TRUE(target->graphicFlag);
    EXPECT_EQ(target->graphicValues, source->graphicValues);
    EXPECT_EQ(target->colorSpaceCode, 3u);
    EXPECT_EQ(target->moreGraphicValues, source->moreGraphicValues);
    EXPECT_FALSE(target->hasProfileFile);
    EXPECT_EQ(target->profileFile.path(), "");
    EXPECT_EQ(target->secondFile.path(), "");
    EXPECT_FALSE(target->lastFlag);

    const BPlacedGraphic constructed(*source);
    EXPECT_EQ(constructed.linkPath, "Z:/links/photo.tif");
    EXPECT_EQ(constructed.unsharedValues[0], -1);
    EXPECT_FALSE(constructed.hasProfileFile);
    const BPlacedGraphic& self = *target;
    *target = self;
    EXPECT_EQ(target->GetMatrix(0)[4], 10.0) << "self-assignment keeps the matrix";
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
    EXPECT_EQ(itemBytes(graphic), recordHeader("00 8C", 29 + 12) + " " + plainFields("D2") +
                                      " 06 18 00 01 06 1A 00 01 06 1C 00 02");
    graphic->isBitmap = true;
    graphic->flags = 0x0102;
    graphic->SetLinkPath("a.pdf");
    graphic->fileType = kPlacedFilePDF;
    graphic->hasProfileFile = true;
    graphic->profileFile.assign("Z:/nonexistent-zep-folder/p.icc");
    const std::string fields = "06 18 01 01 01 06 1A 00 01 06 1C 02 02 01 02 "
                               "06 22 05 05 61 2E 70 64 66 06 19 03 05 50 44 46";
    EXPECT_EQ(itemBytes(graphic),
              recordHeader("00 8C", 29 + 31) + " " + plainFields("D2") + " " + fields);
}

TEST(BPlacedGraphic, WritesTheProfileFileOnlyWhenFlaggedAndAnExistingFile) {
    TempFolder folder;
    folder.write("p.icc", "x");
    const ustring file(("Z:" + folder.at("p.icc")).c_str());
    BPageItemList list;
    auto graphic = std::make_shared<BPlacedGraphic>();
    list.Append(graphic);
    const auto written = [&] {
        KeyStreamReader reader(writePage(list, 0));
        reader.in.enter_record(140);
        ustring path;
        reader.in.select_key(570).read_string(path);
        return path;
    };
    graphic->profileFile.assign(file);
    EXPECT_EQ(written(), "") << "flag clear";
    graphic->hasProfileFile = true;
    EXPECT_EQ(written(), file);
    graphic->profileFile.assign(("Z:" + folder.root()).c_str());
    EXPECT_EQ(written(), "") << "a folder is no file";
}

TEST(BPageItemList, WritesOnlyTheItemsOfThePageInListOrder) {
    BPageItemList list;
    const auto add = [&](std::shared_ptr<BPageItem> item, int page) {
        item->page = page;
        list.Append(std::move(item));
    };
    add(std::make_shared<BTextRunItem>(), 1);
    add(std::make_shared<BPageItem>(), 2);
    list.Append(nullptr);
    add(std::make_shared<BPageItem>(), 1);
    EXPECT_EQ(hex(afterHead(writePage(list, 1))),
              recordHeader("00 8C", 58) + " " + plainFields("0A") + " " + plainFields("14"));
    EXPECT_EQ(hex(afterHead(writePage(list, 3))), recordHeader("00 8C", 0));
}
