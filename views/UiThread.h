#pragma once
// Every window call must come from the user-interface thread; the download
// worker reaches the windows only through queued or blocking-queued calls.
// The check is one pointer comparison, so it stays on in release builds: a
// window touched from the worker ends the program at once with the name of
// the function, instead of corrupting the window some time later.
#include <QCoreApplication>
#include <QThread>

namespace ml {

inline bool OnUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app == nullptr || QThread::currentThread() == app->thread();
}

}  // namespace ml

#define ML_ASSERT_UI_THREAD()                                                                          \
    do {                                                                                               \
        if (!::ml::OnUiThread()) qFatal("%s: window call off the user-interface thread", Q_FUNC_INFO); \
    } while (false)
