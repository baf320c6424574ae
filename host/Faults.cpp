#include "host/Faults.h"

namespace host {

Faults& Faults::Instance() {
    static Faults faults;
    return faults;
}

std::optional<ErrorCode> Faults::ProcessCommandFailure(ClassID cls) {
    auto found = m_failingCommands.find(cls);
    if (found == m_failingCommands.end())
        return std::nullopt;
    if (found->second.passing > 0) {
        --found->second.passing;
        return std::nullopt;
    }
    return found->second.code;
}

} // namespace host
