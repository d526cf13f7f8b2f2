#include "tests/support/FakeCommonDialogs.h"

namespace testsupport {

host::DialogAnswer FakeCommonDialogs::show(const host::DialogRequest& request)
{
    m_shown.push_back(request);
    if (m_answers.empty())
        return host::DialogAnswer::cancel();
    const host::DialogAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

}  // namespace testsupport
