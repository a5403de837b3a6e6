#include "app/LedgerImporter.h"

#include <QMetaObject>

#include "acquire/ReadLogFlow.h"
#include "store/ledger/CarSeed.h"
#include "store/ledger/LedgerLocation.h"
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
    flow.SetLogImageSink([this](std::span<const uint8_t> image) {
        ledger::ImportRequest request;
        request.kind = ledger::DownloadKind::MtkImage;
        request.raw.assign(image.begin(), image.end());
        std::lock_guard lock(mutex_);
        downloaded_ = std::move(request);
    });
    flow.SetPhlxRecordsSink([this](std::span<const uint8_t> records, int32_t timeBase) {
        ledger::ImportRequest request;
        request.kind = ledger::DownloadKind::PhlxRecords;
        request.raw.assign(records.begin(), records.end());
        request.detail = ledger::PhlxDetail(timeBase);
        std::lock_guard lock(mutex_);
        downloaded_ = std::move(request);
    });
}

void LedgerImporter::ImportDownload(const Settings& settings, const std::string& source) {
    std::optional<ledger::ImportRequest> request;
    {
        std::lock_guard lock(mutex_);
        request.swap(downloaded_);
    }
    if (!request) return;
    if (settings.carNum.empty()) {
        emit statusChanged(QStringLiteral("차량번호(CAR_NUM)가 설정되지 않아 원장에 넣지 않았습니다"));
        return;
    }
    request->source = source;
    Queue({settings.carNum, ledger::SeedCar(settings, settings.carNum), std::move(*request), {}});
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
    Queue({named.carNum, ledger::SeedCar(named, named.carNum), std::move(request), path});
}

bool LedgerImporter::Busy() const {
    std::lock_guard lock(mutex_);
    return running_ || !jobs_.empty();
}

void LedgerImporter::Queue(Job job) {
    emit statusChanged(QStringLiteral("원장(%1)에 넣는 중...").arg(ToQString(job.regNo)));
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
        const QString text = Process(job);
        lock.lock();
        running_ = false;
        Post(text, jobs_.empty());
    }
}

QString LedgerImporter::Process(Job& job) {
    auto failed = [](const std::string& why) { return QStringLiteral("원장에 넣지 못했습니다: %1").arg(ToQString(why)); };
    if (!job.filePath.empty()) {
        std::string error;
        if (ReadFileBytes(job.filePath, job.request.raw, error) != ReadStatus::Ok) {
            return failed(error.empty() ? job.filePath + ": 파일이 없습니다" : error);
        }
    }
    if (!ledger_) {
        const ledger::Status opened = ledger::OpenLedger(ledgerPath_, ledger::LedgerUser(), ledger_);
        if (!opened.ok()) return failed(opened.message());
    }
    ledger::ImportResult result;
    const ledger::Status status = ledger_->Import(job.regNo, job.seed, job.request, result);
    if (!status.ok()) return failed(status.message());
    QString text = QStringLiteral("원장(%1)에 위치 %2개를 더했습니다 (주행 %3개 다시 만듦)")
                       .arg(ToQString(job.regNo))
                       .arg(result.added)
                       .arg(result.tripsRebuilt);
    if (result.ruleClassified > 0) text += QStringLiteral(", 규칙으로 %1개 분류").arg(result.ruleClassified);
    return text;
}

void LedgerImporter::Post(const QString& text, bool nowIdle) {
    QMetaObject::invokeMethod(
        this,
        [this, text, nowIdle] {
            emit statusChanged(text);
            if (nowIdle) emit idle();
        },
        Qt::QueuedConnection);
}

}  // namespace ml
