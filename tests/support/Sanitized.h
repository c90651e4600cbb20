#pragma once

// Under the sanitizers every step costs many times more: films there are a
// few frames, and what needs a long film is checked in the plain build.
#ifdef LEVYC_TESTS_SANITIZED
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif
