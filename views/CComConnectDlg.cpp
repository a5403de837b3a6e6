#include "views/CComConnectDlg.h"

#include <QComboBox>
#include <QPushButton>

#include "views/DialogUnits.h"
#include "views/UiThread.h"

namespace ml {

CComConnectDlg::CComConnectDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("comConnectDlg");
    setWindowTitle(QStringLiteral("시리얼 포트 연결"));
    setFixedSize(DluX(197), DluY(60));
    combo_ = new QComboBox(this);
    combo_->setObjectName("combo1019");
    combo_->setGeometry(DluX(30), DluY(14), DluX(71), DluY(14));
    QPushButton* refresh = new QPushButton(QStringLiteral("새로 고침"), this);
    refresh->setObjectName("button1020");
    refresh->setAutoDefault(false);
    refresh->setGeometry(DluX(112), DluY(14), DluX(50), DluY(14));
    QPushButton* ok = new QPushButton(QStringLiteral("확인"), this);
    ok->setObjectName("buttonOk");
    ok->setDefault(true);
    ok->setGeometry(DluX(84), DluY(39), DluX(50), DluY(14));
    QPushButton* cancel = new QPushButton(QStringLiteral("취소"), this);
    cancel->setObjectName("buttonCancel");
    cancel->setAutoDefault(false);
    cancel->setGeometry(DluX(140), DluY(39), DluX(50), DluY(14));
    connect(refresh, &QPushButton::clicked, this, &CComConnectDlg::OnRefresh);
    connect(ok, &QPushButton::clicked, this, &CComConnectDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CComConnectDlg::ClearPortCombo() { combo_->clear(); }

void CComConnectDlg::FillPortCombo(const QStringList& portNames) {
    ML_ASSERT_UI_THREAD();
    combo_->addItems(portNames);
    // Every port shows in the opened list without scrolling, and the box is
    // wide enough for the longest name (pseudo-terminal paths are long).
    combo_->setMaxVisibleItems(qMax(1, int(portNames.size())));
    const int wanted = qMax(DluX(71), combo_->sizeHint().width());
    combo_->resize(qMin(wanted, width() - combo_->x() - DluX(197 - 110)), combo_->height());
    combo_->setCurrentIndex(portNames.isEmpty() ? -1 : 0);
}

void CComConnectDlg::OnRefresh() {
    combo_->clear();
    emit refreshRequested();
}

void CComConnectDlg::OnOK() {
    ML_ASSERT_UI_THREAD();
    const int index = combo_->currentIndex();
    hide();
    setResult(QDialog::Accepted);
    emit startRequested(index);
}

}  // namespace ml
