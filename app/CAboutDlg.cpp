#include "app/CAboutDlg.h"

#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "views/DialogUnits.h"

namespace ml {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("aboutDlg");
    setWindowTitle(QStringLiteral("MileLedger 정보"));
    setFixedSize(DluX(170), DluY(62));
    auto* icon = new QLabel(this);
    icon->setGeometry(DluX(14), DluY(14), DluX(20), DluY(20));
    icon->setPixmap(QIcon(QStringLiteral(":/mileledger/icon.svg")).pixmap(DluX(20), DluY(20)));
    auto* name = new QLabel(QStringLiteral("MileLedger, 버전 %1").arg(QCoreApplication::applicationVersion()), this);
    name->setObjectName("versionLabel");
    name->setGeometry(DluX(42), DluY(14), DluX(120), DluY(10));
    auto* copyright = new QLabel(QStringLiteral("업무용 차량 운행기록"), this);
    copyright->setGeometry(DluX(42), DluY(26), DluX(120), DluY(10));
    auto* ok = new QPushButton(QStringLiteral("확인"), this);
    ok->setObjectName("buttonOk");
    ok->setDefault(true);
    ok->setGeometry(DluX(113), DluY(41), DluX(50), DluY(14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace ml
