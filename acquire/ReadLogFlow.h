#pragma once
// The read-log flow ("로그읽기"): pick a port, decide about the data already
// in memory, then on a worker thread open the port, ask the logger's model,
// download with the matching protocol, decode, build the tracks and
// announce them.
//
// The result of a download is committed to the session only at its end:
// a failure or a cancel leaves the fix and track lists exactly as they were
// before StartReadLog, including when the user chose to discard them.
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "acquire/AcquireUi.h"
#include "acquire/DownloadTexts.h"
#include "acquire/LoggerMemoryBook.h"
#include "acquire/ReadLogOutcome.h"
#include "acquire/Session.h"

namespace ml {

class ReadLogFlow {
public:
    ReadLogFlow(Session& session, AcquireUi& ui) : session_(session), ui_(ui) {}

    // UI thread. Closes the port, forgets the selection and lists the ports
    // anew. 0, or -1 after "사용할수 있는 시리얼 포트가 없습니다." when none.
    int RefreshPortList();

    // UI thread, when the user confirmed a port (-1: nothing selected).
    // Shows the popup, remembers the port and, when tracks exist, asks
    // whether to discard them. Afterwards start the worker on RunReadLog.
    void StartReadLog(int portIndex);

    // Worker thread: the whole download. Reports every failure through the
    // UI and calls OnTracksUpdated on success. A download that lost data on
    // the way still succeeds with what arrived, after a warning saying what
    // was lost; one that gave no fix at all fails and commits nothing.
    // After a cancel or a time-out the line is drained (bounded), so that
    // what the logger still sends is not taken for the next answers.
    ReadLogOutcome RunReadLog();

    // The warning of the last completed download that lost data; empty when
    // it arrived whole.
    const std::string& lossReport() const { return lossReport_; }

    // Any thread: stops a running download as soon as possible.
    void RequestCancel() { cancel_.store(true); }

    // What earlier downloads left known (none: read everything). Set
    // before the worker starts; used on the worker.
    void SetMemoryBook(LoggerMemoryBook* book) { book_ = book; }
    // Read everything, whatever is known (the connect dialog's box, --full).
    void SetFullRead(bool full) { fullRead_ = full; }
    // Receive what a download read, before it is decoded: complete
    // downloads and those cut short that brought anything (marked partial).
    void SetMtkSink(std::function<void(const MtkDownloadResult&)> sink) { mtkSink_ = std::move(sink); }
    void SetPhlxSink(std::function<void(const PhlxDownloadResult&)> sink) { phlxSink_ = std::move(sink); }

private:
    ReadLogOutcome Download(const std::string& portName);
    ReadLogOutcome RunMtk(const std::string& portName, const std::string& loggerId);
    ReadLogOutcome RunPhlx(const std::string& portName, const std::string& loggerId);
    KnownMemory Known(LoggerModel kind, const std::string& loggerId);
    ReadLogOutcome Fail(ReadLogOutcome outcome, const std::string& text, const std::string& caption, bool closePort);
    // Builds the tracks of `fixesToBuild` into `built`, line 5 showing it.
    void BuildNewTracks(FixList& fixesToBuild, TrackList& built);
    void DiscardIfAsked();
    // `text`, followed by what was lost on the way when anything was.
    static std::string WithLoss(const char* text, const UserMessage& loss) {
        return loss.empty() ? std::string(text) : std::string(text) + "\n" + loss.text;
    }
    // Shows the warning about lost data, when there is one.
    void ReportLoss(const UserMessage& loss);
    // Reads and discards until the line is quiet; remembers when it is not.
    void SettleLine();

    Session& session_;
    AcquireUi& ui_;
    std::atomic<bool> cancel_{false};
    bool discardExisting_ = false;
    std::string lossReport_;
    LoggerMemoryBook* book_ = nullptr;
    bool fullRead_ = false;
    std::function<void(const MtkDownloadResult&)> mtkSink_;
    std::function<void(const PhlxDownloadResult&)> phlxSink_;
};

}  // namespace ml
