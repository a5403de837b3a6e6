#include "views/CSettingDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "store/SettingBlock.h"
#include "views/DialogUnits.h"
#include "views/QtText.h"
#include "views/UiThread.h"

namespace ml {

namespace {

struct Field {
    int id;
    const char* label;  // null: the second line of the business year
    std::string Settings::*value;
    int labelX, labelY, editX, editY, editWidth;
    bool alignRight;
    const char* unit;  // shown right of the edit, may be null
    int unitX, unitY;
};

const Field kFields[CSettingDlg::kFieldCount] = {
    {1026, "법인명", &Settings::corporateName, 16, 16, 78, 14, 66, true, nullptr, 0, 0},
    {1027, "사업자등록번호", &Settings::corporateNum, 16, 36, 78, 34, 65, true, nullptr, 0, 0},
    {1023, "사업년도", &Settings::businessYearStart, 16, 57, 78, 55, 66, true, nullptr, 0, 0},
    {1024, nullptr, &Settings::businessYearEnd, 0, 0, 78, 74, 66, true, nullptr, 0, 0},
    {1021, "유류비", &Settings::oilBill, 16, 96, 78, 94, 40, true, "KRW/L", 122, 96},
    {1028, "차종", &Settings::carName, 158, 18, 219, 16, 64, true, nullptr, 0, 0},
    {1029, "자동차등록번호", &Settings::carNum, 158, 38, 219, 36, 64, true, nullptr, 0, 0},
    {1022, "차량 연비", &Settings::carMileage, 158, 60, 219, 58, 52, true, "Km/L", 276, 61},
    {1025, "계기판 거리", &Settings::carMaterNum, 158, 80, 219, 78, 52, true, "Km", 278, 80},
    {1003, "사번", &Settings::employeeNum, 16, 127, 78, 125, 66, false, nullptr, 0, 0},
    {1004, "이름", &Settings::employeeName, 16, 146, 78, 144, 66, false, nullptr, 0, 0},
    {1006, "부서명", &Settings::employeePartName, 158, 130, 218, 128, 63, false, nullptr, 0, 0},
};

}  // namespace

CSettingDlg::CSettingDlg(Settings initial, const TextCodec& codec, Saver saver, QWidget* parent)
    : QDialog(parent), settings_(std::move(initial)), codec_(codec), saver_(std::move(saver)) {
    setObjectName("settingDlg");
    setWindowTitle(QStringLiteral("차량 정보 설정"));
    setFixedSize(DluX(307), DluY(183));
    for (int i = 0; i < kFieldCount; ++i) {
        const Field& field = kFields[i];
        if (field.label) {
            auto* label = new QLabel(QString::fromUtf8(field.label), this);
            label->setGeometry(DluX(field.labelX), DluY(field.labelY), DluX(field.editX - field.labelX - 2), DluY(10));
        }
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("edit%1").arg(field.id));
        edit->setGeometry(DluX(field.editX), DluY(field.editY), DluX(field.editWidth), DluY(14));
        edit->setAlignment((field.alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        if (field.unit) {
            auto* unit = new QLabel(QString::fromUtf8(field.unit), this);
            unit->setGeometry(DluX(field.unitX), DluY(field.unitY), DluX(30), DluY(10));
        }
        edits_[size_t(i)] = edit;
    }
    auto* yearFormat = new QLabel(QStringLiteral("(YYYY.MM.DD)"), this);
    yearFormat->setGeometry(DluX(16), DluY(67), DluX(60), DluY(10));
    auto* ok = new QPushButton(QStringLiteral("확인"), this);
    ok->setObjectName("buttonOk");
    ok->setDefault(true);
    ok->setGeometry(DluX(198), DluY(162), DluX(50), DluY(14));
    auto* cancel = new QPushButton(QStringLiteral("취소"), this);
    cancel->setObjectName("buttonCancel");
    cancel->setAutoDefault(false);
    cancel->setGeometry(DluX(250), DluY(162), DluX(50), DluY(14));
    firstStartNote_ =
        new QLabel(QStringLiteral("처음 시작하셨습니다. 양식에 인쇄될 회사, 차량, 운전자 정보를 입력하세요."), this);
    firstStartNote_->setObjectName("firstStartNote");
    firstStartNote_->setWordWrap(true);
    firstStartNote_->setStyleSheet(QStringLiteral("color: #0b3d66; font-weight: bold;"));
    firstStartNote_->setGeometry(DluX(7), DluY(159), DluX(186), DluY(22));
    firstStartNote_->hide();
    connect(ok, &QPushButton::clicked, this, &CSettingDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSettingDlg::reject);
    ShowSettings();
}

void CSettingDlg::ShowFirstStartNote(bool show) { firstStartNote_->setVisible(show); }

void CSettingDlg::ShowSettings() {
    for (int i = 0; i < kFieldCount; ++i) edits_[size_t(i)]->setText(ToQString(settings_.*(kFields[i].value)));
}

void CSettingDlg::accept() {
    ML_ASSERT_UI_THREAD();
    Settings edited = settings_;
    for (int i = 0; i < kFieldCount; ++i) edited.*(kFields[i].value) = ToStdString(edits_[size_t(i)]->text());
    // A number the forms would misread, or a business year that is no pair
    // of dates, is refused here: the dialog stays open on the field.
    if (const auto problem = NormalizeSettingInputs(edited)) {
        for (int i = 0; i < kFieldCount; ++i) {
            if (kFields[i].value != problem->field) continue;
            edits_[size_t(i)]->setFocus(Qt::OtherFocusReason);
            edits_[size_t(i)]->selectAll();
        }
        emit inputRefused(ToQString(problem->message));
        return;
    }
    // Each text keeps what its 127-byte field in the file can hold, cut on a
    // character boundary, so memory and file always agree.
    settings_ = FitSettings(edited, codec_);
    ShowSettings();
    if (saver_) {
        const std::string error = saver_(settings_);
        if (!error.empty()) emit saveFailed(ToQString(error));
    }
    firstStartNote_->hide();
    QDialog::accept();
}

}  // namespace ml
