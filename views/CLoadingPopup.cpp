#include "views/CLoadingPopup.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "views/DialogUnits.h"
#include "views/UiThread.h"

namespace ml {

namespace {

struct Line {
    int labelId;
    const char* templateText;  // shown before the first download
    const char* resetText;     // shown from the first download on
    int statusId;
    int labelX, labelY, statusX, statusY, statusWidth;
};

// Line 2's first label has two dots and its reset text three; both are
// what the user has always seen.
const Line kLines[CLoadingPopup::kLineCount] = {
    {1032, "수신기에 접속 중...", "수신기에 접속 중...", 1033, 21, 16, 147, 16, 52},
    {1037, "데이터 확인 중..", "데이터 확인 중...", 1034, 21, 32, 142, 32, 57},
    {1038, "데이터 다운로드 중...", "데이터 다운로드 중...", 1035, 21, 48, 129, 48, 70},
    {1039, "데이터 디코딩 중..", "데이터 디코딩 중..", 1036, 21, 64, 122, 64, 77},
    {1040, "데이터 트랙 생성 중..", "데이터 트랙 생성 중..", 1041, 22, 80, 122, 79, 77},
};

// The note line under the five stages.
constexpr int kNoteHeight = 18;

}  // namespace

CLoadingPopup::CLoadingPopup(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    // Not kept on top: the question about the tracks in memory and the
    // download's messages must show above it.
    setObjectName("loadingPopup");
    setFixedSize(DluX(232), DluY(102) + 34 + kNoteHeight);
    setStyleSheet(QStringLiteral("#loadingPopup { border: 1px solid #808080; background: white; }"));
    setAttribute(Qt::WA_StyledBackground, true);
    for (int i = 0; i < kLineCount; ++i) {
        const Line& line = kLines[i];
        QLabel* label = new QLabel(QString::fromUtf8(line.templateText), this);
        label->setObjectName(QStringLiteral("label%1").arg(line.labelId));
        label->setGeometry(DluX(line.labelX), DluY(line.labelY), DluX(line.statusX - line.labelX), DluY(9));
        QLabel* status = new QLabel(QStringLiteral("."), this);
        status->setObjectName(QStringLiteral("status%1").arg(line.statusId));
        status->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        status->setGeometry(DluX(line.statusX), DluY(line.statusY), DluX(line.statusWidth), DluY(9));
        labels_[size_t(i)] = label;
        statuses_[size_t(i)] = status;
    }
    note_ = new QLabel(this);
    note_->setObjectName("loadingNote");
    note_->setGeometry(DluX(21), DluY(94), width() - DluX(21) - 12, kNoteHeight);
    cancelButton_ = new QPushButton(QStringLiteral("취소"), this);
    cancelButton_->setObjectName("cancelButton");
    cancelButton_->setAutoDefault(false);
    cancelButton_->setGeometry(width() - DluX(50) - 12, height() - 34, DluX(50), 26);
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        cancelButton_->setEnabled(false);
        emit cancelRequested();
    });
}

void CLoadingPopup::OnStage(int line, const QString& text) {
    ML_ASSERT_UI_THREAD();
    if (line == 0) {
        for (int i = 0; i < kLineCount; ++i) labels_[size_t(i)]->setText(QString::fromUtf8(kLines[i].resetText));
        note_->clear();
        return;
    }
    if (line < 1 || line > kLineCount) return;
    statuses_[size_t(line - 1)]->setText(text);
}

void CLoadingPopup::SetNote(const QString& text) {
    ML_ASSERT_UI_THREAD();
    note_->setText(text);
}

QString CLoadingPopup::NoteText() const { return note_->text(); }

void CLoadingPopup::ResetCancel() { cancelButton_->setEnabled(true); }

void CLoadingPopup::keyPressEvent(QKeyEvent* event) {
    // The popup closes only when the download is over.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace ml
