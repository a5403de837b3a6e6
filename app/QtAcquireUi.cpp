#include "app/QtAcquireUi.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>

#include "views/CLoadingPopup.h"
#include "views/CProgressDlg.h"
#include "views/QtText.h"
#include "views/UiThread.h"
#include "views/UserPrompts.h"

namespace ml {

QtAcquireUi::QtAcquireUi(QWidget* owner, CLoadingPopup& popup, CProgressDlg& progress, UserPrompts& prompts,
                         std::function<void()> tracksUpdated)
    : owner_(owner), popup_(popup), progress_(progress), prompts_(prompts), tracksUpdated_(std::move(tracksUpdated)) {}

void QtAcquireUi::RunOnUi(const std::function<void()>& call) {
    if (OnUiThread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(owner_, call, Qt::BlockingQueuedConnection);
}

namespace {
void CentreOn(QWidget& window, const QWidget* owner) {
    if (!owner) return;
    const QRect frame = owner->frameGeometry();
    window.move(frame.center() - QPoint(window.width() / 2, window.height() / 2));
}
}  // namespace

void QtAcquireUi::ShowMessage(const std::string& text, const std::string& caption) {
    RunOnUi([&] { prompts_.Message(owner_, ToQString(text), ToQString(caption)); });
}

bool QtAcquireUi::AskYesNo(const std::string& question) {
    bool yes = false;
    RunOnUi([&] {
        yes = prompts_.Question(owner_, ToQString(question), QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    });
    return yes;
}

void QtAcquireUi::SetLoadingStage(int line, const std::string& text) {
    RunOnUi([&] { popup_.OnStage(line, ToQString(text)); });
}

void QtAcquireUi::ShowPopup() {
    RunOnUi([&] {
        CentreOn(popup_, owner_);
        popup_.ResetCancel();
        popup_.show();
        popup_.raise();
    });
}

void QtAcquireUi::SetLoadingNote(const std::string& text) {
    RunOnUi([&] { popup_.SetNote(ToQString(text)); });
}

void QtAcquireUi::HidePopup() {
    RunOnUi([&] { popup_.hide(); });
}

void QtAcquireUi::ProgressSetTotal(uint32_t total) {
    RunOnUi([&] { progress_.SetTotal(int(qMin<uint32_t>(total, INT32_MAX))); });
}

void QtAcquireUi::ProgressSetPosition(uint32_t position) {
    RunOnUi([&] { progress_.SetPosition(int(qMin<uint32_t>(position, INT32_MAX))); });
}

void QtAcquireUi::ProgressShow() {
    RunOnUi([&] {
        CentreOn(progress_, owner_);
        progress_.show();
        progress_.raise();
    });
}

void QtAcquireUi::ProgressHide() {
    RunOnUi([&] { progress_.hide(); });
}

void QtAcquireUi::OnTracksUpdated() {
    // Posted, not sent: the worker goes on to its end while the window
    // refreshes.
    QMetaObject::invokeMethod(owner_, tracksUpdated_, Qt::QueuedConnection);
}

}  // namespace ml
