// Test helpers for the runtime suites: runs code that must raise and answers the RtException it
// raised; a list's items as text.
#pragma once

#include <optional>
#include <vector>

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

// The descriptions of a list's items, in order.
template <class List>
std::vector<String> texts(const List& list) {
    std::vector<String> out;
    for (const Value& item : list.sequence().items) out.push_back(item.description());
    return out;
}

}  // namespace zemtra::testing
