#pragma once
// An AcquireUi that records every call, for tests of the acquisition flows.
// Thread-safe: the read-log flow calls it from its worker.
#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "acquire/AcquireUi.h"

namespace ml::test {

class AcquireRecordingUi : public AcquireUi {
public:
    struct Message {
        std::string text;
        std::string caption;
    };

    // Answer given to every question.
    explicit AcquireRecordingUi(bool answerYes = true) : answerYes_(answerYes) {}

    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& question) override;
    void SetLoadingStage(int line, const std::string& text) override;
    void ShowPopup() override;
    void HidePopup() override;
    void ProgressSetTotal(uint32_t total) override;
    void ProgressSetPosition(uint32_t position) override;
    void ProgressShow() override;
    void ProgressHide() override;
    void OnTracksUpdated() override;

    std::vector<Message> messages() const;
    std::vector<std::string> questions() const;
    // The status text each popup line shows now (index 1..5).
    std::string stage(int line) const;
    bool popupVisible() const;
    bool progressVisible() const;
    uint32_t progressTotal() const;
    uint32_t progressPosition() const;
    int progressCalls() const;
    int tracksUpdated() const;
    // Called by the flow after OnTracksUpdated: calls of any kind.
    int callsAfterTracksUpdated() const;

private:
    void Count();

    mutable std::mutex mutex_;
    bool answerYes_;
    std::vector<Message> messages_;
    std::vector<std::string> questions_;
    std::array<std::string, 6> stages_{};
    bool popupVisible_ = false;
    bool progressVisible_ = false;
    uint32_t progressTotal_ = 0;
    uint32_t progressPosition_ = 0;
    int progressCalls_ = 0;
    int tracksUpdated_ = 0;
    int callsAfterTracksUpdated_ = 0;
};

}  // namespace ml::test
