#include "views/OdometerDialog.h"

#include <QDateTimeEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/FormText.h"
#include "core/TextFormat.h"
#include "core/ledger/LedgerCalendar.h"
#include "store/ledger/Ledger.h"
#include "views/QtText.h"
#include "views/UserPrompts.h"

namespace ml {

OdometerDialog::OdometerDialog(ledger::Ledger& ledger, UserPrompts& prompts, std::string regNo, QWidget* parent)
    : QDialog(parent),
      ledger_(ledger),
      prompts_(prompts),
      regNo_(std::move(regNo)),
      list_(new QTableWidget(0, 3, this)),
      time_(new QDateTimeEdit(QDateTime::currentDateTime(), this)),
      km_(new QLineEdit(this)),
      note_(new QLineEdit(this)),
      add_(new QPushButton(QStringLiteral("추가"), this)),
      remove_(new QPushButton(QStringLiteral("삭제"), this)) {
    setObjectName(QStringLiteral("odometerDialog"));
    setWindowTitle(QStringLiteral("주행거리계 기록 - %1").arg(ToQString(regNo_)));
    resize(520, 420);
    list_->setHorizontalHeaderLabels(
        {QStringLiteral("시각"), QStringLiteral("주행거리계(km)"), QStringLiteral("메모")});
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->hide();
    time_->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
    time_->setCalendarPopup(true);
    km_->setPlaceholderText(QStringLiteral("예: 48,223.3"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("시각"), time_);
    form->addRow(QStringLiteral("주행거리계(km)"), km_);
    form->addRow(QStringLiteral("메모"), note_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add_);
    buttons->addStretch();
    buttons->addWidget(remove_);
    auto* close = new QPushButton(QStringLiteral("닫기"), this);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(add_, &QPushButton::clicked, this, &OdometerDialog::Add);
    connect(remove_, &QPushButton::clicked, this, &OdometerDialog::RemoveSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    Reload();
}

void OdometerDialog::Reload() {
    std::vector<ledger::OdometerReading> readings;
    const ledger::Status s = ledger_.Readings(regNo_, readings);
    list_->setRowCount(0);
    if (!s.ok()) {
        prompts_.Message(this, ToQString(s.message()), QStringLiteral("경고"));
        return;
    }
    list_->setRowCount(int(readings.size()));
    for (int i = 0; i < int(readings.size()); ++i) {
        const auto& r = readings[size_t(i)];
        auto* when = new QTableWidgetItem(ToQString(ledger::MinuteText(r.time)));
        when->setData(Qt::UserRole, qlonglong(r.id));
        list_->setItem(i, 0, when);
        auto* km = new QTableWidgetItem(ToQString(KmText(r.km)));
        km->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        list_->setItem(i, 1, km);
        list_->setItem(i, 2, new QTableWidgetItem(ToQString(r.note)));
    }
    list_->resizeColumnToContents(0);
}

void OdometerDialog::Add() {
    const std::string when = ToStdString(time_->dateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    const auto time = ledger::ParseDateTime(when);
    const auto km = ParseTypedNumber(ToStdString(km_->text().trimmed()));
    if (!time || !km) {
        prompts_.Message(this, QStringLiteral("주행거리계 값을 숫자로 입력하십시오"), QStringLiteral("경고"));
        return;
    }
    ledger::OdometerReading added;
    const ledger::Status s = ledger_.AddReading(regNo_, *time, *km, ToStdString(note_->text().trimmed()), added);
    if (!s.ok()) {
        prompts_.Message(this, ToQString(s.message()), QStringLiteral("경고"));
        return;
    }
    km_->clear();
    note_->clear();
    Reload();
    emit readingsChanged();
}

void OdometerDialog::RemoveSelected() {
    const int row = list_->currentRow();
    const QTableWidgetItem* item = row >= 0 ? list_->item(row, 0) : nullptr;
    if (!item) return;
    const QString text = QStringLiteral("%1 %2 km").arg(item->text(), list_->item(row, 1)->text());
    if (prompts_.Question(this, QStringLiteral("주행거리계 기록 %1을(를) 지우시겠습니까?").arg(text),
                          QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    const ledger::Status s = ledger_.RemoveReading(regNo_, item->data(Qt::UserRole).toLongLong());
    if (!s.ok()) prompts_.Message(this, ToQString(s.message()), QStringLiteral("경고"));
    Reload();
    emit readingsChanged();
}

}  // namespace ml
