#pragma once
// Collects the sentences the program sends out of a byte stream split at any
// point: a sentence runs from a "$" to the next LF. Bytes outside a sentence
// are line noise and dropped; a "$" inside a sentence starts over, so a
// sentence cut short by a glitch does not swallow the next one.
#include <string>
#include <string_view>
#include <vector>

namespace ml::sim {

class SentenceAssembler {
public:
    // Longest sentence kept; anything longer is noise and is dropped.
    static constexpr size_t kMaxSentence = 1024;

    // Feeds bytes; returns the sentences completed by them, each from "$"
    // up to and including its LF.
    std::vector<std::string> Feed(std::string_view bytes);

    void Reset();

private:
    std::string line_;
    bool inSentence_ = false;
};

}  // namespace ml::sim
