#include "views/PageScriptView.h"

#include <QWebEnginePage>

#include "core/DiagLog.h"

namespace ml {
namespace {

// The statement runs inside a function so that a failure comes back as a
// value: true when it ran, the error text when it threw, and no value at all
// when it could not even be parsed. The line break keeps a trailing comment
// in the statement from swallowing the rest of the wrapper.
QString Wrapped(const QString& statement) {
    return QStringLiteral("(function(){try{\n") + statement +
           QStringLiteral("\n;return true;}catch(e){return 'error: ' + String(e);}})()");
}

void LogFailure(const QString& statement, const QVariant& result) {
    if (result.typeId() == QMetaType::Bool && result.toBool()) return;
    if (!DiagEnabled()) return;
    const QString why = result.typeId() == QMetaType::QString ? result.toString()
                                                              : QStringLiteral("not run (syntax error or page closed)");
    QString shown = statement;
    if (shown.size() > 200) shown = shown.left(200) + QStringLiteral("...");
    DiagWrite(QStringLiteral("page script failed: %1: %2\n").arg(why, shown).toStdString());
}

}  // namespace

PageScriptView::PageScriptView(QWidget* parent) : QWebEngineView(parent) {
    connect(this, &QWebEngineView::loadStarted, this, &PageScriptView::onLoadStarted);
    connect(this, &QWebEngineView::loadFinished, this, &PageScriptView::onLoadFinished);
}

void PageScriptView::loadPage(const QUrl& url) {
    ready_ = false;
    load(url);
}

void PageScriptView::CallPageScript(const QString& statement) {
    if (statement.isEmpty()) return;
    Send(Entry{statement, {}});
}

void PageScriptView::CallPageScript(const std::string& statement) {
    if (statement.empty()) return;
    CallPageScript(QString::fromStdString(statement));
}

void PageScriptView::CallPageScripts(const std::vector<std::string>& statements) {
    for (const std::string& statement : statements) CallPageScript(statement);
}

void PageScriptView::EvaluatePageScript(const QString& expression,
                                        std::function<void(const QVariant&)> done) {
    Send(Entry{expression, done ? std::move(done) : [](const QVariant&) {}});
}

void PageScriptView::Send(Entry entry) {
    if (!ready_) {
        pending_.push_back(std::move(entry));
        return;
    }
    // runJavaScript keeps the order of calls on one page.
    if (entry.done) {
        page()->runJavaScript(entry.script, std::move(entry.done));
    } else {
        const QString statement = entry.script;
        page()->runJavaScript(Wrapped(statement),
                              [statement](const QVariant& result) { LogFailure(statement, result); });
    }
}

void PageScriptView::onLoadStarted() { ready_ = false; }

void PageScriptView::onLoadFinished(bool ok) {
    if (!ok) {
        DiagPrintf("page failed to load: %s\n", url().toString().toStdString().c_str());
        return;  // statements stay queued for a later successful load
    }
    ready_ = true;
    while (ready_ && !pending_.empty()) {
        Entry entry = std::move(pending_.front());
        pending_.pop_front();
        Send(std::move(entry));
    }
    emit pageReady();
}

}  // namespace ml
