#pragma once
// The value of a script expression in a page, after every statement sent
// before it (an invalid value when it failed or no answer came).
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>
#include <QTest>
#include <QVariant>

#include "views/PageScriptView.h"

namespace ml::test {

// Every map tile one transparent pixel: a page draws without any server.
inline const QString kNoTiles =
    QStringLiteral("data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7");

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

// The text of every cell of the table rows matched by `selector`, row by row.
inline QList<QStringList> Cells(PageScriptView* view, const QString& selector) {
    const QString script = QStringLiteral(
                               "JSON.stringify(Array.from(document.querySelectorAll('%1')).map("
                               "r => Array.from(r.cells).map(c => c.textContent)))")
                               .arg(selector);
    QList<QStringList> rows;
    for (const auto& row : QJsonDocument::fromJson(Eval(view, script).toString().toUtf8()).array()) {
        rows << QStringList();
        for (const auto& cell : row.toArray()) rows.last() << cell.toString();
    }
    return rows;
}

}  // namespace ml::test
