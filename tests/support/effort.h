// How many rounds a randomised or exhaustive test runs in this build.
#pragma once

#include <algorithm>

namespace nudgeboard::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool addressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool addressSanitizer = true;
#else
inline constexpr bool addressSanitizer = false;
#endif
#else
inline constexpr bool addressSanitizer = false;
#endif

// Under the address sanitizer every step costs several times as much: there such a test runs a
// third of its rounds (at least one), the same code on fewer inputs.
constexpr int rounds(int full) {
    return addressSanitizer ? std::max(1, full / 3) : full;
}

} // namespace nudgeboard::testing
