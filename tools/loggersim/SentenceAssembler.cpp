#include "tools/loggersim/SentenceAssembler.h"

namespace ml::sim {

std::vector<std::string> SentenceAssembler::Feed(std::string_view bytes) {
    std::vector<std::string> sentences;
    for (const char c : bytes) {
        if (c == '$') {
            line_.clear();
            inSentence_ = true;
        }
        if (!inSentence_) continue;
        line_ += c;
        if (c == '\n') {
            sentences.push_back(std::move(line_));
            Reset();
        } else if (line_.size() > kMaxSentence) {
            Reset();
        }
    }
    return sentences;
}

void SentenceAssembler::Reset() {
    line_.clear();
    inSentence_ = false;
}

}  // namespace ml::sim
