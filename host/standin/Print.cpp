#include "host/standin/Print.h"

#include "host/standin/Command.h"
#include "host/standin/Document.h"
#include "host/standin/Recorder.h"

#include <string>

namespace host {

namespace {

constexpr ImplementationID kPrintDataImpl{0xF07100};
constexpr ImplementationID kTrapStyleListMgrImpl{0xF07102};
constexpr ImplementationID kPrintDialogCmdImpl{0xF07103};
constexpr ImplementationID kPrintDialogCmdDataImpl{0xF07104};

void RecordCopy(std::int32_t flag) {
    Recorder::Instance().Record(Channel::Calls, "CopyData " + std::to_string(flag));
}

// "<database> <uid>" of the object, for the record.
std::string Where(const UIDRef& ref) {
    const auto* db = dynamic_cast<const DataBase*>(ref.GetDataBase());
    return (db ? db->GetName() : std::string("-")) + " " + std::to_string(ref.GetUID().Get());
}

// A fresh print data, holding its own settings.
class PrintData final : public CPMUnknown<IPrintData> {
public:
    using CPMUnknown::CPMUnknown;
    PrintSettings GetSettings() const override { return m_settings; }
    void CopyData(const IPrintData* source, std::int32_t flag) override {
        RecordCopy(flag);
        m_settings = source->GetSettings();
    }

private:
    PrintSettings m_settings;
};

// A document's print data: a view of the document's print settings.
class DocumentPrintData final : public CPMUnknown<IPrintData> {
public:
    using CPMUnknown::CPMUnknown;
    PrintSettings GetSettings() const override {
        const Document* document = Owner();
        return document && document->print ? *document->print : PrintSettings();
    }
    void CopyData(const IPrintData* source, std::int32_t flag) override {
        RecordCopy(flag);
        if (Document* document = Owner())
            JournaledSet(document->print, std::optional(source->GetSettings()));
    }

private:
    Document* Owner() const { return DocumentOf(GetUIDRef(this).GetDataBase()); }
};

class TrapStyleListMgr final : public CPMUnknown<ITrapStyleListMgr> {
public:
    using CPMUnknown::CPMUnknown;
};

class PrintDialogCmdData final : public CPMUnknown<IPrintDialogCmdData> {
public:
    using CPMUnknown::CPMUnknown;
    void SetPrintData(IPrintData* data) override {
        const Boss* boss = Boss::Of(data);
        const PrintSettings settings = data->GetSettings();
        Record("SetPrintData " + Hex(boss ? boss->GetClass().Get() : 0) + " \"" + settings.printer +
               "\" " + std::to_string(settings.copies));
    }
    void SetInkList(IInkList* inks) override { Record("SetInkList " + Where(GetUIDRef(inks))); }
    void SetTrapStyleListMgr(ITrapStyleListMgr* trapStyles) override {
        Record("SetTrapStyleListMgr " + Where(GetUIDRef(trapStyles)));
    }
    void SetDocument(const UIDRef& document) override { Record("SetDocument " + Where(document)); }

private:
    static void Record(std::string entry) {
        Recorder::Instance().Record(Channel::Calls, std::move(entry));
    }
};

class PrintDialogCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Print"); }

protected:
    void Do() override {}
};

} // namespace

std::unique_ptr<IPMUnknown> NewPrintDataFacet(IPMUnknown* workspaceBoss) {
    return std::make_unique<DocumentPrintData>(workspaceBoss);
}

void RegisterPrintClasses() {
    ObjectModel& model = ObjectModel::Instance();
    const auto reg = [&model](ImplementationID id, const ImplementationFunctions& functions) {
        model.RegisterImplementation(PluginID{0}, id, functions);
    };
    reg(kPrintDataImpl, ImplementationFunctionsOf<PrintData>());
    reg(kTrapStyleListMgrImpl, ImplementationFunctionsOf<TrapStyleListMgr>());
    reg(kPrintDialogCmdImpl, ImplementationFunctionsOf<PrintDialogCmd>());
    reg(kPrintDialogCmdDataImpl, ImplementationFunctionsOf<PrintDialogCmdData>());
    model.AddToClass(kPrintDataBoss, {{IPrintData::kDefaultIID, kPrintDataImpl}});
    model.AddToClass(kDocWorkspaceBoss, {{ITrapStyleListMgr::kDefaultIID, kTrapStyleListMgrImpl}});
    model.AddToClass(kPrintDialogCmdBoss,
                     {{ICommand::kDefaultIID, kPrintDialogCmdImpl},
                      {IPrintDialogCmdData::kDefaultIID, kPrintDialogCmdDataImpl}});
}

} // namespace host
