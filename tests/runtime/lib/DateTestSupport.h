// Date tests run under a pinned time zone (TZ) and an English device locale, each on a fresh
// runtime, so the date-time service they reach is created for that zone.
#pragma once

#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include <unicode/locid.h>

#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtDateTime.h"
#include "tests/support/TestSupport.h"

namespace zemtra::testing {

class DateTest : public RuntimeTest {
  protected:
    DateTest() : savedLocale_(icu::Locale::getDefault()) {
        if (const char* zone = std::getenv("TZ")) savedZone_ = zone;
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale("en_US"), status);
        useZone("UTC");
    }

    ~DateTest() override {
        if (savedZone_)
            setenv("TZ", savedZone_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(savedLocale_, status);
    }

    // Switches the process to the zone and starts a fresh runtime, whose date-time service is
    // then created in that zone.
    void useZone(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
        resetRuntime();
    }

    static std::shared_ptr<RtDateTime> dates() { return RtCommon::New()->service<RtDateTime>(); }

  private:
    std::optional<std::string> savedZone_;
    icu::Locale savedLocale_;
};

// Runs the call and answers the reason of the RtException it raises ("" when it raises none).
template <class F>
String reasonOf(F&& call) {
    try {
        call();
    } catch (const RtException& error) {
        return error.reason();
    }
    return String();
}

}  // namespace zemtra::testing
