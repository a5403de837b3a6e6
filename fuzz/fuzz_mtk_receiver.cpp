// libFuzzer target for the PMTK side of the link: MtkSentenceReceiver with
// the MTK download's data-sentence handler behind it. The first byte picks a
// chunk length for the reads and whether the input starts in the status
// queries (raw replies) or in the data phase of a 4 KiB log. Invariants: the
// image never holds more than the announced count and never crashes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "core/DiagLog.h"
#include "core/TextFormat.h"
#include "link/MtkSentenceReceiver.h"
#include "link/SentenceBuilder.h"
#include "protocol/MtkDownload.h"

namespace {
void FeedText(ml::MtkDownload& d, const std::string& s) {
    d.Feed(std::span(reinterpret_cast<const uint8_t*>(s.data()), s.size()));
}

// Answers the twelve status queries so the download enters its data phase.
void ReachDataPhase(ml::MtkDownload& d) {
    for (int item = 1; item <= 12 && !d.Finished(); ++item) {
        d.TakeOutgoing();
        const std::string value = item == 8 ? "1000" : "7";
        FeedText(d, ml::BuildPmtk182Sentence(3, ml::Format("%d,%s", item, value.c_str())) + "$PMTK001,182,2,3*25\r\n");
    }
    d.TakeOutgoing();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t mode = data[0];
    const std::span<const uint8_t> input(data + 1, size - 1);
    const size_t chunk = 1 + (mode >> 2);
    ml::SetDiagSink((mode & 2) ? ml::DiagSink([](std::string_view) {}) : ml::DiagSink());

    ml::MtkSentenceReceiver plain([](std::string_view s) {
        if (s.size() < 7 || s.front() != '$' || s.back() != '\n') std::abort();
    });
    ml::MtkDownload download;
    if (mode & 1) ReachDataPhase(download);

    for (size_t at = 0; at < input.size(); at += chunk) {
        const auto piece = input.subspan(at, std::min(chunk, input.size() - at));
        plain.Feed(piece);
        download.Feed(piece);
        download.TakeOutgoing();
        const auto& p = download.progress();
        if (p.received > p.byteCount) std::abort();
        if (download.logImage().size() > p.byteCount) std::abort();
    }
    download.OnSilence();
    const ml::OutgoingCommand last = download.TakeOutgoing();
    if (download.outcome() == ml::MtkOutcome::Completed && last.bytes != "$PHLX827*31\r\n") std::abort();
    ml::SetDiagSink({});
    return 0;
}
