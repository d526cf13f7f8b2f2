// Installs a fake in a host service slot for the lifetime of a test and puts back whatever
// was installed before.
#pragma once

#include "platform/host/ServiceSlot.h"

namespace testsupport {

template <class Service>
class ScopedService {
public:
    ScopedService(host::ServiceSlot<Service>& slot, Service& fake)
        : m_slot(slot), m_previous(slot.install(&fake))
    {
    }
    ~ScopedService() { m_slot.install(m_previous); }
    ScopedService(const ScopedService&) = delete;
    ScopedService& operator=(const ScopedService&) = delete;

private:
    host::ServiceSlot<Service>& m_slot;
    Service* m_previous;
};

}  // namespace testsupport
