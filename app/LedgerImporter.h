#pragma once
// Puts what the desktop program reads into the year ledger, in the
// background: the bytes of every completed download (kept through the
// read-log flow's sinks), track files loaded by 로그파일 불러오기 and the
// use and purpose the user gives a track in the list. The work runs in
// order on a thread of their own, so an edit made right after a download
// reaches the trip that download makes; each import ends with one text for
// the status line. The window never waits for the ledger, except on
// closing, when the work already queued is finished first (the bytes and
// edits are only safe once they are in the ledger).
//
// It is also the flows' LoggerMemoryBook for the car it is told
// (SetCar): a download or an erase asks what the ledger knows of its logger
// on the import thread, behind the imports queued before, and waits for the
// answer.
//
// The list reads the ledger's classification on the window's own thread,
// through a second connection (ReadTrips): a read never waits for an import.
#include <QObject>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "acquire/LoggerMemoryBook.h"
#include "store/Settings.h"
#include "store/ledger/Ledger.h"

namespace ml {

class ReadLogFlow;

class LedgerImporter : public QObject, public LoggerMemoryBook {
    Q_OBJECT
public:
    explicit LedgerImporter(std::string ledgerPath, QObject* parent = nullptr);
    ~LedgerImporter() override;

    // Keeps the raw bytes of each download `flow` makes (set on its worker)
    // and tells it what the ledger knows.
    void Attach(ReadLogFlow& flow);
    // UI thread. Queues the bytes of the download that just ended for the
    // car the settings name (CAR_NUM); `source` is the port. A download that
    // failed goes in only when it was cut short with something kept.
    void ImportDownload(const Settings& settings, const std::string& source, bool succeeded);

    // The car whose ledger the book answers for.
    void SetCar(const std::string& regNo);
    KnownMemory Known(LoggerModel kind, const std::string& loggerId) override;
    void Erased(LoggerModel kind, const std::string& loggerId) override;
    // Looks up the port of the car's last download (the connect dialog
    // offers it first) and announces it with lastSourceFound.
    void FindLastSource(const std::string& regNo);
    // UI thread. Queues a track file, for the car its header names (or the
    // live settings' car when the header names none).
    void ImportTrackFile(const Settings& header, const Settings& live, const std::string& path);

    // UI thread. Queues an edit of the car's trip that starts at
    // `startTime`; `editNo` comes back through entryStored once it is in.
    void Classify(const std::string& regNo, int64_t startTime, const ledger::TripEdit& edit, uint32_t editNo);

    // UI thread. The car's trips that start in `period`; false (and nothing
    // read) when the ledger has no file yet, no such car, or cannot be read.
    bool ReadTrips(const std::string& regNo, const ledger::Period& period, std::vector<ledger::Trip>& trips);

    // True while work is queued or running.
    bool Busy() const;
    // UI thread. Returns once the queued work is done and its results have
    // been delivered (the window keeps serving events meanwhile).
    void WaitUntilIdle();

signals:
    void statusChanged(const QString& text);  // the status line
    void idle();                              // the queue ran empty
    void lastSourceFound(const QString& devicePath);
    void entryStored(uint editNo);  // a list edit is in the ledger

private:
    struct Job {
        std::string regNo;
        ledger::Car seed;
        ledger::ImportRequest request;
        std::string filePath;  // track files are read on the import thread
        // Instead of an import: run this with the open ledger (null when it
        // cannot be opened), without a status text.
        std::function<void(ledger::Ledger*)> call;
        // A list edit instead of an import when set.
        std::optional<ledger::TripEdit> edit;
        int64_t startTime = 0;
        uint32_t editNo = 0;
    };
    void Queue(Job job);
    // Runs `call` on the import thread and waits for it.
    void Call(std::function<void(ledger::Ledger*)> call);
    void QueueCall(std::function<void(ledger::Ledger*)> call);
    bool OpenLedger(std::string& error);
    void Run();
    QString Process(Job& job);
    void Post(const QString& text, bool nowIdle);

    const std::string ledgerPath_;
    std::unique_ptr<ledger::Ledger> ledger_;  // import thread only
    std::unique_ptr<ledger::Ledger> reader_;  // UI thread only

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool running_ = false;  // a job is being processed
    bool stopping_ = false;
    std::optional<ledger::ImportRequest> downloaded_;  // the last download's bytes
    std::string bookCar_;
    std::thread thread_;
};

}  // namespace ml
