#pragma once

#include <QtTest>

// QtTest's retrying checks give up after five seconds, which a busy machine
// (a sanitizer build, every core taken) can exceed. These wait for the state
// alone; their bound is only against a hang.
inline constexpr int HangMs = 120000;
#define TRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT(expr, HangMs)
#define TRY_COMPARE(actual, expected) QTRY_COMPARE_WITH_TIMEOUT(actual, expected, HangMs)
