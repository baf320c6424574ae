// The job-file modifiers: temporary document changes an export needs, each made as host commands
// inside the modifier's abortable sequence, so that destroying the modifier rolls them back.
//
// - ZEPExportSelectionHelper: the selection's spread becomes one group, the pages take the
//   selection's size and the group moves so that the selection's left-top corner lands on the
//   export page's.
// - ZEPExportCMSOnOffHelper: switches colour management on when it is off.
// - ZEPExportPaperHelper: the paper swatch becomes four zero components.
// - ZEPExportSpotToProcessHelper: the document's spot inks become process inks.
#pragma once

#include "Export/ZEPExportHelper.h"
#include "host/sdk/Command.h"
#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"

#include <optional>
#include <utility>

class ZEPExportSelectionHelper final : public ZEPExportJobFileModifier {
public:
    explicit ZEPExportSelectionHelper(ZEPExportJobFileHelper& owner);

    // Missing host objects throw 0x52E1E "(theLayoutSelectionSuite) == NULL",
    // "(theLayoutTarget) == NULL", "(theFirstItemHierarchy) == NULL" (also for an empty
    // selection), "(theSpreadHierarchy) == NULL", "(iSpread) == NULL", "(theWalker) == NULL",
    // "(mGroupCmd) == NULL", "(groupCmdData) == NULL", "(mDocSetupCmd) == NULL",
    // "(docSetupData) == NULL", "(iTransformUtils) == NULL"; no selection job suite 0x52E36; a
    // job bleed not below the selection's size 0x52E2B; a job without absolute pages 0x52E1F
    // "!(GetAbsoluteRuns().empty())"; failing commands and page bounds their code.
    void Modify() override;

    // The items selected when Modify started.
    const UIDList& GetSavedSelection() const { return m_savedSelection; }

private:
    // Puts back what aborting the sequence leaves: it aborts the sequence, then selects the saved
    // items again and restores the document's value pair (interface 0x549), which is set
    // directly. As the last member it runs first when the modifier goes, also when Modify throws
    // in the constructor, where the modifier's own destructor does not run.
    class Restorer {
    public:
        explicit Restorer(ZEPExportSelectionHelper& helper) : m_helper(helper) {}
        ~Restorer() { m_helper.Restore(); }
        Restorer(const Restorer&) = delete;
        Restorer& operator=(const Restorer&) = delete;

    private:
        ZEPExportSelectionHelper& m_helper;
    };

    void Restore() noexcept;

    UIDList m_savedSelection;
    bool m_selectionSaved = false;
    InterfacePtr<ICommand> m_groupCmd;
    InterfacePtr<ICommand> m_docSetupCmd;
    std::optional<std::pair<PMReal, PMReal>> m_savedValues;
    Restorer m_restorer{*this};
};

class ZEPExportCMSOnOffHelper final : public ZEPExportJobFileModifier {
public:
    explicit ZEPExportCMSOnOffHelper(ZEPExportJobFileHelper& owner);

    // With colour management on, nothing (and no sequence). Else the colour-presets command with
    // the current settings and colour management on. Missing host objects throw 0x52E1E
    // "(iColorSettingsUtils) == NULL", "(mTurnCMSOnOffCmd) == NULL",
    // "(theColorPresetsSettingsData) == NULL", "(theColorPresetsSettings) == NULL"; a failing
    // command its code.
    void Modify() override;
    // Colour management was off when Modify ran.
    bool IsSwitchNeeded() const { return m_switchNeeded; }

private:
    InterfacePtr<ICommand> m_turnCMSOnOffCmd;
    bool m_switchNeeded = false;
};

// Not made by the export run. With a paper swatch: the change-colour command gives it colour
// space 6 and four zero components. Missing host objects throw 0x52E1E "(GetDocument()) == NULL",
// "(swatchList) == NULL", "(mChangePaperColorCmd) == NULL", "(iNewColorData) == NULL",
// "(iColorOverrides) == NULL", "(iUIDData) == NULL"; a failing command its code.
class ZEPExportPaperHelper final : public ZEPExportJobFileModifier {
public:
    explicit ZEPExportPaperHelper(ZEPExportJobFileHelper& owner);
    void Modify() override;

private:
    InterfacePtr<ICommand> m_changePaperColorCmd;
};

// Not made by the export run. Every spot ink that is not converted to process already becomes
// one through the change-ink command: its first thirteen attributes as they are, converted to
// process and aliased to no ink. Missing host objects throw 0x52E1E "(iChangeInkCmd) == NULL",
// "(theCmdPMInkBossData) == NULL"; a failing command its code.
class ZEPExportSpotToProcessHelper final : public ZEPExportJobFileModifier {
public:
    explicit ZEPExportSpotToProcessHelper(ZEPExportJobFileHelper& owner);
    void Modify() override;
};

// Unlocks the locked layers of the front document, all but the first of its layer list, in one
// pass per spread; the lock command's result is not looked at.
void UnlockDocumentLayers();
