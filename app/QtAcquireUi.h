#pragma once
// The desktop program's side of the acquisition flows. The read-log worker
// calls it from its own thread; every call is carried to the user-interface
// thread and the worker waits until it has run there (a message box until
// the user has closed it). Called on the user-interface thread itself (the
// erase-log flow, the start of a read), it runs directly.
#include <functional>

#include "acquire/AcquireUi.h"

class QWidget;

namespace ml {

class CLoadingPopup;
class CProgressDlg;
class UserPrompts;

class QtAcquireUi : public AcquireUi {
public:
    QtAcquireUi(QWidget* owner, CLoadingPopup& popup, CProgressDlg& progress, UserPrompts& prompts,
                std::function<void()> tracksUpdated);

    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& question) override;
    void SetLoadingStage(int line, const std::string& text) override;
    void ShowPopup() override;
    void HidePopup() override;
    void SetLoadingNote(const std::string& text) override;
    void ProgressSetTotal(uint32_t total) override;
    void ProgressSetPosition(uint32_t position) override;
    void ProgressShow() override;
    void ProgressHide() override;
    void OnTracksUpdated() override;

private:
    void RunOnUi(const std::function<void()>& call);

    QWidget* owner_;
    CLoadingPopup& popup_;
    CProgressDlg& progress_;
    UserPrompts& prompts_;
    std::function<void()> tracksUpdated_;
};

}  // namespace ml
