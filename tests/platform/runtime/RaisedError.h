// The number of the VbError a call raises, 0 when it raises none.
#pragma once

#include "platform/runtime/VbError.h"

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
