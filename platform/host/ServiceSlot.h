// One replaceable outside service (message boxes, dialogs, clipboard, printer, ...): the real
// implementation is made on first use; a test installs a fake for as long as it needs it.
#pragma once

#include <memory>

namespace host {

template <class Service>
class ServiceSlot {
public:
    using Factory = std::unique_ptr<Service> (*)();

    explicit ServiceSlot(Factory makeReal) : m_makeReal(makeReal) {}

    Service& get()
    {
        if (m_override)
            return *m_override;
        if (!m_real)
            m_real = m_makeReal();
        return *m_real;
    }

    // Installs a service that the caller owns; nullptr goes back to the real one.
    // Returns the previous override so that scoped installers can nest.
    Service* install(Service* replacement)
    {
        Service* previous = m_override;
        m_override = replacement;
        return previous;
    }

private:
    Factory m_makeReal;
    std::unique_ptr<Service> m_real;
    Service* m_override = nullptr;
};

}  // namespace host
