#pragma once
// Every window call must come from the user-interface thread; the download
// worker reaches the windows only through queued or blocking-queued calls.
// This check documents and enforces that in debug builds.
#include <QCoreApplication>
#include <QThread>

#define ML_ASSERT_UI_THREAD()                                                      \
    Q_ASSERT_X(QCoreApplication::instance() == nullptr ||                          \
                   QThread::currentThread() == QCoreApplication::instance()->thread(), \
               Q_FUNC_INFO, "window call off the user-interface thread")
