// The selection of the active context: its selection manager, the concrete selections it is made
// of and the suites they offer.
//
// Callers reach the selection manager through the selection utilities and ask it for an
// abstract suite (an interface that plug-ins add to the selection manager's class). The abstract
// suite asks the manager's integrator target for the concrete suites of the same interface that
// the current selection offers, and lets them do the work. The stand-in has two concrete
// selections: the layout selection (page items of the front document), whose boss carries the
// layout target, and the text selection, which has none. At most one of them is active at a time,
// and only while the document it was made in is the front document.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/IPMUnknown.h"

#include <vector>

// The items of the layout selection (interface 0x17F, on the layout selection's boss).
class ILayoutTarget : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x17F};

    // The selected page items that still exist, in the order they were selected; an empty list
    // of no database when the layout selection is not the current one. The two options are the
    // host's filters of the list (callers pass 1 and 0); the stand-in's selection holds only
    // plain page items, which every option keeps.
    virtual UIDList GetUIDList(int listOption, int itemOption) const = 0;
};

// The selection manager's access to the concrete suites (interface 0x19E).
class IIntegratorTarget : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x19E};

    // The concrete suites of the current selection that implement `iid`, each as interface `iid`
    // with a new reference, in the order of the concrete selections: layout, then text (the
    // stand-in's selection is of one kind at a time, so the list holds at most one suite).
    virtual std::vector<InterfacePtr<IPMUnknown>> GetTarget(PMIID iid) const = 0;
};

// The selection manager of a context (interface 0x182). Its boss carries the integrator target
// and the abstract suites; callers ask it for a suite with QueryInterface.
class ISelectionManager : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x182};
};

class IHierarchy;

// The selection manager's suite for page items of the layout: the selection test and the
// operations that select and deselect page items of the front document. Selecting is no change
// of the document: no command journals it, and no rollback or undo restores it.
class ILayoutSelectionSuite : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF03010};

    // Selects the items (the two options are the host's; callers pass 0 and 0). Items of
    // another database than the front document's select nothing.
    virtual void SelectItems(const UIDList& items, int option1, int option2) = 0; // 4th
    // Deselects everything, then selects the items that lie directly on the spread (a group as
    // one item), back to front.
    virtual void SelectSpreadItems(const IHierarchy* spread, int option1, int option2) = 0;
    virtual void DeselectAll() = 0;
    // True when no page item is selected.
    virtual bool IsSelectionEmpty() const = 0; // 13th
};

// The host's selection utilities (utility interface 0x16103).
class ISelectionUtils : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x16103};

    // The selection manager of the active context (no new reference); it lives as long as the
    // session. Null only when the host cannot make one.
    virtual ISelectionManager* GetActiveSelection() const = 0; // 4th
    // The manager's layout selection suite with a new reference; null when no document is
    // open (there is no layout to select in) or the manager has no such suite.
    virtual ILayoutSelectionSuite*
    QueryLayoutSelectionSuite(const ISelectionManager* manager) const = 0; // 12th
    // The same for the active selection manager.
    virtual ILayoutSelectionSuite* QueryActiveLayoutSelectionSuite() const = 0; // 13th
};

// Classes of the selection: plug-ins add their abstract suites to the manager's class and their
// concrete suites to the class of the selection they serve.
inline constexpr ClassID kSelectionManagerBoss{0xF02000};
inline constexpr ClassID kLayoutSelectionBoss{0xF02001};
inline constexpr ClassID kTextSelectionBoss{0xF02002};
