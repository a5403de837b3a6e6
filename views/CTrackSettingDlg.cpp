#include "views/CTrackSettingDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "core/TextFormat.h"
#include "views/DialogUnits.h"
#include "views/QtText.h"

namespace ml {

CTrackSettingDlg::CTrackSettingDlg(int cutSeconds, QWidget* parent) : QDialog(parent), cutSeconds_(cutSeconds) {
    setObjectName("trackSettingDlg");
    setWindowTitle(QStringLiteral("트랙설정"));
    setFixedSize(DluX(179), DluY(74));
    auto* caption = new QLabel(QStringLiteral("트랙 설정"), this);
    caption->setGeometry(DluX(20), DluY(25), DluX(57), DluY(9));
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit_ = new QLineEdit(QString::number(cutSeconds), this);
    edit_->setObjectName("edit1040");
    edit_->setGeometry(DluX(79), DluY(22), DluX(40), DluY(14));
    // Digits only: a cut time cannot be negative. Nine digits keep the value
    // inside a signed 32-bit number.
    edit_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), edit_));
    auto* unit = new QLabel(QStringLiteral("초"), this);
    unit->setGeometry(DluX(126), DluY(25), DluX(20), DluY(9));
    auto* ok = new QPushButton(QStringLiteral("확인"), this);
    ok->setObjectName("buttonOk");
    ok->setDefault(true);
    ok->setGeometry(DluX(38), DluY(53), DluX(50), DluY(14));
    auto* cancel = new QPushButton(QStringLiteral("취소"), this);
    cancel->setObjectName("buttonCancel");
    cancel->setAutoDefault(false);
    cancel->setGeometry(DluX(93), DluY(53), DluX(50), DluY(14));
    connect(ok, &QPushButton::clicked, this, &CTrackSettingDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CTrackSettingDlg::reject);
}

void CTrackSettingDlg::accept() {
    cutSeconds_ = int(LeadingInt(ToStdString(edit_->text())));
    QDialog::accept();
}

}  // namespace ml
