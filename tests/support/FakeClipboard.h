// An in-memory clipboard for tests that must not touch the process's real one.
#pragma once

#include "platform/host/Clipboard.h"
#include "tests/support/ScopedService.h"

#include <QMimeData>
#include <memory>

namespace testsupport {

class FakeClipboard : public host::ClipboardService {
public:
    FakeClipboard() : m_scope(host::clipboardService(), *this) {}

    const QMimeData* mimeData() override { return m_data.get(); }
    void setMimeData(QMimeData* data) override
    {
        m_data.reset(data);
        ++m_writes;
    }
    // How often the contents were replaced or cleared.
    int writes() const { return m_writes; }

private:
    std::unique_ptr<QMimeData> m_data;
    int m_writes = 0;
    ScopedService<host::ClipboardService> m_scope;
};

}  // namespace testsupport
