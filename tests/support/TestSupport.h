#pragma once
// Helpers shared by the tests: sample data, temporary folders, running the
// project's programs.
#include <cstdint>
#include <string>
#include <vector>

namespace ml::test {

// ../shared/samples of the checkout; empty when the folder is absent (tests
// that need it skip then).
std::string SamplesDir();

// tests/data: the golden files (expected dumps and texts) the tests compare with.
std::string DataDir();

std::string CliPath();        // the build folder's tools/mileledger-cli
std::string LoggerSimPath();  // the build folder's tools/loggersim/loggersim

std::vector<uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

struct ProcessResult {
    int exitCode = -1;  // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs a program with arguments and extra environment entries ("KEY=VALUE"),
// feeding `input` on its standard input, and collects its output. The
// program is killed after `timeoutSeconds`.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
                         const std::string& input = {}, double timeoutSeconds = 60.0);

// Pins the TZ variable of this process for the lifetime of the object.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::string saved_;
    bool hadOld_ = false;
};

// Puts the whole process under a decimal-comma locale (de_DE.UTF-8) for the
// lifetime of the object, as the desktop toolkit does with a German user's
// locale, and back to "C" afterwards. A system without that locale gets one
// built once with localedef into the build folder; when even that fails,
// active() is false and why() says why (the test then skips).
class ScopedDecimalCommaLocale {
public:
    ScopedDecimalCommaLocale();
    ~ScopedDecimalCommaLocale();
    ScopedDecimalCommaLocale(const ScopedDecimalCommaLocale&) = delete;
    ScopedDecimalCommaLocale& operator=(const ScopedDecimalCommaLocale&) = delete;
    bool active() const { return active_; }
    const std::string& why() const { return why_; }

private:
    bool active_ = false;
    std::string why_;
};

}  // namespace ml::test
