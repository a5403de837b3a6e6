#pragma once
// An AcquireUi that records every call, for tests of the acquisition flows.
// Thread-safe: the read-log flow calls it from its worker; tests read a copy.
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
    struct State {
        std::vector<Message> messages;
        std::vector<std::string> questions;
        std::array<std::string, 6> stages{};  // the popup's lines 1..5
        bool popupVisible = false;
        bool progressVisible = false;
        uint32_t progressTotal = 0;
        uint32_t progressPosition = 0;
        int tracksUpdated = 0;
        int callsAfterTracksUpdated = 0;  // the flow calls nothing after the update
    };

    // Answer given to every question.
    explicit AcquireRecordingUi(bool answerYes = true) : answerYes_(answerYes) {}

    void ShowMessage(const std::string& text, const std::string& caption) override {
        Record([&](State& s) { s.messages.push_back({text, caption}); });
    }
    bool AskYesNo(const std::string& question) override {
        Record([&](State& s) { s.questions.push_back(question); });
        return answerYes_;
    }
    void SetLoadingStage(int line, const std::string& text) override {
        Record([&](State& s) {
            if (line == 0) s.stages.fill({});
            if (line >= 1 && line <= 5) s.stages[static_cast<size_t>(line)] = text;
        });
    }
    void ShowPopup() override {
        Record([](State& s) { s.popupVisible = true; });
    }
    void HidePopup() override {
        Record([](State& s) { s.popupVisible = false; });
    }
    void ProgressSetTotal(uint32_t total) override {
        Record([&](State& s) { s.progressTotal = total; });
    }
    void ProgressSetPosition(uint32_t position) override {
        Record([&](State& s) { s.progressPosition = position; });
    }
    void ProgressShow() override {
        Record([](State& s) { s.progressVisible = true; });
    }
    void ProgressHide() override {
        Record([](State& s) { s.progressVisible = false; });
    }
    // The window hides the popup when it handles the update.
    void OnTracksUpdated() override {
        Record([](State& s) {
            ++s.tracksUpdated;
            s.popupVisible = false;
        });
    }

    State state() const {
        std::lock_guard lock(mutex_);
        return state_;
    }
    std::vector<Message> messages() const { return state().messages; }

private:
    template <typename Change>
    void Record(Change change) {
        std::lock_guard lock(mutex_);
        if (state_.tracksUpdated > 0) ++state_.callsAfterTracksUpdated;
        change(state_);
    }

    mutable std::mutex mutex_;
    bool answerYes_;
    State state_;
};

}  // namespace ml::test
