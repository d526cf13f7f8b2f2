#include "tests/support/FakeMessageBoxes.h"

namespace testsupport {

int FakeMessageBoxes::show(const host::MessageBoxRequest& request)
{
    m_shown.push_back(request);
    if (!m_answers.empty()) {
        const int result = m_answers.front();
        m_answers.pop_front();
        return result;
    }
    switch (request.style & 0xF) {
        case host::vbAbortRetryIgnore:
            return host::vbAbort;
        case host::vbYesNoCancel:
        case host::vbYesNo:
            return host::vbYes;
        case host::vbRetryCancel:
            return host::vbRetry;
        default:
            return host::vbOK;
    }
}

}  // namespace testsupport
