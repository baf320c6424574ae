#include "host/sdk/PlugIn.h"

#include "host/sdk/Errors.h"
#include "host/standin/Faults.h"

bool PlugIn::Load(ISession* /*session*/) {
    if (auto failure = host::Faults::Instance().PluginLoadFailure()) {
        ErrorUtils::PMSetGlobalErrorCode(*failure);
        return false;
    }
    return true;
}

void PlugIn::RegisterImplementations(IObjectModel* objectModel) const {
    for (const ImplementationRegistration* record = m_head; record; record = record->next)
        objectModel->RegisterImplementation(m_id, record->id, record->functions);
}
