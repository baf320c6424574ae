#include "Analysis/ZEPPageItemInfo.h"

#include "Analysis/ZEPAnalysisRun.h"
#include "Plugin/CZEPException.h"
#include "host/sdk/Document.h"
#include "host/sdk/Fonts.h"
#include "host/sdk/Layout.h"
#include "host/sdk/PlacedGraphics.h"
#include "host/sdk/Text.h"
#include "model/BJobFile.h"
#include "model/KeyStrings.h"

#include <string>

void ZEPPageItemInfo::Reset() {
    m_record.reset();
    m_otherUID = kInvalidUID;
    m_embeddedImageUID = kInvalidUID;
    m_textItem = m_transparencyRecorded = m_transparencyOnObject = m_softMask = m_feather =
        m_dropShadow = m_blendMode = m_opacity = m_placedPDFTransparency = m_textFrameTransparency =
            m_colorComponentsFailed = m_blendSpaceRGB = m_blendSpaceCMYK = m_globalFlattener =
                m_spreadFlattener = m_transparencyDisabledOnPage =
                    m_transparentObjectsOverlapTextFrame = m_printoutSuppressed = false;
    m_colorSummary.options = {0, 1, 0};
}

void ZEPPageItemInfo::Init(IPMUnknown*, IPMUnknown* item, const PMRect& pageBounds,
                           ZEPAnalysisRun& run, std::int32_t page, bool isReferenceItem) {
    // The run is held for the analyses of this call only, also when one throws.
    struct HeldRun {
        ZEPAnalysisRun*& held;
        ~HeldRun() { held = nullptr; }
    };
    m_run = &run;
    const HeldRun holding{m_run};
    SetItem(item, page, isReferenceItem);
    m_pageBounds = pageBounds;
    m_pageNumber = run.GetJob().GetAbsoluteRuns().GetPosition(page);
    m_placedImagesFolder = run.GetPlacedImagesFolder();
    m_fontSummary.SetEnabled(true);
    Analyse(item);
    // Text runs found without a record (the text of a table's cells in a frame that is no text
    // item) get a plain record of their own, so that they follow their own item in the page-item
    // file, and the item gets its matrix and the colour tags of its table.
    if (!m_record && m_textRuns && !m_textRuns->empty())
        m_record = std::make_unique<BPageItem>();
    AnalyseGeometry(item, pageBounds);
    ColorSpaceFlagsToTags();
    if (m_record)
        m_record->page = static_cast<std::int32_t>(m_pageNumber);
}

void ZEPPageItemInfo::SetItem(IPMUnknown* item, std::int32_t, bool) {
    Reset();
    m_itemRef = GetUIDRef(item);
    if (!m_itemRef.GetDataBase() || m_itemRef.GetUID() == kInvalidUID)
        ThrowZEPException("!(mPageItemRef)", 0x52E1F);
    m_itemClass = m_itemRef.GetDataBase()->GetClass(m_itemRef.GetUID());
}

void ZEPPageItemInfo::InitWithoutAnalysis(IPMUnknown* item, const PMRect& pageBounds,
                                          const BJobFile& job, std::int32_t page) {
    SetItem(item, page, false);
    m_record = std::make_unique<BPageItem>();
    AnalyseGeometry(item, pageBounds);
    // The spread transparency analysis reads the page number of the page's own record here.
    m_pageNumber = job.GetAbsoluteRuns().GetPosition(page);
    m_record->page = static_cast<std::int32_t>(m_pageNumber);
}

void ZEPPageItemInfo::ColorSpaceFlagsToTags() {
    if (!m_record)
        return;
    const std::pair<bool, const ustring&> tags[] = {
        {m_colorSummary.rgb, keystr::PlacedGraphicIsRGB},
        {m_colorSummary.grayscale, keystr::PlacedGraphicIsGrayscale},
        {m_colorSummary.cmyk, keystr::PlacedGraphicIsCMYK},
        {m_colorSummary.lab, keystr::PlacedGraphicIsLab},
        {m_colorSummary.spots, keystr::PlacedGraphicContainsSpots},
    };
    for (const auto& [set, tag] : tags)
        if (set)
            m_record->AddProblem(tag);
}

void ZEPPageItemInfo::BoolHook5(bool) {}

void ZEPPageItemInfo::BoolHook6(bool) {}

void ZEPPageItemInfo::Analyse(IPMUnknown* item) {
    AnalyseTextOverflow(item);
    if (!m_textItem) {
        AnalysePlacedFileFormat(item);
        AnalyseLinkInfo(item);
        ClassifyByImageData(item);
        ClassifyByImageObject(item);
        ClassifyByGraphicClass(item);
        ClassifyByPDFData(item);
        AnalyseColorProfile(item);
        AnalyseDocumentInks(item);
        AnalyseFonts(item);
    }
    AnalyseColors(item);
    AnalyseTable(item);
    AnalyseTransparencyEffects(item);
    AnalyseNonPrinting(item);
    AnalyseColorComponents(item);
}

void ZEPPageItemInfo::OnVisibleText(IPMUnknown*) {}

BPageItem& ZEPPageItemInfo::Record() {
    if (!m_record)
        m_record = std::make_unique<BPageItem>();
    return *m_record;
}

IPMUnknown* ZEPPageItemInfo::Utils(PMIID iid, InterfacePtr<IPMUnknown>& own) const {
    if (m_run)
        return m_run->GetUtils(iid);
    own.reset(UtilsBoss::QueryUtils(iid));
    return own.get();
}

void ZEPPageItemInfo::RecordTag(bool& flag, const ustring& tag,
                                const std::function<void()>& extra) {
    if (flag)
        return;
    Record().AddProblem(tag);
    if (extra)
        extra();
    flag = true;
}

void ZEPPageItemInfo::SetTextFrameTransparency(bool willBeOutlined) {
    const ustring& tag = m_transparencyOnObject ? keystr::TransparencyAppliedToTextFrame
                         : willBeOutlined
                             ? keystr::TransparencyFlattenerWillCauseTextToBeConvertedToOutlines
                             : keystr::TransparentObjectsOverlapTextFrame;
    RecordTag(m_textFrameTransparency, tag);
}

void ZEPPageItemInfo::SetSoftMaskUsedOnImage() {
    RecordTag(m_softMask, keystr::SoftMaskUsedOnImage);
}

void ZEPPageItemInfo::SetFeatherTransparency() {
    RecordTag(m_feather, keystr::FeatherTransparencyAppliedToObject, [this] {
        m_transparencyRecorded = true;
        m_transparencyOnObject = true;
    });
}

void ZEPPageItemInfo::SetDropShadowTransparency() {
    RecordTag(m_dropShadow, keystr::DropShadowTransparencyAppliedToObject,
              [this] { SetTransparencyAppliedToObject(); });
}

void ZEPPageItemInfo::SetBlendModeTransparency() {
    RecordTag(m_blendMode, keystr::BlendModeTransparencyAppliedToObject, [this] {
        SetTransparencyAppliedToObject();
        m_transparencyOnObject = true;
    });
}

void ZEPPageItemInfo::SetOpacityTransparency() {
    RecordTag(m_opacity, keystr::OpacityTransparencyAppliedToObject, [this] {
        SetTransparencyAppliedToObject();
        m_transparencyOnObject = true;
    });
}

void ZEPPageItemInfo::SetTransparencyAppliedToObject() {
    RecordTag(m_transparencyRecorded, keystr::TransparencyAppliedToObject, [this] {
        m_transparencyOnObject = true;
        if (m_textItem)
            m_record->AddProblem(keystr::TransparencyAppliedToTextFrame);
    });
}

void ZEPPageItemInfo::SetPlacedPDFHasTransparency() {
    if (!m_record)
        m_record = std::make_unique<BPlacedGraphic>();
    RecordTag(m_placedPDFTransparency, keystr::PlacedPDFHasTransparentElements, [this] {
        SetTransparencyAppliedToObject();
        m_transparencyOnObject = true;
    });
}

void ZEPPageItemInfo::SetBlendSpaceRGB() {
    RecordTag(m_blendSpaceRGB, keystr::TransparencyBlendSpaceSetToRGB);
}

void ZEPPageItemInfo::SetBlendSpaceCMYK() {
    RecordTag(m_blendSpaceCMYK, keystr::TransparencyBlendSpaceSetToCMYK);
}

void ZEPPageItemInfo::SetFlattenedByGlobalFlattener() {
    RecordTag(m_globalFlattener, keystr::TransparencyOnPageFlattenedUsingGlobalFlattener);
}

void ZEPPageItemInfo::SetFlattenedBySpreadFlattener() {
    RecordTag(m_spreadFlattener, keystr::TransparencyOnPageFlattenedUsingSpreadFlattener);
}

void ZEPPageItemInfo::SetTransparencyDisabledOnPage() {
    RecordTag(m_transparencyDisabledOnPage, keystr::TransparencyOnPageButIsDisabledOnPage);
}

void ZEPPageItemInfo::SetTransparentObjectsOverlapTextFrame() {
    RecordTag(m_transparentObjectsOverlapTextFrame, keystr::TransparentObjectsOverlapTextFrame);
}

void ZEPPageItemInfo::SetPrintoutSuppressed() {
    RecordTag(m_printoutSuppressed, keystr::PrintoutSuppressed);
}

void ZEPPageItemInfo::CreateRecord(IPMUnknown* item) {
    m_record.reset();
    InterfacePtr<ITextFrameColumn> column(item, UseDefaultIID{});
    InterfacePtr<IMultiColumnTextFrame> multiColumn(item, UseDefaultIID{});
    if ((column && column->TextSpan() > 1) || (multiColumn && multiColumn->TextSpan() > 1)) {
        m_textItem = true;
        m_record = std::make_unique<BPageItem>();
        return;
    }
    const bool placed = InterfacePtr<IImageAttributes>(item, UseDefaultIID{}) ||
                        InterfacePtr<IEPSContent>(item, UseDefaultIID{}) ||
                        InterfacePtr<IImageObject>(item, UseDefaultIID{}) ||
                        InterfacePtr<IPlacedPDF>(item, UseDefaultIID{});
    if (placed)
        m_record = std::make_unique<BPlacedGraphic>();
    else
        m_record = std::make_unique<BPageItem>();
}

void ZEPPageItemInfo::AnalyseGeometry(IPMUnknown* item, const PMRect& pageBounds) {
    InterfacePtr<IGeometry> theGeometry(item, UseDefaultIID{});
    ThrowIfNull(theGeometry, "theGeometry");
    const PMMatrix toPasteboard = InnerToPasteboardMatrix(theGeometry.get());
    m_innerBounds = theGeometry->GetBoundingBox();
    // A matrix that neither rotates nor skews maps the inner box onto the box of the mapped item,
    // which the host is asked for under any other.
    m_pasteboardBounds = toPasteboard[1] == 0 && toPasteboard[2] == 0
                             ? toPasteboard.TransformBounds(m_innerBounds)
                             : theGeometry->GetBoundingBox(toPasteboard);
    if (!m_record)
        return;
    PMMatrix matrix;
    matrix.Scale(m_innerBounds.Width(), -m_innerBounds.Height());
    matrix.Translate(m_innerBounds.Left(), m_innerBounds.Bottom());
    matrix.PostConcat(toPasteboard);
    matrix.Translate(-pageBounds.Left(), -pageBounds.Top());
    matrix.Scale(1, -1);
    matrix.Translate(0, pageBounds.Height());
    const BPageItem::Matrix values{matrix[0], matrix[1], matrix[2],
                                   matrix[3], matrix[4], matrix[5]};
    m_record->SetMatrix(values.data());
}

void ZEPPageItemInfo::AnalyseFonts(IPMUnknown* item) {
    InterfacePtr<IUsedFontList> fonts(item, UseDefaultIID{});
    if (!fonts)
        return;
    for (const PMString& font : fonts->GetFontNames())
        FindMissingFont(font, m_fontSummary);
    // The second list changes nothing the analysis records.
    for ([[maybe_unused]] const PMString& font : fonts->GetMissingFontNames()) {
    }
}

const UFileSpecCore& ZEPPageItemInfo::GetPlacedImagesFolder() const {
    static const UFileSpecCore kNone;
    return m_placedImagesFolder ? *m_placedImagesFolder : kNone;
}

std::unique_ptr<BPageItem> ZEPPageItemInfo::ReleasePageItem() {
    return std::move(m_record);
}

std::unique_ptr<BPageItemList> ZEPPageItemInfo::ReleaseTextRuns() {
    return std::move(m_textRuns);
}

BPlacedGraphic* ZEPPageItemInfo::GetPlacedGraphic() {
    if (!m_record)
        m_record = std::make_unique<BPlacedGraphic>();
    return dynamic_cast<BPlacedGraphic*>(m_record.get());
}

ustring PMStringToUTF8(const PMString& text) {
    const std::string utf8 = text.GetUTF8String();
    return ustring(utf8.c_str());
}
