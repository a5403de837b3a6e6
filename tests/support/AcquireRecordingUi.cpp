#include "tests/support/AcquireRecordingUi.h"

namespace ml::test {

void AcquireRecordingUi::Count() {
    if (tracksUpdated_ > 0) ++callsAfterTracksUpdated_;
}

void AcquireRecordingUi::ShowMessage(const std::string& text, const std::string& caption) {
    std::lock_guard lock(mutex_);
    Count();
    messages_.push_back({text, caption});
}

bool AcquireRecordingUi::AskYesNo(const std::string& question) {
    std::lock_guard lock(mutex_);
    Count();
    questions_.push_back(question);
    return answerYes_;
}

void AcquireRecordingUi::SetLoadingStage(int line, const std::string& text) {
    std::lock_guard lock(mutex_);
    Count();
    if (line == 0) {
        stages_.fill({});
    } else if (line >= 1 && line <= 5) {
        stages_[static_cast<size_t>(line)] = text;
    }
}

void AcquireRecordingUi::ShowPopup() {
    std::lock_guard lock(mutex_);
    popupVisible_ = true;
}

void AcquireRecordingUi::HidePopup() {
    std::lock_guard lock(mutex_);
    Count();
    popupVisible_ = false;
}

void AcquireRecordingUi::ProgressSetTotal(uint32_t total) {
    std::lock_guard lock(mutex_);
    Count();
    ++progressCalls_;
    progressTotal_ = total;
    progressPosition_ = 0;
}

void AcquireRecordingUi::ProgressSetPosition(uint32_t position) {
    std::lock_guard lock(mutex_);
    Count();
    ++progressCalls_;
    progressPosition_ = position;
}

void AcquireRecordingUi::ProgressShow() {
    std::lock_guard lock(mutex_);
    Count();
    progressVisible_ = true;
}

void AcquireRecordingUi::ProgressHide() {
    std::lock_guard lock(mutex_);
    Count();
    progressVisible_ = false;
}

void AcquireRecordingUi::OnTracksUpdated() {
    std::lock_guard lock(mutex_);
    Count();
    ++tracksUpdated_;
    // The window hides the popup when it handles the update.
    popupVisible_ = false;
}

std::vector<AcquireRecordingUi::Message> AcquireRecordingUi::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}
std::vector<std::string> AcquireRecordingUi::questions() const {
    std::lock_guard lock(mutex_);
    return questions_;
}
std::string AcquireRecordingUi::stage(int line) const {
    std::lock_guard lock(mutex_);
    return line >= 1 && line <= 5 ? stages_[static_cast<size_t>(line)] : std::string();
}
bool AcquireRecordingUi::popupVisible() const {
    std::lock_guard lock(mutex_);
    return popupVisible_;
}
bool AcquireRecordingUi::progressVisible() const {
    std::lock_guard lock(mutex_);
    return progressVisible_;
}
uint32_t AcquireRecordingUi::progressTotal() const {
    std::lock_guard lock(mutex_);
    return progressTotal_;
}
uint32_t AcquireRecordingUi::progressPosition() const {
    std::lock_guard lock(mutex_);
    return progressPosition_;
}
int AcquireRecordingUi::progressCalls() const {
    std::lock_guard lock(mutex_);
    return progressCalls_;
}
int AcquireRecordingUi::tracksUpdated() const {
    std::lock_guard lock(mutex_);
    return tracksUpdated_;
}
int AcquireRecordingUi::callsAfterTracksUpdated() const {
    std::lock_guard lock(mutex_);
    return callsAfterTracksUpdated_;
}

}  // namespace ml::test
