// libFuzzer target for the PHLX exchange. Odd first bytes feed the input as
// raw port reads; even ones read it as a script of logger moves (canned reply
// sentences with fuzzed numbers, raw package bytes, silences) so the fuzzer
// reaches the history and log phases quickly. Invariants: no crash, every
// command sent is a well-formed "$PHLX...*CS\r\n" sentence, the progress
// position equals the fixes gathered.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "core/DiagLog.h"
#include "core/TextFormat.h"
#include "link/Checksum.h"
#include "link/SentenceBuilder.h"
#include "protocol/PhlxExchange.h"

namespace {
void CheckOutgoing(ml::PhlxExchange& x) {
    const std::string out = x.TakeOutgoing().bytes;
    size_t at = 0;
    while (at < out.size()) {
        const size_t end = out.find("\r\n", at);
        if (end == std::string::npos || out.compare(at, 5, "$PHLX") != 0) std::abort();
        const std::string sentence = out.substr(at, end - at);
        const size_t star = sentence.find('*');
        if (star == std::string::npos || star + 3 != sentence.size()) std::abort();
        char digits[2];
        ml::ChecksumDigits(ml::SentenceChecksum(sentence), digits);
        if (sentence[star + 1] != digits[0] || sentence[star + 2] != digits[1]) std::abort();
        at = end + 2;
    }
    if (x.progress().position != x.fixes().size()) std::abort();
}

void Feed(ml::PhlxExchange& x, const std::string& s) {
    x.Feed(std::span(reinterpret_cast<const uint8_t*>(s.data()), s.size()));
}

void RunScript(ml::PhlxExchange& x, std::span<const uint8_t> in) {
    size_t at = 0;
    auto next = [&]() -> uint32_t { return at < in.size() ? in[at++] : 0; };
    while (at < in.size() && !x.Finished()) {
        const uint32_t op = next();
        const uint32_t n = next();
        switch (op % 10) {
            case 0: Feed(x, ml::BuildPhlxSentence("852,TRL4200Mini")); break;
            case 1: Feed(x, ml::BuildPhlxSentence("859")); break;
            case 2: Feed(x, ml::BuildPhlxSentence(ml::Format("601,%u", n % 5))); break;
            case 3: Feed(x, ml::BuildPhlxSentence(ml::Format("901,%u,x", n * 16))); break;
            case 4: Feed(x, ml::BuildPhlxSentence(ml::Format("902,0,%u,FFFFFFFF", n))); break;
            case 5: Feed(x, ml::BuildPhlxSentence(ml::Format("902,0,%u,00000000", n))); break;
            case 6: {  // n raw bytes of the input, as package bytes or noise
                const size_t take = std::min<size_t>(n, in.size() - at);
                x.Feed(in.subspan(at, take));
                at += take;
                break;
            }
            case 7: Feed(x, ml::BuildPhlxSentence("900")); break;
            case 8: x.OnSilence(); break;
            default: Feed(x, ml::BuildPhlxSentence("860")); break;
        }
        CheckOutgoing(x);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t mode = data[0];
    const std::span<const uint8_t> input(data + 1, size - 1);
    ml::SetDiagSink((mode & 2) ? ml::DiagSink([](std::string_view) {}) : ml::DiagSink());
    ml::PhlxExchangeOptions options;
    options.maxPackageBytes = 4096;
    ml::PhlxExchange x(options);
    CheckOutgoing(x);
    if (mode & 1) {
        const size_t chunk = 1 + (mode >> 2);
        for (size_t at = 0; at < input.size() && !x.Finished(); at += chunk) {
            x.Feed(input.subspan(at, std::min(chunk, input.size() - at)));
            CheckOutgoing(x);
        }
    } else {
        RunScript(x, input);
    }
    x.OnSilence();
    CheckOutgoing(x);
    ml::SetDiagSink({});
    return 0;
}
