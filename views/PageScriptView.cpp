#include "views/PageScriptView.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QWebEnginePage>
#include <memory>

#include "core/DiagLog.h"

namespace ml {
namespace {

// Every call into the page costs a round trip of several milliseconds, so
// the statements of one turn of the event loop travel together. Each one is
// still run on its own (an indirect eval, in the page's global scope) so that
// one that throws or cannot be parsed stops neither the others nor the order;
// the failures come back as "index: error" texts.
QString BatchScript(const QStringList& statements) {
    const QByteArray list = QJsonDocument(QJsonArray::fromStringList(statements)).toJson(QJsonDocument::Compact);
    return QStringLiteral(
               "(function(list){var failed=[];for(var i=0;i<list.length;i++){"
               "try{(0,eval)(list[i]);}catch(e){failed.push(i+'\\u0001'+String(e));}}return failed;})(") +
           QString::fromUtf8(list) + QStringLiteral(")");
}

void LogFailures(const QStringList& statements, const QVariant& result) {
    if (!DiagEnabled()) return;
    if (!result.isValid()) {
        DiagPrintf("page script: %lld statement(s) not run (page closed)\n", static_cast<long long>(statements.size()));
        return;
    }
    for (const QVariant& entry : result.toList()) {
        const QString text = entry.toString();
        const qsizetype cut = text.indexOf(QChar(1));
        const qsizetype index = cut > 0 ? text.left(cut).toLongLong() : -1;
        QString statement = index >= 0 && index < statements.size() ? statements[index] : QString();
        if (statement.size() > 200) statement = statement.left(200) + QStringLiteral("...");
        DiagWrite(QStringLiteral("page script failed: %1: %2\n").arg(text.mid(cut + 1), statement).toStdString());
    }
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

void PageScriptView::EvaluatePageScript(const QString& expression, std::function<void(const QVariant&)> done) {
    Send(Entry{expression, done ? std::move(done) : [](const QVariant&) {}});
}

void PageScriptView::Send(Entry entry) {
    if (!ready_) {
        pending_.push_back(std::move(entry));
        return;
    }
    if (!entry.done) {
        if (batch_.isEmpty()) QTimer::singleShot(0, this, &PageScriptView::FlushBatch);
        batch_ << entry.script;
        return;
    }
    // runJavaScript keeps the order of calls on one page, so an evaluation
    // sees every statement sent before it.
    FlushBatch();
    page()->runJavaScript(entry.script, std::move(entry.done));
}

void PageScriptView::FlushBatch() {
    if (batch_.isEmpty() || !ready_) return;
    auto statements = std::make_shared<QStringList>(std::move(batch_));
    batch_ = QStringList();
    page()->runJavaScript(BatchScript(*statements),
                          [statements](const QVariant& result) { LogFailures(*statements, result); });
}

void PageScriptView::onLoadStarted() {
    // Statements not yet sent wait for the new page.
    ready_ = false;
    for (qsizetype i = batch_.size() - 1; i >= 0; --i) pending_.push_front(Entry{batch_[i], {}});
    batch_.clear();
}

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
    FlushBatch();
    emit pageReady();
}

}  // namespace ml
