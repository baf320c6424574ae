#include "host/Progress.h"

#include "host/Document.h"
#include "host/ObjectModel.h"
#include "host/Recorder.h"

#include <string>

namespace host {

namespace {

constexpr ImplementationID kProgressDisplayImpl{0xF01021};

class ProgressDisplay final : public CPMUnknown<IProgressDisplay> {
public:
    using CPMUnknown<IProgressDisplay>::CPMUnknown;

    void SetSubText(const PMString& text, bool now, int bar) override {
        Record("sub", text, now, bar);
    }
    void SetTaskText(const PMString& text, bool now, int bar) override {
        Record("task", text, now, bar);
    }

private:
    static void Record(const char* which, const PMString& text, bool now, int bar) {
        Recorder::Instance().Record(Channel::Progress,
                                    std::string(which) + (now ? " true " : " false ") +
                                        std::to_string(bar) + " " + text.GetUTF8String());
    }
};

} // namespace

void RegisterProgressClasses() {
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kProgressDisplayImpl,
                                 ImplementationFunctionsOf<ProgressDisplay>());
    model.AddToClass(kApplicationBoss, {{IProgressDisplay::kDefaultIID, kProgressDisplayImpl}});
}

} // namespace host
