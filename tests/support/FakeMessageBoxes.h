// A scripted message-box service: records every box and answers from a queue (vbOK, or the
// box's first button's answer, when the queue is empty).
#pragma once

#include "platform/host/MessageBox.h"
#include "tests/support/ScopedService.h"

#include <deque>
#include <vector>

namespace testsupport {

class FakeMessageBoxes : public host::MessageBoxService {
public:
    FakeMessageBoxes() : m_scope(host::messageBoxService(), *this) {}

    void answer(int result) { m_answers.push_back(result); }
    const std::vector<host::MessageBoxRequest>& shown() const { return m_shown; }

    int show(const host::MessageBoxRequest& request) override;

private:
    std::deque<int> m_answers;
    std::vector<host::MessageBoxRequest> m_shown;
    ScopedService<host::MessageBoxService> m_scope;
};

}  // namespace testsupport
