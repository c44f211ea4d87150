// The runtime library's standard services (File, DateTime, Regex, Numbers, Colors, Bit), which
// the program's entry and the test fixtures register into their runtime scope.
#pragma once

namespace zemtra {

class RuntimeScope;

// Registers a fresh instance of each standard service into `scope` (replacing any earlier one).
// The file service starts with the default locations; the entry point sets its own afterwards.
void registerStandardServices(RuntimeScope& scope);

}  // namespace zemtra
