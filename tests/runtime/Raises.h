// Test helper for the runtime suites: runs code that must raise and answers the RtException it
// raised.
#pragma once

#include <optional>

#include <gtest/gtest.h>

#include "runtime/core/RtException.h"

namespace zemtra::testing {

// The exception `code` raised; a test failure (and an empty exception) when it raised none.
template <class F>
RtException raised(F&& code) {
    try {
        code();
    } catch (const RtException& error) {
        return error;
    }
    ADD_FAILURE() << "expected an RtException";
    return RtException(u"<none>", u"<none>");
}

}  // namespace zemtra::testing
