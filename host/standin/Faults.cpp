#include "host/standin/Faults.h"

#include <tuple>

namespace host {

namespace {
int g_ownAccess = 0;
} // namespace

HostOwnAccess::HostOwnAccess() {
    ++g_ownAccess;
}

HostOwnAccess::~HostOwnAccess() {
    --g_ownAccess;
}

bool HostOwnAccess::Active() {
    return g_ownAccess > 0;
}

bool Faults::IsHiddenNow(ClassID cls, PMIID iid) const {
    return !HostOwnAccess::Active() && m_hidden.contains({cls, iid});
}

bool Faults::CanMake(ClassID cls, PMIID iid) {
    Touch({InjectionPoint::Kind::MadeObject, cls, iid});
    return !IsHidden(cls, iid);
}

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

bool Faults::FileStreamOpenFails(const std::u16string& path) {
    Touch({InjectionPoint::Kind::FileStream, {}, {}, path, m_fileStreamOpenings++});
    if (!m_fileStreamsPassing)
        return false;
    if (*m_fileStreamsPassing > 0) {
        --*m_fileStreamsPassing;
        return false;
    }
    return true;
}

void Faults::StartRecording() {
    m_recording = true;
    m_points.clear();
    m_touched.clear();
    m_fileStreamOpenings = 0;
    m_processed.clear();
}

std::vector<InjectionPoint> Faults::StopRecording() {
    m_recording = false;
    m_touched.clear();
    return std::move(m_points);
}

void Faults::Touch(InjectionPoint point) {
    if (!m_recording || HostOwnAccess::Active())
        return;
    if (point.kind == InjectionPoint::Kind::ProcessCommand)
        point.index = m_processed[point.cls]++;
    InjectionPoint key = point;
    if (key.kind == InjectionPoint::Kind::FileStream)
        key.index = 0; // a path is one point, whichever opening reached it first
    if (key.kind == InjectionPoint::Kind::MadeObject)
        key.kind = InjectionPoint::Kind::Interface;
    if (m_touched.insert(key).second)
        m_points.push_back(std::move(point));
}

namespace {
auto Fields(const InjectionPoint& p) {
    return std::tie(p.kind, p.cls, p.iid, p.path, p.index);
}
} // namespace

bool InjectionPoint::operator==(const InjectionPoint& other) const {
    return Fields(*this) == Fields(other);
}

bool InjectionPoint::operator<(const InjectionPoint& other) const {
    return Fields(*this) < Fields(other);
}

} // namespace host
