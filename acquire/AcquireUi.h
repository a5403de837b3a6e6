#pragma once
// What the read-log and erase-log flows need from a user interface. The
// desktop program implements it with message boxes, the loading popup and
// the progress dialog; the command-line tool with stderr and the terminal;
// tests with a recorder.
//
// The read-log flow calls these from its worker thread. ShowMessage and
// AskYesNo block until the user has answered; the popup and progress calls
// must return quickly (the flow throttles them to a few per second).
#include <cstdint>
#include <string>

namespace ml {

class AcquireUi {
public:
    virtual ~AcquireUi() = default;

    // A message box with one OK button and the given caption ("오류" or
    // "경고"); returns when it has been closed.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;

    // A Yes/No question with the program's name as caption; true for Yes.
    virtual bool AskYesNo(const std::string& question) = 0;

    // Loading popup (WM_LOADING_STAGE): line 0 resets the labels, lines 1
    // to 5 get `text` as their status.
    virtual void SetLoadingStage(int line, const std::string& text) = 0;
    virtual void ShowPopup() = 0;
    virtual void HidePopup() = 0;
    // A line under the five: what is being read ("새 데이터만 읽는 중: ..."),
    // then how full the logger's memory is. Empty clears it.
    virtual void SetLoadingNote(const std::string& text) { (void)text; }

    // The PHLX progress dialog: set-total shows "0/total" and position 0;
    // set-position shows "position/total".
    virtual void ProgressSetTotal(uint32_t total) = 0;
    virtual void ProgressSetPosition(uint32_t position) = 0;
    virtual void ProgressShow() = 0;
    virtual void ProgressHide() = 0;

    // WM_TRACKS_UPDATED: the session's lists hold the result of a completed
    // download. Called once, after everything else, from the worker.
    virtual void OnTracksUpdated() = 0;
};

}  // namespace ml
