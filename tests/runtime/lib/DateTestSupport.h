// Date tests run on a fresh runtime under a pinned time zone (TZ) and an English device locale,
// so the date-time service they reach is created for that zone.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include <unicode/locid.h>

#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtDateTime.h"
#include "runtime/lib/StandardServices.h"
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
        savedZone_ ? setenv("TZ", savedZone_->c_str(), 1) : unsetenv("TZ");
        tzset();
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(savedLocale_, status);
    }

    // Later services (and modules) are created in this zone: a fresh scope replaces the last one.
    void useZone(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
        zoneScope_.reset();
        zoneScope_.emplace();
        registerStandardServices(*zoneScope_);
    }
    static std::shared_ptr<RtDateTime> dates() { return RtCommon::New()->service<RtDateTime>(); }

  private:
    std::optional<std::string> savedZone_;
    icu::Locale savedLocale_;
    std::optional<RuntimeScope> zoneScope_;
};

}  // namespace zemtra::testing
