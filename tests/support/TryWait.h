#pragma once

#include <QTest>

// Waits, serving events, until a condition holds, then checks it as QVERIFY and QCOMPARE
// do (their messages on failure). Qt's own TRY_ macros serve the same end but, from
// Qt 6.8 on, narrow a count of milliseconds inside their expansion, which a build with
// -Wconversion -Werror refuses.
#define TRY_VERIFY_WITH_TIMEOUT(expr, milliseconds)                                   \
    do {                                                                              \
        (void)QTest::qWaitFor([&] { return static_cast<bool>(expr); }, milliseconds); \
        QVERIFY(expr);                                                                \
    } while (false)
#define TRY_VERIFY(expr) TRY_VERIFY_WITH_TIMEOUT(expr, 5000)

#define TRY_COMPARE_WITH_TIMEOUT(actual, expected, milliseconds)                     \
    do {                                                                             \
        (void)QTest::qWaitFor([&] { return (actual) == (expected); }, milliseconds); \
        QCOMPARE(actual, expected);                                                  \
    } while (false)
#define TRY_COMPARE(actual, expected) TRY_COMPARE_WITH_TIMEOUT(actual, expected, 5000)
