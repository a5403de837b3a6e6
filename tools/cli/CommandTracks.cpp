// tracks (IMAGE | --fixes CSV) [--cut SECONDS] [--geocode] [--out FILE.dat]: cuts the
// fixes of an MTK memory image, or of a fix CSV as `decode` writes it, into
// tracks and prints one line per track. The cut time defaults to
// TRACK_CUT_TIME of the settings; --out also saves the tracks as a track
// file with the settings as its header. --geocode makes the program's
// start-up connectivity check and, when online, looks up the addresses.
#include <cstdio>
#include <string>
#include <vector>

#include "core/FixCsv.h"
#include "core/TrackBuilder.h"
#include "protocol/MtkLogDecoder.h"
#include "store/platform/FileIo.h"
#include "store/platform/GeocodingClient.h"
#include "store/platform/TrackFileStore.h"
#include "tools/cli/Cli.h"
#include "tools/cli/TrackLines.h"

namespace ml::cli {

namespace {

bool ParseSeconds(const std::string& text, int32_t& out) {
    if (text.empty() || text.size() > 9) return false;
    int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    out = value;
    return true;
}

int RunTracks(CliContext& context, const std::vector<std::string>& args) {
    const SettingsFileState settings = LoadCliSettings(context, false);
    std::string imagePath;
    std::string csvPath;
    std::string outPath;
    bool geocode = false;
    int32_t cut = settings.settings.trackCutTime;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--fixes" || arg == "--cut" || arg == "--out") {
            std::string value;
            if (!TakeValue(args, i, value)) return kExitFailure;
            if (arg == "--fixes") {
                csvPath = value;
            } else if (arg == "--out") {
                outPath = value;
            } else if (!ParseSeconds(value, cut)) {
                return Fail("--cut needs a whole number of seconds, not '" + value + "'");
            }
        } else if (arg == "--geocode") {
            geocode = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return Fail("tracks: unknown option " + arg);
        } else if (imagePath.empty()) {
            imagePath = arg;
        } else {
            return Fail("tracks takes one memory image");
        }
    }
    if (imagePath.empty() == csvPath.empty()) {
        return Fail("tracks needs either a memory image or --fixes CSV");
    }

    std::vector<uint8_t> bytes;
    std::string error;
    const std::string& input = csvPath.empty() ? imagePath : csvPath;
    if (ReadFileBytes(input, bytes, error) != ReadStatus::Ok) return Fail(error);

    FixList fixes;
    if (!csvPath.empty()) {
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (!ParseFixCsv(text, fixes, error)) return Fail(csvPath + ": " + error);
    } else if (DecodeLogImage(bytes, fixes).sectorsDecoded == 0) {
        return Fail(imagePath + ": " + kNotAnImage);
    }
    // An empty result would replace a saved file with a header alone.
    if (fixes.empty()) return Fail(input + ": holds no fix");

    TrackList tracks;
    TrackBuildOptions options;
    options.cutSeconds = cut;
    Geocoder geocoder;
    if (geocode) {
        geocoder = SetUpGeocoder(settings.services);
        if (geocoder.online) {
            options.geocodingEnabled = 1;
            options.geocoder = geocoder.client.get();
            if (settings.services.geocodingKey.empty()) {
                std::fprintf(stderr,
                             "mileledger-cli: warning: no GEOCODING_KEY in [services]; addresses are \"No Data\"\n");
            }
        } else {
            std::fprintf(stderr, "mileledger-cli: no connection to %s; addresses are not looked up\n",
                         settings.services.connectivityCheckUrl.c_str());
        }
    }
    BuildTracks(fixes, tracks, options);

    if (!outPath.empty()) {
        const SaveResult saved = SaveTrackFile(outPath, settings.settings, tracks, false);
        if (!saved.ok) return Fail(saved.error);
        if (!saved.warning.empty()) std::fprintf(stderr, "mileledger-cli: warning: %s\n", saved.warning.c_str());
    }

    const std::string out = FormatTrackLines(tracks);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : Fail("cannot write the output");
}

const CommandRegistration kRegistration("tracks",
                                        "tracks (IMAGE | --fixes CSV) [--cut SECONDS] [--geocode] [--out FILE.dat]",
                                        &RunTracks);

}  // namespace
}  // namespace ml::cli
