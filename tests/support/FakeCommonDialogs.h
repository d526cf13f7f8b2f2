// A scripted common-dialog service: records every dialog's settings and answers from a queue
// (a cancel when the queue is empty).
#pragma once

#include "platform/host/CommonDialog.h"
#include "tests/support/ScopedService.h"

#include <deque>
#include <vector>

namespace testsupport {

class FakeCommonDialogs : public host::CommonDialogService {
public:
    FakeCommonDialogs() : m_scope(host::commonDialogService(), *this) {}

    void answer(const host::DialogAnswer& answer) { m_answers.push_back(answer); }
    void answerCancel() { m_answers.push_back(host::DialogAnswer::cancel()); }
    const std::vector<host::DialogRequest>& shown() const { return m_shown; }
    const host::DialogRequest& last() const { return m_shown.back(); }

    host::DialogAnswer show(const host::DialogRequest& request) override;

private:
    std::deque<host::DialogAnswer> m_answers;
    std::vector<host::DialogRequest> m_shown;
    ScopedService<host::CommonDialogService> m_scope;
};

}  // namespace testsupport
