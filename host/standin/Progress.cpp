#include "host/standin/Progress.h"

#include "host/standin/Document.h"
#include "host/standin/ObjectModel.h"
#include "host/standin/Recorder.h"

#include <algorithm>
#include <string>
#include <vector>

namespace host {

namespace {

// The bars alive, the innermost (the current one) last.
std::vector<RangeProgressBar*>& LivingBars() {
    static std::vector<RangeProgressBar*> bars;
    return bars;
}

RangeProgressBar* CurrentBar() {
    return LivingBars().empty() ? nullptr : LivingBars().back();
}

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

    bool GetCurrentRange(std::int32_t& min, std::int32_t& max) const override {
        const RangeProgressBar* bar = CurrentBar();
        if (!bar)
            return false;
        min = bar->GetMinimum();
        max = bar->GetMaximum();
        return true;
    }
    bool GetCurrentPosition(std::int32_t& position) const override {
        const RangeProgressBar* bar = CurrentBar();
        if (!bar)
            return false;
        position = bar->GetPosition();
        return true;
    }
    void SetCurrentPosition(std::int32_t position) override {
        if (RangeProgressBar* bar = CurrentBar())
            bar->SetPosition(position);
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
                                   std::int32_t option, Callback callback)
    : m_min(min), m_max(max), m_position(min) {
    const auto flag = [](bool value) { return value ? " true" : " false"; };
    const auto given = [](bool set) { return set ? " set" : " none"; };
    host::Recorder::Instance().Record(
        host::Channel::Progress, "bar begin \"" + title.GetUTF8String() + "\" " +
                                     std::to_string(min) + " " + std::to_string(max) + flag(first) +
                                     flag(second) + given(controlData != nullptr) + " " +
                                     std::to_string(option) + given(callback != nullptr));
    host::LivingBars().push_back(this);
}

RangeProgressBar::~RangeProgressBar() {
    auto& bars = host::LivingBars();
    bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
    host::Recorder::Instance().Record(host::Channel::Progress, "bar end");
}

void RangeProgressBar::SetPosition(std::int32_t value) {
    m_position = value;
    host::Recorder::Instance().Record(host::Channel::Progress, "bar " + std::to_string(value));
}
