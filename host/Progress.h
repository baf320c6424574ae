// The application's progress display (interface 0x17D): the texts shown while a long task runs.
// The stand-in records every text it is given on host::Channel::Progress.
#pragma once

#include "host/IPMUnknown.h"
#include "host/PMString.h"

class IProgressDisplay : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0x17D};

    // The secondary text under the task text. `now` shows it at once; `bar` is the bar it
    // belongs to, -1 the current one. Recorded as "sub <now> <bar> <text>".
    virtual void SetSubText(const PMString& text, bool now, int bar) = 0;
    // The main text of the task. Recorded as "task <now> <bar> <text>".
    virtual void SetTaskText(const PMString& text, bool now, int bar) = 0;
};

namespace host {

// Registers the progress display on the application's class (part of host::Reset).
void RegisterProgressClasses();

} // namespace host
