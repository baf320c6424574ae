#include "host/standin/Progress.h"

#include "host/standin/Document.h"
#include "host/standin/ObjectModel.h"
#include "host/standin/Recorder.h"

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

RangeProgressBar::RangeProgressBar(const PMString& title, std::int32_t min, std::int32_t max,
                                   bool first, bool second, IPMUnknown* controlData,
                                   std::int32_t option, Callback callback) {
    const auto flag = [](bool value) { return value ? " true" : " false"; };
    const auto given = [](bool set) { return set ? " set" : " none"; };
    host::Recorder::Instance().Record(
        host::Channel::Progress, "bar begin \"" + title.GetUTF8String() + "\" " +
                                     std::to_string(min) + " " + std::to_string(max) + flag(first) +
                                     flag(second) + given(controlData != nullptr) + " " +
                                     std::to_string(option) + given(callback != nullptr));
}

RangeProgressBar::~RangeProgressBar() {
    host::Recorder::Instance().Record(host::Channel::Progress, "bar end");
}

void RangeProgressBar::SetPosition(std::int32_t value) {
    host::Recorder::Instance().Record(host::Channel::Progress, "bar " + std::to_string(value));
}
