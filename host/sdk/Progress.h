// The application's progress display (interface 0x17D): the texts shown while a long task runs,
// and the range progress bar. The stand-in records every text it is given on
// host::Channel::Progress.
#pragma once

#include "host/sdk/IPMUnknown.h"
#include "host/sdk/PMString.h"

#include <cstdint>

class IProgressDisplay : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x17D};

    // The secondary text under the task text. `now` shows it at once; `bar` is the bar it
    // belongs to, -1 the current one. Recorded as "sub <now> <bar> <text>".
    virtual void SetSubText(const PMString& text, bool now, int bar) = 0;
    // The main text of the task. Recorded as "task <now> <bar> <text>".
    virtual void SetTaskText(const PMString& text, bool now, int bar) = 0;

    // The current bar is the innermost RangeProgressBar alive. Its range; false (and nothing
    // set) when no bar is shown.
    virtual bool GetCurrentRange(std::int32_t& min, std::int32_t& max) const = 0;
    // Its position; false (and nothing set) when no bar is shown.
    virtual bool GetCurrentPosition(std::int32_t& position) const = 0;
    // Sets its position, as RangeProgressBar::SetPosition does; nothing when no bar is shown.
    virtual void SetCurrentPosition(std::int32_t position) = 0;
};

// A progress bar over a range of values, shown while the object lives. The stand-in records it
// on Channel::Progress: "bar begin \"<title>\" <min> <max> <first> <second> <control data>
// <option> <callback>" when it is made (control data and callback as "none" or "set"),
// "bar <value>" per SetPosition and "bar end" when it goes. The bar takes the position it is given,
// within its range or not; it starts at its minimum.
class RangeProgressBar {
public:
    using Callback = void (*)(std::int32_t value);

    RangeProgressBar(const PMString& title, std::int32_t min, std::int32_t max, bool first,
                     bool second, IPMUnknown* controlData, std::int32_t option, Callback callback);
    ~RangeProgressBar();
    RangeProgressBar(const RangeProgressBar&) = delete;
    RangeProgressBar& operator=(const RangeProgressBar&) = delete;

    void SetPosition(std::int32_t value);
    std::int32_t GetPosition() const { return m_position; }
    std::int32_t GetMinimum() const { return m_min; }
    std::int32_t GetMaximum() const { return m_max; }

private:
    std::int32_t m_min;
    std::int32_t m_max;
    std::int32_t m_position;
};
