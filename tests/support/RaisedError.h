// The number of the VbError a call raises, 0 when it raises none: lets a test state the exact
// error of a failing member in one expectation.
#pragma once

#include "platform/runtime/VbError.h"

namespace testsupport {

template <class Call>
long raisedError(Call&& call)
{
    try {
        call();
    } catch (const vb::VbError& error) {
        return error.number();
    }
    return 0;
}

}  // namespace testsupport
