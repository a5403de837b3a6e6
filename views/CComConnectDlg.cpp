#include "views/CComConnectDlg.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "views/DialogUnits.h"
#include "views/UiThread.h"

namespace ml {

CComConnectDlg::CComConnectDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("comConnectDlg");
    setWindowTitle(QStringLiteral("시리얼 포트 연결"));
    // Wider and taller than the first design: the ports carry what the
    // system knows of them, and the full-read box and the search's note sit
    // under them.
    setFixedSize(DluX(280), DluY(92));
    combo_ = new QComboBox(this);
    combo_->setObjectName("combo1019");
    combo_->setGeometry(DluX(14), DluY(14), DluX(190), DluY(14));
    QPushButton* refresh = new QPushButton(QStringLiteral("새로 고침"), this);
    refresh->setObjectName("button1020");
    refresh->setAutoDefault(false);
    refresh->setGeometry(DluX(214), DluY(14), DluX(52), DluY(14));
    fullRead_ = new QCheckBox(QStringLiteral("전체 읽기 (지난번에 읽은 부분도 다시 읽기)"), this);
    fullRead_->setObjectName("fullReadCheck");
    fullRead_->setGeometry(DluX(14), DluY(33), DluX(252), DluY(12));
    note_ = new QLabel(this);
    note_->setObjectName("portNote");
    note_->setWordWrap(true);
    note_->setGeometry(DluX(14), DluY(47), DluX(252), DluY(22));
    QPushButton* ok = new QPushButton(QStringLiteral("확인"), this);
    ok->setObjectName("buttonOk");
    ok->setDefault(true);
    ok->setGeometry(DluX(160), DluY(72), DluX(50), DluY(14));
    QPushButton* cancel = new QPushButton(QStringLiteral("취소"), this);
    cancel->setObjectName("buttonCancel");
    cancel->setAutoDefault(false);
    cancel->setGeometry(DluX(216), DluY(72), DluX(50), DluY(14));
    connect(refresh, &QPushButton::clicked, this, &CComConnectDlg::OnRefresh);
    connect(ok, &QPushButton::clicked, this, &CComConnectDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CComConnectDlg::ClearPortCombo() {
    combo_->clear();
    note_->clear();
}

void CComConnectDlg::FillPortCombo(const QStringList& entries, int selected) {
    ML_ASSERT_UI_THREAD();
    combo_->addItems(entries);
    // Every port shows in the opened list without scrolling; the list is as
    // wide as its longest entry (pseudo-terminal paths and USB products are
    // long).
    combo_->setMaxVisibleItems(qMax(1, int(entries.size())));
    combo_->view()->setMinimumWidth(combo_->sizeHint().width());
    if (entries.isEmpty()) {
        combo_->setCurrentIndex(-1);
    } else {
        combo_->setCurrentIndex(selected >= 0 && selected < entries.size() ? selected : 0);
    }
}

void CComConnectDlg::MarkLogger(int index) {
    ML_ASSERT_UI_THREAD();
    if (index < 0 || index >= combo_->count()) return;
    combo_->setItemText(index, combo_->itemText(index) + QStringLiteral(" (로거)"));
    combo_->setCurrentIndex(index);
}

void CComConnectDlg::SetNote(const QString& text) { note_->setText(text); }

QString CComConnectDlg::note() const { return note_->text(); }

bool CComConnectDlg::fullRead() const { return fullRead_->isChecked(); }

void CComConnectDlg::OnRefresh() {
    ClearPortCombo();
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
