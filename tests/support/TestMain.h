#pragma once

#include "app/Shutdown.h"
#include "webview/engine/EngineDefaults.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

// A test's main(): the engine's data, cache and settings go to a fresh temporary home, never the
// user's; windows and the shared profile are released in order at the end.
#define ZV_TEST_MAIN(TestClass)                                                                    \
    ZV_TEST_MAIN_PREPARED(                                                                         \
        TestClass, [] {}, [] {})

// The same, running before() in that home just before the application object is made and after()
// just after it, as the program prepares itself for its first window.
#define ZV_TEST_MAIN_PREPARED(TestClass, before, after)                                            \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QTemporaryDir home;                                                                        \
        for (const char *variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})        \
            qputenv(variable,                                                                      \
                    (home.path() + QLatin1Char('/') + QLatin1String(variable)).toUtf8());          \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                \
        before();                                                                                  \
        QApplication app(argc, argv);                                                              \
        EngineDefaults::install();                                                                 \
        after();                                                                                   \
        int status = 0;                                                                            \
        {                                                                                          \
            TestClass test;                                                                        \
            QTEST_SET_MAIN_SOURCE_PATH                                                             \
            status = QTest::qExec(&test, argc, argv);                                              \
        }                                                                                          \
        Shutdown::releaseWindowsAndProfile();                                                      \
        return status;                                                                             \
    }
