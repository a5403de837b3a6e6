// The separate windows and dialogs.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "app/CAboutDlg.h"
#include "app/CSplashWindow.h"
#include "store/Settings.h"
#include "store/platform/Cp949Codec.h"
#include "views/CComConnectDlg.h"
#include "views/CLoadingPopup.h"
#include "views/CProgressDlg.h"
#include "views/CSettingDlg.h"

using namespace ml;

namespace {

QLineEdit* Field(QWidget& dialog, int id) { return dialog.findChild<QLineEdit*>(QStringLiteral("edit%1").arg(id)); }
QString Text(QWidget& parent, const QString& name) { return parent.findChild<QLabel*>(name)->text(); }

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    // What it shows, keeps and refuses is MainFrameTest's, over the program's own file.
    void settingDialogShowsTheTwelveFields() {
        CSettingDlg dialog(DefaultSettings(), Cp949Codec::Instance(), {});
        QCOMPARE(dialog.windowTitle(), QString("차량 정보 설정"));
        for (int id : {1026, 1027, 1023, 1024, 1021, 1028, 1029, 1022, 1025, 1003, 1004, 1006}) {
            const bool left = id == 1003 || id == 1004 || id == 1006;
            QCOMPARE(bool(Field(dialog, id)->alignment() & Qt::AlignLeft), left);
        }
        QStringList labels;
        for (QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
        for (const char* text :
             {"법인명", "사업자등록번호", "사업년도", "(YYYY.MM.DD)", "유류비", "KRW/L", "차종", "자동차등록번호",
              "차량 연비", "Km/L", "계기판 거리", "Km", "사번", "이름", "부서명"}) {
            QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
        }
    }

    void loadingPopupLinesCancelAndKeys() {
        CLoadingPopup popup;
        QCOMPARE(Text(popup, "label1037"), QString("데이터 확인 중.."));
        popup.OnStage(0, {});
        QCOMPARE(Text(popup, "label1037"), QString("데이터 확인 중..."));
        popup.OnStage(3, "(10/200)");
        QCOMPARE(Text(popup, "status1035"), QString("(10/200)"));
        popup.OnStage(6, "ignored");
        popup.OnStage(-1, "ignored");
        for (const char* status : {"status1033", "status1034", "status1036", "status1041"})
            QCOMPARE(Text(popup, status), QString("."));

        popup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popup));
        QTest::keyClick(&popup, Qt::Key_Escape);
        QTest::keyClick(&popup, Qt::Key_Return);
        QVERIFY(popup.isVisible());
        auto* button = popup.findChild<QPushButton*>("cancelButton");
        QTest::mouseClick(button, Qt::LeftButton);  // what it cancels is ReadLogWindowTest's
        QVERIFY(!button->isEnabled());              // asked once
        popup.ResetCancel();
        QVERIFY(button->isEnabled());
    }

    // OK on a port is ReadLogWindowTest's, against the simulator.
    void connectDialogMarksTheLoggerAndRefreshEmptiesTheList() {
        CComConnectDlg dialog;
        auto* combo = dialog.findChild<QComboBox*>("combo1019");
        dialog.FillPortCombo({"ttyUSB0", "ttyUSB1", "/dev/pts/7"});
        QVERIFY(combo->maxVisibleItems() >= 3);
        dialog.MarkLogger(1);
        QCOMPARE(combo->currentText(), QString("ttyUSB1 (로거)"));
        // Refresh empties the box and asks for a new enumeration; with no
        // port OK passes -1.
        QSignalSpy start(&dialog, &CComConnectDlg::startRequested);
        QSignalSpy refresh(&dialog, &CComConnectDlg::refreshRequested);
        QTest::mouseClick(dialog.findChild<QPushButton*>("button1020"), Qt::LeftButton);
        QCOMPARE(refresh.size(), 1);
        QCOMPARE(combo->count(), 0);
        QTest::mouseClick(dialog.findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
        QCOMPARE(start.last()[0].toInt(), -1);
    }

    void progressDialogCounts() {
        CProgressDlg dialog;
        auto* bar = dialog.findChild<QProgressBar*>("progress401");
        dialog.SetTotal(250);
        dialog.SetPosition(100);
        QCOMPARE(dialog.Text(), QString("100/250"));
        QCOMPARE(bar->value(), 100);
        dialog.SetPosition(900);  // beyond the total: the text says so, the bar stays full
        QCOMPARE(dialog.Text(), QString("900/250"));
        QCOMPARE(bar->value(), 250);
    }

    void aboutBoxAndSplash() {
        CAboutDlg about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());

        CSplashWindow splash;
        QVERIFY(splash.HasPicture());
        QCOMPARE(splash.size(), QSize(815, 510));
        const QRect desk = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(splash.pos(),
                 QPoint(desk.left() + desk.width() / 2 - 815 / 2, desk.top() + desk.height() / 2 - 510 / 2));
        splash.show();
        QTest::mouseClick(&splash, Qt::LeftButton);
        QTest::keyClick(&splash, Qt::Key_Escape);
        QVERIFY(splash.isVisible());
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
