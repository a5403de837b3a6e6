#pragma once
// The value of a script expression in a page, after every statement sent
// before it (an invalid value when it failed or no answer came).
#include <QTest>
#include <QVariant>

#include "views/PageScriptView.h"

namespace ml::test {

inline QVariant Eval(PageScriptView* view, const QString& expression) {
    QVariant result;
    bool done = false;
    view->EvaluatePageScript(expression, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 30000)) qWarning("no answer to %s", qPrintable(expression));
    return result;
}

}  // namespace ml::test
