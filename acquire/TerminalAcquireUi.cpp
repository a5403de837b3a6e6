#include "acquire/TerminalAcquireUi.h"

#include <array>

namespace ml {

namespace {
// The loading popup's labels, in line order (after a reset).
constexpr std::array<const char*, 5> kStageLabels = {
    "수신기에 접속 중...", "데이터 확인 중...", "데이터 다운로드 중...", "데이터 디코딩 중..", "데이터 트랙 생성 중..",
};
}  // namespace

TerminalAcquireUi::TerminalAcquireUi(std::FILE* out, std::FILE* in, Answer answer, bool showProgress)
    : out_(out), in_(in), answer_(answer), showProgress_(showProgress) {}

void TerminalAcquireUi::ShowMessage(const std::string& text, const std::string& caption) {
    EndProgressLine();
    ++messageCount_;
    std::fprintf(out_, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(out_);
}

bool TerminalAcquireUi::AskYesNo(const std::string& question) {
    if (answer_ != Answer::Ask) return answer_ == Answer::Yes;
    EndProgressLine();
    std::fprintf(out_, "%s [y/N] ", question.c_str());
    std::fflush(out_);
    char line[64] = {};
    if (in_ == nullptr || std::fgets(line, sizeof line, in_) == nullptr) {
        std::fprintf(out_, "\n");
        return false;
    }
    return line[0] == 'y' || line[0] == 'Y';
}

void TerminalAcquireUi::SetLoadingStage(int line, const std::string& text) {
    if (line < 1 || line > static_cast<int>(kStageLabels.size())) return;
    DrawProgressLine(std::string(kStageLabels[static_cast<size_t>(line - 1)]) + " " + text);
}

void TerminalAcquireUi::SetLoadingNote(const std::string& text) {
    if (text.empty()) return;
    EndProgressLine();
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
}

void TerminalAcquireUi::ProgressSetTotal(uint32_t total) {
    total_ = total;
    DrawProgressLine("0/" + std::to_string(total));
}

void TerminalAcquireUi::ProgressSetPosition(uint32_t position) {
    DrawProgressLine(std::to_string(position) + "/" + std::to_string(total_));
}

void TerminalAcquireUi::OnTracksUpdated() {
    EndProgressLine();
    tracksUpdated_ = true;
}

void TerminalAcquireUi::DrawProgressLine(const std::string& text) {
    if (!showProgress_) return;
    std::fprintf(out_, "\r%s\033[K", text.c_str());
    std::fflush(out_);
    lineOpen_ = true;
}

void TerminalAcquireUi::EndProgressLine() {
    if (!lineOpen_) return;
    std::fprintf(out_, "\n");
    std::fflush(out_);
    lineOpen_ = false;
}

}  // namespace ml
