// The preflight job model's fixed vocabulary: check identifiers, setting names, setting paths and
// the keys of tickets, check settings and setting definitions, one process-wide ustring each.
#pragma once

#include "utils/ustring.h"

// The one table of the texts. Each X(identifier, text) is the constant keystr::identifier
// holding exactly `text`. The identifier is the text itself, with "/" written as "_", the
// marker "%1" as "_1", and "operator" (a C++ keyword) as "operator_". Each group is in byte
// order of its texts. Comparisons with the constants are byte-exact and case-sensitive.
//
// Some texts are misspelt on purpose ("PlacedGraphicHasOveriddenProfile",
// "PDFForICCHasEncrypedComments", "TACCouldntRenderPage"), and "Color"/"Colour",
// "Gray"/"Grey" stand as the tickets and the analysis spell them: they are identifiers that
// stored tickets and page items carry, not prose.

// Check identifiers (300): the checks a ticket may configure and the analysis may record.
#define ZEP_CHECK_IDENTIFIERS(X)                                                                   \
    X(Actions, "Actions")                                                                          \
    X(AlternatePresentations, "AlternatePresentations")                                            \
    X(AmbiguousSpotName, "AmbiguousSpotName")                                                      \
    X(Annotations, "Annotations")                                                                  \
    X(ArtBoxDetected, "ArtBoxDetected")                                                            \
    X(Base14FontNotEmbedded, "Base14FontNotEmbedded")                                              \
    X(BitmapFontUsedInLayout, "BitmapFontUsedInLayout")                                            \
    X(BlackGenerationSet, "BlackGenerationSet")                                                    \
    X(BlackNotUsed, "BlackNotUsed")                                                                \
    X(BlackTextKnockout, "BlackTextKnockout")                                                      \
    X(BlackUsed, "BlackUsed")                                                                      \
    X(BlackVectorKnockout, "BlackVectorKnockout")                                                  \
    X(BleedBoxDetected, "BleedBoxDetected")                                                        \
    X(BlendModeTransparencyAppliedToObject, "BlendModeTransparencyAppliedToObject")                \
    X(CIDFontUsedInLayout, "CIDFontUsedInLayout")                                                  \
    X(CIDType0FontUsed, "CIDType0FontUsed")                                                        \
    X(CIDType2FontUsed, "CIDType2FontUsed")                                                        \
    X(CMYKBlackUsedInGrayscale, "CMYKBlackUsedInGrayscale")                                        \
    X(CalGrayColourSpaceUsed, "CalGrayColourSpaceUsed")                                            \
    X(CalRGBColourSpaceUsed, "CalRGBColourSpaceUsed")                                              \
    X(CanSendIncompleteDetails, "CanSendIncompleteDetails")                                        \
    X(CanSendNoDestination, "CanSendNoDestination")                                                \
    X(CheckPrinterMarksWarning, "CheckPrinterMarksWarning")                                        \
    X(ColorNotSpotAs, "ColorNotSpotAs")                                                            \
    X(ColourNotUsed, "ColourNotUsed")                                                              \
    X(ColourUsed, "ColourUsed")                                                                    \
    X(CompressedMetaDataDetected, "CompressedMetaDataDetected")                                    \
    X(ContainsASCIICompression, "ContainsASCIICompression")                                        \
    X(ContainsEmptyPages, "ContainsEmptyPages")                                                    \
    X(ContainsJBIG2Compression, "ContainsJBIG2Compression")                                        \
    X(ContainsJPEG2000Compression, "ContainsJPEG2000Compression")                                  \
    X(ContainsLZWCompression, "ContainsLZWCompression")                                            \
    X(ContainsRawStreams, "ContainsRawStreams")                                                    \
    X(CourierUsed, "CourierUsed")                                                                  \
    X(CropBoxDetected, "CropBoxDetected")                                                          \
    X(CropBoxIncorrect, "CropBoxIncorrect")                                                        \
    X(CustomProfileSpecified, "CustomProfileSpecified")                                            \
    X(CustomScreen, "CustomScreen")                                                                \
    X(CustomTransfer, "CustomTransfer")                                                            \
    X(DCSGraphicHasMissingPlates, "DCSGraphicHasMissingPlates")                                    \
    X(DCSGraphicInNonDCS, "DCSGraphicInNonDCS")                                                    \
    X(DCSGraphicInPDF, "DCSGraphicInPDF")                                                          \
    X(DestinationProfileCorrupt, "DestinationProfileCorrupt")                                      \
    X(DestinationProfileNotFound, "DestinationProfileNotFound")                                    \
    X(DestinationSettingsConflict, "DestinationSettingsConflict")                                  \
    X(DeviceCMYKImageWithNoOutputIntent, "DeviceCMYKImageWithNoOutputIntent")                      \
    X(DeviceCMYKUsedInGrayscale, "DeviceCMYKUsedInGrayscale")                                      \
    X(DeviceCMYKVectorWithNoOutputIntent, "DeviceCMYKVectorWithNoOutputIntent")                    \
    X(DeviceGrayUsedInCMYKJobs, "DeviceGrayUsedInCMYKJobs")                                        \
    X(DeviceGrayWithNoOutputIntent, "DeviceGrayWithNoOutputIntent")                                \
    X(DeviceNColourSpaceUsed, "DeviceNColourSpaceUsed")                                            \
    X(DeviceRGBColourSpaceUsed, "DeviceRGBColourSpaceUsed")                                        \
    X(DoesNotMatchStandard, "DoesNotMatchStandard")                                                \
    X(DoublePageSpread, "DoublePageSpread")                                                        \
    X(DropShadowTransparencyAppliedToObject, "DropShadowTransparencyAppliedToObject")              \
    X(EmbeddedFiles, "EmbeddedFiles")                                                              \
    X(EmbeddedPostScript, "EmbeddedPostScript")                                                    \
    X(EmptyBleedArea, "EmptyBleedArea")                                                            \
    X(EmptyCreator, "EmptyCreator")                                                                \
    X(EmptyProducer, "EmptyProducer")                                                              \
    X(FeatherTransparencyAppliedToObject, "FeatherTransparencyAppliedToObject")                    \
    X(FixesRequired, "FixesRequired")                                                              \
    X(FloatLR, "FloatLR")                                                                          \
    X(FloatTB, "FloatTB")                                                                          \
    X(FontAddedForPrinterMarks, "FontAddedForPrinterMarks")                                        \
    X(FontNotEmbedded, "FontNotEmbedded")                                                          \
    X(FontNotSubset, "FontNotSubset")                                                              \
    X(FontStatusFauxed, "FontStatusFauxed")                                                        \
    X(FontStatusNotAvailable, "FontStatusNotAvailable")                                            \
    X(FontStatusSubstituted, "FontStatusSubstituted")                                              \
    X(FontSubset, "FontSubset")                                                                    \
    X(FontWidthsArrayNotInSync, "FontWidthsArrayNotInSync")                                        \
    X(FormFields, "FormFields")                                                                    \
    X(GWG2005InvalidAnnotations, "GWG2005InvalidAnnotations")                                      \
    X(GreyTextOverprint, "GreyTextOverprint")                                                      \
    X(GreyVectorOverprint, "GreyVectorOverprint")                                                  \
    X(Hairline, "Hairline")                                                                        \
    X(HalftonePhaseSet, "HalftonePhaseSet")                                                        \
    X(HasUnequalPageSizes, "HasUnequalPageSizes")                                                  \
    X(ICCBasedCMYKImage, "ICCBasedCMYKImage")                                                      \
    X(ICCBasedCMYKVector, "ICCBasedCMYKVector")                                                    \
    X(ICCBasedGrayUsed, "ICCBasedGrayUsed")                                                        \
    X(ICCBasedRGBUsed, "ICCBasedRGBUsed")                                                          \
    X(IllegalFilename, "IllegalFilename")                                                          \
    X(ImageCMYK16Bits, "ImageCMYK16Bits")                                                          \
    X(ImageColorNotSpotAs, "ImageColorNotSpotAs")                                                  \
    X(ImageGray16Bits, "ImageGray16Bits")                                                          \
    X(ImageGrayOverprint, "ImageGrayOverprint")                                                    \
    X(ImageJPEGEncoded, "ImageJPEGEncoded")                                                        \
    X(ImageLABLowBits, "ImageLABLowBits")                                                          \
    X(ImageNonPropScaled, "ImageNonPropScaled")                                                    \
    X(ImageNotJPEGEncoded, "ImageNotJPEGEncoded")                                                  \
    X(ImageRotated, "ImageRotated")                                                                \
    X(ImageSkewed, "ImageSkewed")                                                                  \
    X(ImageWithMask, "ImageWithMask")                                                              \
    X(IncorrectBleedBox, "IncorrectBleedBox")                                                      \
    X(IncorrectTrimBox, "IncorrectTrimBox")                                                        \
    X(IndexedColourSpaceUsed, "IndexedColourSpaceUsed")                                            \
    X(InkWeightShadow, "InkWeightShadow")                                                          \
    X(InkWeightTAC, "InkWeightTAC")                                                                \
    X(InvalidXMP, "InvalidXMP")                                                                    \
    X(JavaScripts, "JavaScripts")                                                                  \
    X(JobEnlargedH, "JobEnlargedH")                                                                \
    X(JobEnlargedV, "JobEnlargedV")                                                                \
    X(JobReducedH, "JobReducedH")                                                                  \
    X(JobReducedV, "JobReducedV")                                                                  \
    X(LabColourSpaceUsed, "LabColourSpaceUsed")                                                    \
    X(LayersInPDF, "LayersInPDF")                                                                  \
    X(LightTextOverprint, "LightTextOverprint")                                                    \
    X(LightVectorOverprint, "LightVectorOverprint")                                                \
    X(LocalOutputProfileCorrupt, "LocalOutputProfileCorrupt")                                      \
    X(LocalOutputProfileNotFound, "LocalOutputProfileNotFound")                                    \
    X(LogFileCreated, "LogFileCreated")                                                            \
    X(LowInkComposite, "LowInkComposite")                                                          \
    X(LowInkEachPlate, "LowInkEachPlate")                                                          \
    X(MMType1FontUsed, "MMType1FontUsed")                                                          \
    X(MatchesStandard, "MatchesStandard")                                                          \
    X(MaxBlackOnText, "MaxBlackOnText")                                                            \
    X(MaxBlackOnVector, "MaxBlackOnVector")                                                        \
    X(MaxFlatness, "MaxFlatness")                                                                  \
    X(MaxNonBlackPlates, "MaxNonBlackPlates")                                                      \
    X(MaxPlates, "MaxPlates")                                                                      \
    X(MaxSpotsUsed, "MaxSpotsUsed")                                                                \
    X(MediaLargerThanRequired, "MediaLargerThanRequired")                                          \
    X(MediaSmallerThanRequired, "MediaSmallerThanRequired")                                        \
    X(MediaTooSmall, "MediaTooSmall")                                                              \
    X(MetaDataDetected, "MetaDataDetected")                                                        \
    X(MinFlatness, "MinFlatness")                                                                  \
    X(MinNonBlackPlates, "MinNonBlackPlates")                                                      \
    X(MinPlates, "MinPlates")                                                                      \
    X(MinSpotsUsed, "MinSpotsUsed")                                                                \
    X(MinTextSizeFor1PlateKnockout, "MinTextSizeFor1PlateKnockout")                                \
    X(MinTextSizeFor2PlateKnockout, "MinTextSizeFor2PlateKnockout")                                \
    X(MinTextSizeForWhiteKnockout, "MinTextSizeForWhiteKnockout")                                  \
    X(MissingBleedBox, "MissingBleedBox")                                                          \
    X(MissingPSFontError, "MissingPSFontError")                                                    \
    X(MissingTrailerID, "MissingTrailerID")                                                        \
    X(MissingTrimBox, "MissingTrimBox")                                                            \
    X(MonitorCalibration, "MonitorCalibration")                                                    \
    X(NChannelDeviceNColourSpaceUsed, "NChannelDeviceNColourSpaceUsed")                            \
    X(NeedsSoftProof, "NeedsSoftProof")                                                            \
    X(NoDestination, "NoDestination")                                                              \
    X(NoFontsOrVectorUsed, "NoFontsOrVectorUsed")                                                  \
    X(NoPDFCreated, "NoPDFCreated")                                                                \
    X(NoWorries, "NoWorries")                                                                      \
    X(NonStandardTransparencyEffectAppliedToObject,                                                \
      "NonStandardTransparencyEffectAppliedToObject")                                              \
    X(NonSubsettedCIDFontUsed, "NonSubsettedCIDFontUsed")                                          \
    X(OPIDetected, "OPIDetected")                                                                  \
    X(ObjectLevelCompression, "ObjectLevelCompression")                                            \
    X(ObjectsOffPage, "ObjectsOffPage")                                                            \
    X(OpacityTransparencyAppliedToObject, "OpacityTransparencyAppliedToObject")                    \
    X(OpenTypeCFFFontUsedInLayout, "OpenTypeCFFFontUsedInLayout")                                  \
    X(OpenTypeCIDFontUsedInLayout, "OpenTypeCIDFontUsedInLayout")                                  \
    X(OpenTypeFontUsed, "OpenTypeFontUsed")                                                        \
    X(OpenTypeTrueTypeFontUsedInLayout, "OpenTypeTrueTypeFontUsedInLayout")                        \
    X(OrvaleICCMustBeUsedToHardProof, "OrvaleICCMustBeUsedToHardProof")                            \
    X(OrvaleICCMustBeUsedToHardProofVerified, "OrvaleICCMustBeUsedToHardProofVerified")            \
    X(OrvaleICCMustBeUsedToProof, "OrvaleICCMustBeUsedToProof")                                    \
    X(OutOfPrintArea, "OutOfPrintArea")                                                            \
    X(OverprintModeSetToOne, "OverprintModeSetToOne")                                              \
    X(OverprintModeSetToZero, "OverprintModeSetToZero")                                            \
    X(PDFCreationDateAbsent, "PDFCreationDateAbsent")                                              \
    X(PDFFileSize, "PDFFileSize")                                                                  \
    X(PDFForICCHasEncrypedComments, "PDFForICCHasEncrypedComments")                                \
    X(PDFHasSecurity, "PDFHasSecurity")                                                            \
    X(PDFLibFailed, "PDFLibFailed")                                                                \
    X(PDFLibRequiredPassword, "PDFLibRequiredPassword")                                            \
    X(PDFModificationDateAbsent, "PDFModificationDateAbsent")                                      \
    X(PDFMultiPage, "PDFMultiPage")                                                                \
    X(PDFNotTrapped, "PDFNotTrapped")                                                              \
    X(PDFRotated, "PDFRotated")                                                                    \
    X(PDFTitleAbsent, "PDFTitleAbsent")                                                            \
    X(PDFTrapped, "PDFTrapped")                                                                    \
    X(PDFTrappingDefined, "PDFTrappingDefined")                                                    \
    X(PDFTrappingNotDefined, "PDFTrappingNotDefined")                                              \
    X(PDFVersionTooHigh, "PDFVersionTooHigh")                                                      \
    X(PDFVersionTooLow, "PDFVersionTooLow")                                                        \
    X(PDFWriter, "PDFWriter")                                                                      \
    X(PDFXOutputIntentDoesNotMatchCustomProfile, "PDFXOutputIntentDoesNotMatchCustomProfile")      \
    X(PDFXOutputIntentIsNotICCBased, "PDFXOutputIntentIsNotICCBased")                              \
    X(PDFXOutputIntentIsNotSpecified, "PDFXOutputIntentIsNotSpecified")                            \
    X(PDFXOutputIntentIsSpecified, "PDFXOutputIntentIsSpecified")                                  \
    X(PDFXOutputIntentNotRecommendedICCProfile, "PDFXOutputIntentNotRecommendedICCProfile")        \
    X(PDFXVersionKeyDoesNotMatch, "PDFXVersionKeyDoesNotMatch")                                    \
    X(PDFXVersionKeyMatches, "PDFXVersionKeyMatches")                                              \
    X(PageScalingSpecified, "PageScalingSpecified")                                                \
    X(PatternColourSpaceUsed, "PatternColourSpaceUsed")                                            \
    X(PlacedCMYKGraphicDoesNotHaveAProfile, "PlacedCMYKGraphicDoesNotHaveAProfile")                \
    X(PlacedCMYKGraphicProfileDoesNotMatchCustom, "PlacedCMYKGraphicProfileDoesNotMatchCustom")    \
    X(PlacedCMYKGraphicProfileMatchesCustom, "PlacedCMYKGraphicProfileMatchesCustom")              \
    X(PlacedCMYKPhotoshopEPSDoesNotHavePSCM, "PlacedCMYKPhotoshopEPSDoesNotHavePSCM")              \
    X(PlacedCMYKPhotoshopEPSHasPSCM, "PlacedCMYKPhotoshopEPSHasPSCM")                              \
    X(PlacedGraphicContainsSpots, "PlacedGraphicContainsSpots")                                    \
    X(PlacedGraphicFormatIsUnsupported, "PlacedGraphicFormatIsUnsupported")                        \
    X(PlacedGraphicHasOveriddenProfile, "PlacedGraphicHasOveriddenProfile")                        \
    X(PlacedGraphicIsBMPFormat, "PlacedGraphicIsBMPFormat")                                        \
    X(PlacedGraphicIsCMYK, "PlacedGraphicIsCMYK")                                                  \
    X(PlacedGraphicIsDCS1Format, "PlacedGraphicIsDCS1Format")                                      \
    X(PlacedGraphicIsDCS2MultiFormat, "PlacedGraphicIsDCS2MultiFormat")                            \
    X(PlacedGraphicIsDCS2SingleFormat, "PlacedGraphicIsDCS2SingleFormat")                          \
    X(PlacedGraphicIsGenericEPSFormat, "PlacedGraphicIsGenericEPSFormat")                          \
    X(PlacedGraphicIsGenericPDFFormat, "PlacedGraphicIsGenericPDFFormat")                          \
    X(PlacedGraphicIsGrayscale, "PlacedGraphicIsGrayscale")                                        \
    X(PlacedGraphicIsJPEGCompressed, "PlacedGraphicIsJPEGCompressed")                              \
    X(PlacedGraphicIsJPEGFormat, "PlacedGraphicIsJPEGFormat")                                      \
    X(PlacedGraphicIsLab, "PlacedGraphicIsLab")                                                    \
    X(PlacedGraphicIsPhotoshopEPSFormat, "PlacedGraphicIsPhotoshopEPSFormat")                      \
    X(PlacedGraphicIsPhotoshopNativeFormat, "PlacedGraphicIsPhotoshopNativeFormat")                \
    X(PlacedGraphicIsRGB, "PlacedGraphicIsRGB")                                                    \
    X(PlacedGraphicIsTIFFFormat, "PlacedGraphicIsTIFFFormat")                                      \
    X(PlacedGraphicMissing, "PlacedGraphicMissing")                                                \
    X(PlacedGrayPhotoshopEPSDoesNotHavePSCM, "PlacedGrayPhotoshopEPSDoesNotHavePSCM")              \
    X(PlacedGrayPhotoshopEPSHasPSCM, "PlacedGrayPhotoshopEPSHasPSCM")                              \
    X(PlacedGrayscaleGraphicDoesNotHaveAProfile, "PlacedGrayscaleGraphicDoesNotHaveAProfile")      \
    X(PlacedImageResTooHighBitmap, "PlacedImageResTooHighBitmap")                                  \
    X(PlacedImageResTooHighContone, "PlacedImageResTooHighContone")                                \
    X(PlacedImageResTooLowBitmap, "PlacedImageResTooLowBitmap")                                    \
    X(PlacedImageResTooLowContone, "PlacedImageResTooLowContone")                                  \
    X(PlacedPDFHasTransparentElements, "PlacedPDFHasTransparentElements")                          \
    X(PlacedRGBGraphicDoesNotHaveAProfile, "PlacedRGBGraphicDoesNotHaveAProfile")                  \
    X(PlacedRGBPhotoshopEPSDoesNotHavePSCM, "PlacedRGBPhotoshopEPSDoesNotHavePSCM")                \
    X(PlacedRGBPhotoshopEPSHasPSCM, "PlacedRGBPhotoshopEPSHasPSCM")                                \
    X(PreReleaseWarning, "PreReleaseWarning")                                                      \
    X(PreSeparatedPages, "PreSeparatedPages")                                                      \
    X(PrinterMarksDetected, "PrinterMarksDetected")                                                \
    X(PrinterMarksNotSet, "PrinterMarksNotSet")                                                    \
    X(PrintingAlternates, "PrintingAlternates")                                                    \
    X(PrintoutSuppressed, "PrintoutSuppressed")                                                    \
    X(ProductionDatePassedDEFUNCT, "ProductionDatePassedDEFUNCT")                                  \
    X(ProfileNotSpecified, "ProfileNotSpecified")                                                  \
    X(ProfileNotSuitableForProofing, "ProfileNotSuitableForProofing")                              \
    X(ProfileSuitableForProofing, "ProfileSuitableForProofing")                                    \
    X(QCImageExpiredError, "QCImageExpiredError")                                                  \
    X(ReferenceXObjects, "ReferenceXObjects")                                                      \
    X(RegistrationUsed, "RegistrationUsed")                                                        \
    X(RenderingIntentPresent, "RenderingIntentPresent")                                            \
    X(ResTooHighBitmap, "ResTooHighBitmap")                                                        \
    X(ResTooHighContone, "ResTooHighContone")                                                      \
    X(ResTooLowBitmap, "ResTooLowBitmap")                                                          \
    X(ResTooLowContone, "ResTooLowContone")                                                        \
    X(ResTooLowImageSizeLimit, "ResTooLowImageSizeLimit")                                          \
    X(RichBlackDetected, "RichBlackDetected")                                                      \
    X(RunDatePassed, "RunDatePassed")                                                              \
    X(ScreenedLineTooSmall, "ScreenedLineTooSmall")                                                \
    X(ScreenedTextTooSmall, "ScreenedTextTooSmall")                                                \
    X(SeparatedLineTooSmall, "SeparatedLineTooSmall")                                              \
    X(SeparatedTextTooSmall, "SeparatedTextTooSmall")                                              \
    X(SeparationImagesCustom, "SeparationImagesCustom")                                            \
    X(ShadingUsed, "ShadingUsed")                                                                  \
    X(SilentProfileCorrupt, "SilentProfileCorrupt")                                                \
    X(SilentProfileNotFound, "SilentProfileNotFound")                                              \
    X(SoftMaskUsedOnImage, "SoftMaskUsedOnImage")                                                  \
    X(SolidLineTooSmall, "SolidLineTooSmall")                                                      \
    X(SolidTextTooSmall, "SolidTextTooSmall")                                                      \
    X(SpotAlternateNotDevice, "SpotAlternateNotDevice")                                            \
    X(SpotNoneUsed, "SpotNoneUsed")                                                                \
    X(SpotWithSameAlternateDiffName, "SpotWithSameAlternateDiffName")                              \
    X(SpotWithSameNameDiffAlternate, "SpotWithSameNameDiffAlternate")                              \
    X(StreamsReferringToExternalFiles, "StreamsReferringToExternalFiles")                          \
    X(StrokedText, "StrokedText")                                                                  \
    X(TACCouldntRenderPage, "TACCouldntRenderPage")                                                \
    X(TTFontLicensingError, "TTFontLicensingError")                                                \
    X(TarnwellDisclaimer, "TarnwellDisclaimer")                                                    \
    X(TextBoxOverflowed, "TextBoxOverflowed")                                                      \
    X(TextInkWeight, "TextInkWeight")                                                              \
    X(TextNonPropScaled, "TextNonPropScaled")                                                      \
    X(TextUseUndefinedGlyph, "TextUseUndefinedGlyph")                                              \
    X(TooManyImages, "TooManyImages")                                                              \
    X(TooManyPointsOnPath, "TooManyPointsOnPath")                                                  \
    X(Transparency, "Transparency")                                                                \
    X(TransparencyAppliedToObject, "TransparencyAppliedToObject")                                  \
    X(TransparencyAppliedToTextFrame, "TransparencyAppliedToTextFrame")                            \
    X(TransparencyBlendSpaceSetToCMYK, "TransparencyBlendSpaceSetToCMYK")                          \
    X(TransparencyBlendSpaceSetToRGB, "TransparencyBlendSpaceSetToRGB")                            \
    X(TransparencyFlattenerWillCauseTextToBeConvertedToOutlines,                                   \
      "TransparencyFlattenerWillCauseTextToBeConvertedToOutlines")                                 \
    X(TransparencyOnPageButIsDisabledOnPage, "TransparencyOnPageButIsDisabledOnPage")              \
    X(TransparencyOnPageFlattenedUsingGlobalFlattener,                                             \
      "TransparencyOnPageFlattenedUsingGlobalFlattener")                                           \
    X(TransparencyOnPageFlattenedUsingSpreadFlattener,                                             \
      "TransparencyOnPageFlattenedUsingSpreadFlattener")                                           \
    X(TransparentObjectsOverlapTextFrame, "TransparentObjectsOverlapTextFrame")                    \
    X(TrimBoxDetected, "TrimBoxDetected")                                                          \
    X(TrueTypeFontUsed, "TrueTypeFontUsed")                                                        \
    X(TrueTypeFontUsedInLayout, "TrueTypeFontUsedInLayout")                                        \
    X(Type1FontUsed, "Type1FontUsed")                                                              \
    X(Type1FontUsedInLayout, "Type1FontUsedInLayout")                                              \
    X(Type3BitmapFontUsed, "Type3BitmapFontUsed")                                                  \
    X(Type3FontUsed, "Type3FontUsed")                                                              \
    X(TypeAreaSpecified, "TypeAreaSpecified")                                                      \
    X(TypeAreaWarning, "TypeAreaWarning")                                                          \
    X(UnderColourRemovalSet, "UnderColourRemovalSet")                                              \
    X(UnexpectedBleedWarning, "UnexpectedBleedWarning")                                            \
    X(UnknownFontTypeUsed, "UnknownFontTypeUsed")                                                  \
    X(UnknownFontTypeUsedInLayout, "UnknownFontTypeUsedInLayout")                                  \
    X(UnknownObjects, "UnknownObjects")                                                            \
    X(UsesRGBBlendingColourspace, "UsesRGBBlendingColourspace")                                    \
    X(ViewerPreferences, "ViewerPreferences")                                                      \
    X(WhiteTextOverprint, "WhiteTextOverprint")                                                    \
    X(WhiteVectorOverprint, "WhiteVectorOverprint")                                                \
    X(WorkingSpaceProfileCorrupt, "WorkingSpaceProfileCorrupt")                                    \
    X(WorkingSpaceProfileNotFound, "WorkingSpaceProfileNotFound")                                  \
    X(WrongPluginVersion, "WrongPluginVersion")

// Setting names (23): checks that steer the export and colour handling.
#define ZEP_SETTING_NAMES(X)                                                                       \
    X(Setting_BitmapDownsample, "Setting_BitmapDownsample")                                        \
    X(Setting_ContoneDownsample, "Setting_ContoneDownsample")                                      \
    X(Setting_ControlStrip, "Setting_ControlStrip")                                                \
    X(Setting_ConversionOfPureVectorColors, "Setting_ConversionOfPureVectorColors")                \
    X(Setting_ConversionRenderingIntent, "Setting_ConversionRenderingIntent")                      \
    X(Setting_DownsampleMethodBitmap, "Setting_DownsampleMethodBitmap")                            \
    X(Setting_DownsampleMethodContone, "Setting_DownsampleMethodContone")                          \
    X(Setting_GrayscaleProfile, "Setting_GrayscaleProfile")                                        \
    X(Setting_LayoutColorMismatchPolicy, "Setting_LayoutColorMismatchPolicy")                      \
    X(Setting_LayoutColorSpacePolicy, "Setting_LayoutColorSpacePolicy")                            \
    X(Setting_LocalOutputProfiles, "Setting_LocalOutputProfiles")                                  \
    X(Setting_MaxScalingAllowed, "Setting_MaxScalingAllowed")                                      \
    X(Setting_MinimumBleed, "Setting_MinimumBleed")                                                \
    X(Setting_OptimumBleed, "Setting_OptimumBleed")                                                \
    X(Setting_OverrideDestinationProfiles, "Setting_OverrideDestinationProfiles")                  \
    X(Setting_PDFVersion, "Setting_PDFVersion")                                                    \
    X(Setting_PDFXVersion, "Setting_PDFXVersion")                                                  \
    X(Setting_PrinterMarks, "Setting_PrinterMarks")                                                \
    X(Setting_ProcessProfile, "Setting_ProcessProfile")                                            \
    X(Setting_Standard, "Setting_Standard")                                                        \
    X(Setting_TACSampleSize, "Setting_TACSampleSize")                                              \
    X(Setting_TrimSize, "Setting_TrimSize")                                                        \
    X(Setting_WorkingSpaceProfiles, "Setting_WorkingSpaceProfiles")

// Setting-parameter keys and setting paths (11); the paths end in "/" or hold the marker "%1" that
// ustring::arg completes with a level number.
#define ZEP_SETTING_PATHS(X)                                                                       \
    X(P, "P")                                                                                      \
    X(PDFLevel_PDF_1, "PDFLevel/PDF%1")                                                            \
    X(PDFX_, "PDFX/")                                                                              \
    X(PV, "PV")                                                                                    \
    X(Standards_, "Standards/")                                                                    \
    X(Style_HiFi, "Style/HiFi")                                                                    \
    X(Style_Mono, "Style/Mono")                                                                    \
    X(Style_MultiSpot, "Style/MultiSpot")                                                          \
    X(Style_Process, "Style/Process")                                                              \
    X(Style_Spot, "Style/Spot")                                                                    \
    X(Style_SpotAsProcess, "Style/SpotAsProcess")

// Keys of tickets, check settings and setting definitions (89).
#define ZEP_LOWER_CASE_KEYS(X)                                                                     \
    X(active, "active")                                                                            \
    X(all, "all")                                                                                  \
    X(always_fix, "always_fix")                                                                    \
    X(assoc, "assoc")                                                                              \
    X(bleed, "bleed")                                                                              \
    X(boolean, "boolean")                                                                          \
    X(checks, "checks")                                                                            \
    X(colour, "colour")                                                                            \
    X(colourMakeup, "colourMakeup")                                                                \
    X(colourName, "colourName")                                                                    \
    X(colours, "colours")                                                                          \
    X(colourspace, "colourspace")                                                                  \
    X(colourspaces, "colourspaces")                                                                \
    X(columns, "columns")                                                                          \
    X(combiningParameterLow, "combiningParameterLow")                                              \
    X(country, "country")                                                                          \
    X(defaults, "defaults")                                                                        \
    X(depth, "depth")                                                                              \
    X(desc, "desc")                                                                                \
    X(destination, "destination")                                                                  \
    X(destinations, "destinations")                                                                \
    X(dynamic, "dynamic")                                                                          \
    X(exported, "exported")                                                                        \
    X(fault, "fault")                                                                              \
    X(fix, "fix")                                                                                  \
    X(fixable, "fixable")                                                                          \
    X(font, "font")                                                                                \
    X(fonts, "fonts")                                                                              \
    X(format, "format")                                                                            \
    X(hifi, "hifi")                                                                                \
    X(id, "id")                                                                                    \
    X(identifier, "identifier")                                                                    \
    X(ignore, "ignore")                                                                            \
    X(img, "img")                                                                                  \
    X(info, "info")                                                                                \
    X(limitsHigh, "limitsHigh")                                                                    \
    X(limitsLow, "limitsLow")                                                                      \
    X(local, "local")                                                                              \
    X(m, "m")                                                                                      \
    X(min_sev, "min_sev")                                                                          \
    X(mlkey, "mlkey")                                                                              \
    X(mono, "mono")                                                                                \
    X(multiTextHeader, "multiTextHeader")                                                          \
    X(multiTextItem, "multiTextItem")                                                              \
    X(multispot, "multispot")                                                                      \
    X(namedSize, "namedSize")                                                                      \
    X(note, "note")                                                                                \
    X(notset, "notset")                                                                            \
    X(operator_, "operator")                                                                       \
    X(page, "page")                                                                                \
    X(pageItem, "pageItem")                                                                        \
    X(pageItems, "pageItems")                                                                      \
    X(parameter, "parameter")                                                                      \
    X(parameterNotSet, "parameterNotSet")                                                          \
    X(precision, "precision")                                                                      \
    X(printerMarkOffset, "printerMarkOffset")                                                      \
    X(printerMarkSize, "printerMarkSize")                                                          \
    X(problems, "problems")                                                                        \
    X(process, "process")                                                                          \
    X(psformat, "psformat")                                                                        \
    X(publication, "publication")                                                                  \
    X(publisher, "publisher")                                                                      \
    X(qcs, "qcs")                                                                                  \
    X(required, "required")                                                                        \
    X(requires2DPSFiles, "requires2DPSFiles")                                                      \
    X(restrictions, "restrictions")                                                                \
    X(ro, "ro")                                                                                    \
    X(section, "section")                                                                          \
    X(sev, "sev")                                                                                  \
    X(shared, "shared")                                                                            \
    X(singleText, "singleText")                                                                    \
    X(spot, "spot")                                                                                \
    X(spot_as_process, "spot_as_process")                                                          \
    X(standards_type, "standards_type")                                                            \
    X(stringParameter, "stringParameter")                                                          \
    X(structure, "structure")                                                                      \
    X(style, "style")                                                                              \
    X(sub, "sub")                                                                                  \
    X(title, "title")                                                                              \
    X(txt, "txt")                                                                                  \
    X(type, "type")                                                                                \
    X(typeIndent, "typeIndent")                                                                    \
    X(userFields, "userFields")                                                                    \
    X(userUnits, "userUnits")                                                                      \
    X(v, "v")                                                                                      \
    X(value, "value")                                                                              \
    X(vec, "vec")                                                                                  \
    X(warn, "warn")                                                                                \
    X(width, "width")
// All 423 texts, group after group.
#define ZEP_KEY_STRINGS(X)                                                                         \
    ZEP_CHECK_IDENTIFIERS(X) ZEP_SETTING_NAMES(X) ZEP_SETTING_PATHS(X) ZEP_LOWER_CASE_KEYS(X)

namespace keystr {

#define ZEP_DECLARE_KEY_STRING(identifier, text) extern const ustring& identifier;
ZEP_KEY_STRINGS(ZEP_DECLARE_KEY_STRING)
#undef ZEP_DECLARE_KEY_STRING

// The empty name of the check-setting code: names are compared with it and cleared to it.
extern const ustring& emptyName;

namespace detail {

// Builds every constant before the first static initialiser of any file that includes this
// header runs, and destroys them after the last such file's statics are gone (the "nifty
// counter" of the standard streams): each including file holds one of these objects ahead of
// its own statics. The constants themselves are references bound at compile time to storage
// that this counter fills, so no file ever sees a reference that is not yet bound.
class Lifetime {
public:
    Lifetime();
    ~Lifetime();
    Lifetime(const Lifetime&) = delete;
    Lifetime& operator=(const Lifetime&) = delete;
};

} // namespace detail
} // namespace keystr

static const keystr::detail::Lifetime keyStringsLifetime;
