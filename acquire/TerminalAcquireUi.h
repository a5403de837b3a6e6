#pragma once
// AcquireUi for headless use (the command-line tool): messages go to a
// stream as "CAPTION: TEXT", progress is redrawn on one line only when the
// stream is a terminal, and questions are asked on the terminal (or
// answered in advance).
#include <cstdio>
#include <string>

#include "acquire/AcquireUi.h"

namespace ml {

class TerminalAcquireUi : public AcquireUi {
public:
    enum class Answer { Ask, Yes, No };

    // `out` takes messages and progress; `in` answers questions when
    // `answer` is Ask.
    TerminalAcquireUi(std::FILE* out, std::FILE* in, Answer answer, bool showProgress);

    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& question) override;
    void SetLoadingStage(int line, const std::string& text) override;
    void ShowPopup() override {}
    void HidePopup() override { EndProgressLine(); }
    // Notes are lines of their own, also when the stream is no terminal.
    void SetLoadingNote(const std::string& text) override;
    void ProgressSetTotal(uint32_t total) override;
    void ProgressSetPosition(uint32_t position) override;
    void ProgressShow() override {}
    void ProgressHide() override { EndProgressLine(); }
    void OnTracksUpdated() override;

    int messageCount() const { return messageCount_; }
    bool tracksUpdated() const { return tracksUpdated_; }

private:
    void DrawProgressLine(const std::string& text);
    void EndProgressLine();

    std::FILE* out_;
    std::FILE* in_;
    Answer answer_;
    bool showProgress_;
    bool lineOpen_ = false;
    uint32_t total_ = 0;
    int messageCount_ = 0;
    bool tracksUpdated_ = false;
};

}  // namespace ml
