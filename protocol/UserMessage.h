#pragma once
// A message box the flow shows at the end of a download: text and caption
// ("오류" or "경고"). Empty text means nothing to show.
#include <string>

namespace ml {

struct UserMessage {
    std::string text;
    std::string caption;
    bool empty() const { return text.empty(); }
};

inline constexpr const char* kErrorCaption = "오류";
inline constexpr const char* kWarningCaption = "경고";

}  // namespace ml
