#include "app/LedgerImporter.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <filesystem>

#include <future>

#include "acquire/ReadLogFlow.h"
#include "store/ledger/CarSeed.h"
#include "store/ledger/LedgerLocation.h"
#include "store/ledger/LedgerMemoryBook.h"
#include "store/ledger/LedgerUrl.h"
#include "store/platform/FileIo.h"
#include "views/QtText.h"

namespace ml {

LedgerImporter::LedgerImporter(std::string ledgerPath, QObject* parent)
    : QObject(parent), ledgerPath_(std::move(ledgerPath)) {
    thread_ = std::thread([this] { Run(); });
}

LedgerImporter::~LedgerImporter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void LedgerImporter::Attach(ReadLogFlow& flow) {
    flow.SetMtkSink([this](const MtkDownloadResult& result) {
        ledger::ImportRequest request = ledger::ImportRequestOf(result, {});
        std::lock_guard lock(mutex_);
        downloaded_ = std::move(request);
    });
    flow.SetPhlxSink([this](const PhlxDownloadResult& result) {
        ledger::ImportRequest request = ledger::ImportRequestOf(result, {});
        std::lock_guard lock(mutex_);
        downloaded_ = std::move(request);
    });
    flow.SetMemoryBook(this);
}

void LedgerImporter::SetCar(const std::string& regNo) {
    std::lock_guard lock(mutex_);
    bookCar_ = regNo;
}

void LedgerImporter::QueueCall(std::function<void(ledger::Ledger*)> call) {
    Job job;
    job.call = std::move(call);
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_all();
}

void LedgerImporter::Call(std::function<void(ledger::Ledger*)> call) {
    std::promise<void> done;
    QueueCall([&](ledger::Ledger* ledger) {
        call(ledger);
        done.set_value();
    });
    done.get_future().wait();
}

KnownMemory LedgerImporter::Known(LoggerModel kind, const std::string& loggerId) {
    KnownMemory known;
    std::string car;
    {
        std::lock_guard lock(mutex_);
        car = bookCar_;
    }
    if (car.empty()) return known;
    Call([&](ledger::Ledger* ledger) {
        if (ledger != nullptr) known = ledger::LedgerMemoryBook(*ledger, car).Known(kind, loggerId);
    });
    return known;
}

void LedgerImporter::Erased(LoggerModel kind, const std::string& loggerId) {
    std::string car;
    {
        std::lock_guard lock(mutex_);
        car = bookCar_;
    }
    Call([&](ledger::Ledger* ledger) {
        if (ledger != nullptr && !car.empty()) ledger::LedgerMemoryBook(*ledger, car).Erased(kind, loggerId);
    });
}

void LedgerImporter::FindLastSource(const std::string& regNo) {
    QueueCall([this, regNo](ledger::Ledger* ledger) {
        std::vector<ledger::Download> downloads;
        if (ledger == nullptr || !ledger->Downloads(regNo, downloads).ok()) return;
        std::string source;
        for (const ledger::Download& d : downloads) {
            if (d.kind == ledger::DownloadKind::MtkImage || d.kind == ledger::DownloadKind::PhlxRecords)
                source = d.source;
        }
        if (source.empty()) return;
        const QString path = ToQString(source);
        QMetaObject::invokeMethod(
            this, [this, path] { emit lastSourceFound(path); }, Qt::QueuedConnection);
    });
}

void LedgerImporter::ImportDownload(const Settings& settings, const std::string& source, bool succeeded) {
    std::optional<ledger::ImportRequest> request;
    {
        std::lock_guard lock(mutex_);
        request.swap(downloaded_);
    }
    if (!request || (!succeeded && !request->partial)) return;
    if (settings.carNum.empty()) {
        emit statusChanged(QStringLiteral("차량번호(CAR_NUM)가 설정되지 않아 원장에 넣지 않았습니다"));
        return;
    }
    request->source = source;
    Job job;
    job.regNo = settings.carNum;
    job.seed = ledger::SeedCar(settings, settings.carNum);
    job.request = std::move(*request);
    Queue(std::move(job));
}

void LedgerImporter::ImportTrackFile(const Settings& header, const Settings& live, const std::string& path) {
    const Settings& named = header.carNum.empty() ? live : header;
    if (named.carNum.empty()) {
        emit statusChanged(QStringLiteral("차량번호(CAR_NUM)가 설정되지 않아 원장에 넣지 않았습니다"));
        return;
    }
    ledger::ImportRequest request;
    request.kind = ledger::DownloadKind::TrackFile;
    request.source = path;
    Job job;
    job.regNo = named.carNum;
    job.seed = ledger::SeedCar(named, named.carNum);
    job.request = std::move(request);
    job.filePath = path;
    Queue(std::move(job));
}

void LedgerImporter::Classify(const std::string& regNo, int64_t startTime, const ledger::TripEdit& edit,
                              uint32_t editNo) {
    Job job;
    job.regNo = regNo;
    job.edit = edit;
    job.startTime = startTime;
    job.editNo = editNo;
    Queue(std::move(job));
}

bool LedgerImporter::ReadTrips(const std::string& regNo, const ledger::Period& period,
                               std::vector<ledger::Trip>& trips) {
    if (!reader_) {
        // No file yet: nothing to read, and a read must not create one.
        std::error_code error;
        if (!ledger::IsPostgresLocation(ledgerPath_) && !std::filesystem::exists(ledgerPath_, error)) return false;
        if (!ledger::OpenLedger(ledgerPath_, ledger::LedgerUser(), reader_).ok()) {
            reader_.reset();
            return false;
        }
    }
    return reader_->Trips(regNo, period, trips).ok();
}

void LedgerImporter::WaitUntilIdle() {
    while (Busy()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    // The last results were posted before the queue went idle.
    QCoreApplication::processEvents();
}

bool LedgerImporter::Busy() const {
    std::lock_guard lock(mutex_);
    return running_ || !jobs_.empty();
}

void LedgerImporter::Queue(Job job) {
    // An edit is one quick statement: the status line is for imports.
    if (!job.edit) emit statusChanged(QStringLiteral("원장(%1)에 넣는 중...").arg(ToQString(job.regNo)));
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_all();
}

void LedgerImporter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;  // stopping, and nothing left to keep
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        running_ = true;
        lock.unlock();
        if (job.call) {
            std::string error;
            job.call(OpenLedger(error) ? ledger_.get() : nullptr);
            lock.lock();
            running_ = false;
            continue;
        }
        const QString text = Process(job);
        lock.lock();
        running_ = false;
        Post(text, jobs_.empty());
    }
}

QString LedgerImporter::Process(Job& job) {
    auto failed = [](const std::string& why) {
        return QStringLiteral("원장에 넣지 못했습니다: %1").arg(ToQString(why));
    };
    if (!job.filePath.empty()) {
        std::string error;
        if (ReadFileBytes(job.filePath, job.request.raw, error) != ReadStatus::Ok) {
            return failed(error.empty() ? job.filePath + ": 파일이 없습니다" : error);
        }
    }
    if (std::string error; !OpenLedger(error)) return failed(error);
    if (job.edit) {
        const ledger::Status status = ledger_->ClassifyTripStartingAt(job.regNo, job.startTime, *job.edit);
        if (!status.ok()) return failed(status.message());
        QMetaObject::invokeMethod(
            this, [this, editNo = job.editNo] { emit entryStored(editNo); }, Qt::QueuedConnection);
        return {};
    }
    ledger::ImportResult result;
    const ledger::Status status = ledger_->Import(job.regNo, job.seed, job.request, result);
    if (!status.ok()) return failed(status.message());
    if (job.request.partial) {
        return QStringLiteral("끊긴 다운로드를 원장(%1)에 보관했습니다: 다음 로그읽기가 이어서 읽습니다")
            .arg(ToQString(job.regNo));
    }
    QString text = QStringLiteral("원장(%1)에 위치 %2개를 더했습니다 (주행 %3개 다시 만듦)")
                       .arg(ToQString(job.regNo))
                       .arg(result.added)
                       .arg(result.tripsRebuilt);
    if (result.ruleClassified > 0) text += QStringLiteral(", 규칙으로 %1개 분류").arg(result.ruleClassified);
    return text;
}

bool LedgerImporter::OpenLedger(std::string& error) {
    if (ledger_) return true;
    const ledger::Status opened = ledger::OpenLedger(ledgerPath_, ledger::LedgerUser(), ledger_);
    if (!opened.ok()) error = opened.message();
    return opened.ok();
}

void LedgerImporter::Post(const QString& text, bool nowIdle) {
    QMetaObject::invokeMethod(
        this,
        [this, text, nowIdle] {
            if (!text.isEmpty()) emit statusChanged(text);
            if (nowIdle) emit idle();
        },
        Qt::QueuedConnection);
}

}  // namespace ml
