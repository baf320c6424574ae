// Every identifier of the plug-in's own: the plug-in ID 0x52E00 plus one low byte. Implementation
// IDs, class IDs, interface IDs, action IDs and error codes share the number space, so one
// number may have several meanings (0x52E06 is an action and an interface).
#pragma once

#include "host/sdk/Ids.h"

#include <cstdint>

inline constexpr PluginID kZEPPluginID{0x52E00};
// Another plug-in, whose presence moves the menus under "Tarnwell" (the menu filter asks for it).
inline constexpr PluginID kZEPCompanionMenuPluginID{0x52E80};

// Interfaces.
inline constexpr PMIID IID_IZEPJOBLIST{0x52E06};
inline constexpr PMIID IID_IZEPSELECTIONJOBSUITE{0x52E07};
inline constexpr PMIID IID_IZEPPLUGINPREFSDATA{0x52E08};

// Boss classes.
inline constexpr ClassID kZEPJobBoss{0x52E15}; // transient job of a script call
inline constexpr ClassID kZEPSaveDetailsCmdBoss{0x52E16};
inline constexpr ClassID kZEPRefreshLayersPanelCmdBoss{0x52E17};
inline constexpr ClassID kZEPInvalidateCmdBoss{0x52E1A};
inline constexpr ClassID kZEPSetPluginPrefsCmdBoss{0x52E1B};
// The bosses of the plug-in's services; their classes are the plug-in's resources' choice.
inline constexpr ClassID kZEPErrorStringServiceBoss{0x52E10};
inline constexpr ClassID kZEPScriptProviderBoss{0x52E11};
inline constexpr ClassID kZEPMenuFilterBoss{0x52E12};
inline constexpr ClassID kZEPActionComponentBoss{0x52E13};

// Implementations, as registered.
inline constexpr ImplementationID kZEPErrorStringServiceImpl{0x52E18};
inline constexpr ImplementationID kZEPActionComponentImpl{0x52E1F};
inline constexpr ImplementationID kZEPJobListImpl{0x52E20};
inline constexpr ImplementationID kZEPSaveDetailsCmdImpl{0x52E21};
inline constexpr ImplementationID kZEPScriptProviderImpl{0x52E22};
inline constexpr ImplementationID kZEPRefreshLayersPanelCmdImpl{0x52E23};
inline constexpr ImplementationID kZEPInvalidateCmdImpl{0x52E26};
inline constexpr ImplementationID kZEPSelectionJobASBImpl{0x52E27};
inline constexpr ImplementationID kZEPSelectionJobLayoutCSBImpl{0x52E28};
inline constexpr ImplementationID kZEPPluginPrefsDataImpl{0x52E29};
inline constexpr ImplementationID kZEPSetPluginPrefsCmdDataImpl{0x52E2A};
inline constexpr ImplementationID kZEPSetPluginPrefsCmdImpl{0x52E2B};
inline constexpr ImplementationID kZEPMenuFilterImpl{0x52E2D};

// The menu actions, 0x52E03 to 0x52E0D (0x52E04, 0x52E07 and 0x52E08 do nothing; what 0x52E09
// is for is not settled).
inline constexpr ActionID kZEPFirstActionID{0x52E03};
inline constexpr ActionID kZEPLastActionID{0x52E0D};
inline constexpr std::uint32_t kZEPAboutAction = 0x52E03;
inline constexpr std::uint32_t kZEPDetailsAction = 0x52E05;
inline constexpr std::uint32_t kZEPAdjustAction = 0x52E06;
inline constexpr std::uint32_t kZEPUnsettledAction = 0x52E09;
inline constexpr std::uint32_t kZEPAboutAction2 = 0x52E0A;
inline constexpr std::uint32_t kZEPSelectionBasedExportsAction = 0x52E0B;
inline constexpr std::uint32_t kZEPCommonSizingAction = 0x52E0C;
inline constexpr std::uint32_t kZEPJobListAction = 0x52E0D;

// Error codes (the host's ErrorCode values of the plug-in's range).
inline constexpr std::uint32_t kZEPUtilityErrorBase = 0x52E0A; // + the code of a 'UTIL' error
inline constexpr std::uint32_t kZEPFileWriteError = 0x52E0A;
inline constexpr std::uint32_t kZEPMissingObjectError = 0x52E1E;   // "(expr) == NULL"
inline constexpr std::uint32_t kZEPFailedConditionError = 0x52E1F; // the condition as text
inline constexpr std::uint32_t kZEPNoDestinationError = 0x52E29;
inline constexpr std::uint32_t kZEPBleedTooLargeError = 0x52E2B;
inline constexpr std::uint32_t kZEPProfileDiffersError = 0x52E31;
inline constexpr std::uint32_t kZEPProfileNotInstalledError = 0x52E32;
inline constexpr std::uint32_t kZEPProfileReadError = 0x52E34;
inline constexpr std::uint32_t kZEPProfileNoDescriptionError = 0x52E35;
inline constexpr std::uint32_t kZEPNoSelectionSuiteError = 0x52E36;
inline constexpr std::uint32_t kZEPWorkingSpaceProfileError = 0x52E38;
// The destination identifiers of a 'DisT' call cannot be read.
inline constexpr std::uint32_t kZEPDestinationSetError = 0x52E3A;
// The companion application was not told of an export, so its marks are not stored.
inline constexpr std::uint32_t kZEPExportNotReportedError = 0x52E3B;
// A page run of the job lies outside the document (or holds no page).
inline constexpr std::uint32_t kZEPPageRunError = 0x52E3C;
// Two files of one export are one and the same file.
inline constexpr std::uint32_t kZEPSameFileError = 0x52E3D;
// A destination of the job's current group cannot be printed: its width or height is not above
// 0, or a bleed is below 0.
inline constexpr std::uint32_t kZEPUnprintableDestinationError = 0x52E40;
