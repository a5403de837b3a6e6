#pragma once
// A web view that runs script statements in its page (CallPageScript): the
// map and both forms are driven this way. Statements that arrive before the
// page has loaded are kept and run, in order, once it has; none is lost. A
// statement that fails in the page is written to the diagnostic log and
// stops no other. The statements of one turn of the event loop go into the
// page together, in one call.
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QWebEngineView>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace ml {

class PageScriptView : public QWebEngineView {
    Q_OBJECT
public:
    explicit PageScriptView(QWidget* parent = nullptr);

    // Loads a page; statements sent from now on wait for it.
    void loadPage(const QUrl& url);

    // Runs one statement; an empty statement does nothing.
    void CallPageScript(const QString& statement);
    void CallPageScript(const std::string& statement);  // UTF-8
    void CallPageScripts(const std::vector<std::string>& statements);

    // Evaluates an expression after every statement sent before it and hands
    // its value to `done` (an invalid value when it failed).
    void EvaluatePageScript(const QString& expression, std::function<void(const QVariant&)> done);

    bool isPageReady() const { return ready_; }

signals:
    // The page has loaded and every statement kept for it has been sent.
    void pageReady();

private:
    struct Entry {
        QString script;
        std::function<void(const QVariant&)> done;  // empty for a statement
    };
    void onLoadStarted();
    void onLoadFinished(bool ok);
    void Send(Entry entry);
    void FlushBatch();

    bool ready_ = false;
    std::deque<Entry> pending_;  // waiting for the page to load
    QStringList batch_;          // statements of this event-loop turn
};

}  // namespace ml
