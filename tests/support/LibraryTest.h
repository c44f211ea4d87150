// The fixture for tests of the runtime library and everything above it: a fresh runtime scope
// with the library's standard services registered. Header only, so that the core's tests need
// not link the library.
#pragma once

#include "runtime/lib/StandardServices.h"
#include "tests/support/TestSupport.h"

namespace zemtra::testing {

class LibraryTest : public RuntimeTest {
  protected:
    LibraryTest() { registerStandardServices(scope); }
};

}  // namespace zemtra::testing
