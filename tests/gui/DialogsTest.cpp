// The separate windows: the vehicle information dialog (OK, Cancel, the
// 127-byte fields), the loading popup, the connect dialog, the progress
// dialog, the about box and the splash.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/CAboutDlg.h"
#include "app/CSplashWindow.h"
#include "store/platform/Cp949Codec.h"
#include "store/platform/SettingsFile.h"
#include "tests/support/TestSupport.h"
#include "views/CComConnectDlg.h"
#include "views/CLoadingPopup.h"
#include "views/CProgressDlg.h"
#include "views/CSettingDlg.h"

using namespace ml;

namespace {

const int kFieldIds[] = {1026, 1027, 1023, 1024, 1021, 1028, 1029, 1022, 1025, 1003, 1004, 1006};

// A dialog over a real settings file, as the main window makes it.
struct SettingForm {
    SettingForm()
        : dialog(StartSettings(dir.File("Setting.ini")).settings, Cp949Codec::Instance(), [this](const Settings& s) {
              ++saves;
              const SaveResult r = SaveSettings(dir.File("Setting.ini"), s);
              return r.ok ? std::string() : r.error;
          }) {}
    Settings OnDisk() { return LoadSettings(dir.File("Setting.ini")).settings; }
    test::TempDir dir;
    int saves = 0;
    CSettingDlg dialog;
};

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void settingDialogShowsTheTwelveFields() {
        SettingForm form;
        QCOMPARE(form.dialog.windowTitle(), QString("차량 정보 설정"));
        const Settings& s = form.dialog.settings();
        QCOMPARE(form.dialog.fieldEdit(1004)->text(), QString::fromStdString(s.employeeName));
        QCOMPARE(form.dialog.fieldEdit(1025)->text(), QString::fromStdString(s.carMaterNum));
        QCOMPARE(form.dialog.fieldEdit(1021)->text(), QString("1459"));
        for (int id : kFieldIds) {
            const bool left = id == 1003 || id == 1004 || id == 1006;
            QCOMPARE(bool(form.dialog.fieldEdit(id)->alignment() & Qt::AlignLeft), left);
        }
        QStringList labels;
        for (QLabel* label : form.dialog.findChildren<QLabel*>()) labels << label->text();
        for (const char* text : {"법인명", "사업자등록번호", "사업년도", "(YYYY.MM.DD)", "유류비", "KRW/L", "차종",
                                 "자동차등록번호", "차량 연비", "Km/L", "계기판 거리", "Km", "사번", "이름", "부서명"}) {
            QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
        }
    }

    void okStoresAndWritesTheFile() {
        SettingForm form;
        form.dialog.fieldEdit(1004)->setText("김철수");
        form.dialog.fieldEdit(1029)->setText("12가 3456");
        QTest::mouseClick(form.dialog.findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
        QCOMPARE(form.dialog.result(), int(QDialog::Accepted));
        QCOMPARE(form.dialog.settings().employeeName, std::string("김철수"));
        QCOMPARE(form.OnDisk().employeeName, std::string("김철수"));
        QCOMPARE(form.OnDisk().carNum, std::string("12가 3456"));
        QCOMPARE(form.OnDisk().trackCutTime, 60);  // the numbers are written as they are
    }

    void okWithoutChangesRewritesTheSameValues() {
        SettingForm form;
        const Settings before = form.OnDisk();
        form.dialog.accept();
        QCOMPARE(form.saves, 1);
        QCOMPARE(form.OnDisk(), before);
    }

    void longTextsAreCutTo127Bytes() {
        SettingForm form;
        form.dialog.fieldEdit(1026)->setText(QString(130, QLatin1Char('A')));
        // 65 Hangul syllables are 130 bytes in CP949; 63 fit, never half of one.
        form.dialog.fieldEdit(1028)->setText(QString(65, QChar(0xAC00)));
        form.dialog.accept();
        QCOMPARE(form.dialog.settings().corporateName, std::string(127, 'A'));
        QCOMPARE(form.OnDisk().corporateName, std::string(127, 'A'));
        QCOMPARE(QString::fromStdString(form.OnDisk().carName), QString(63, QChar(0xAC00)));
        // The dialog shows what was stored.
        QCOMPARE(form.dialog.fieldEdit(1026)->text().size(), 127);
    }

    void cancelDiscardsTheEdits() {
        SettingForm form;
        const Settings before = form.dialog.settings();
        form.dialog.show();
        form.dialog.fieldEdit(1026)->setText("typed, then cancelled");
        QTest::mouseClick(form.dialog.findChild<QPushButton*>("buttonCancel"), Qt::LeftButton);
        QVERIFY(!form.dialog.isVisible());
        QCOMPARE(form.saves, 0);
        QCOMPARE(form.dialog.settings(), before);
        form.dialog.ShowSettings();  // what the menu command does before showing it again
        QCOMPARE(form.dialog.fieldEdit(1026)->text(), QString::fromStdString(before.corporateName));
    }

    void loadingPopupLinesAndReset() {
        CLoadingPopup popup;
        QCOMPARE(popup.LabelText(2), QString("데이터 확인 중.."));
        for (int line = 1; line <= 5; ++line) QCOMPARE(popup.StatusText(line), QString("."));
        popup.OnStage(0, {});
        QCOMPARE(popup.LabelText(1), QString("수신기에 접속 중..."));
        QCOMPARE(popup.LabelText(2), QString("데이터 확인 중..."));
        QCOMPARE(popup.LabelText(3), QString("데이터 다운로드 중..."));
        QCOMPARE(popup.LabelText(4), QString("데이터 디코딩 중.."));
        QCOMPARE(popup.LabelText(5), QString("데이터 트랙 생성 중.."));
        popup.OnStage(3, "(10/200)");
        QCOMPARE(popup.StatusText(3), QString("(10/200)"));
        popup.OnStage(6, "ignored");
        popup.OnStage(-1, "ignored");
        for (int line : {1, 2, 4, 5}) QCOMPARE(popup.StatusText(line), QString("."));
    }

    void loadingPopupIgnoresEnterAndEscape() {
        CLoadingPopup popup;
        popup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&popup));
        QTest::keyClick(&popup, Qt::Key_Escape);
        QTest::keyClick(&popup, Qt::Key_Return);
        QVERIFY(popup.isVisible());
        QSignalSpy cancel(&popup, &CLoadingPopup::cancelRequested);
        QTest::mouseClick(popup.cancelButton(), Qt::LeftButton);
        QCOMPARE(cancel.size(), 1);
        QVERIFY(!popup.cancelButton()->isEnabled());  // asked once
        popup.ResetCancel();
        QVERIFY(popup.cancelButton()->isEnabled());
    }

    void connectDialogListsThePorts() {
        CComConnectDlg dialog;
        QCOMPARE(dialog.windowTitle(), QString("시리얼 포트 연결"));
        dialog.FillPortCombo({"ttyUSB0", "ttyUSB1", "/dev/pts/7"});
        QCOMPARE(dialog.portCombo()->count(), 3);
        QCOMPARE(dialog.portCombo()->currentIndex(), 0);
        QVERIFY(dialog.portCombo()->maxVisibleItems() >= 3);
        dialog.MarkLogger(1);
        QCOMPARE(dialog.portCombo()->currentText(), QString("ttyUSB1 (로거)"));
        QVERIFY(!dialog.fullRead());
        QSignalSpy start(&dialog, &CComConnectDlg::startRequested);
        dialog.portCombo()->setCurrentIndex(2);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
        QCOMPARE(start.size(), 1);
        QCOMPARE(start[0][0].toInt(), 2);
        QVERIFY(!dialog.isVisible());

        // Refresh empties the box and asks for a new enumeration; with no
        // port OK passes -1.
        QSignalSpy refresh(&dialog, &CComConnectDlg::refreshRequested);
        QTest::mouseClick(dialog.findChild<QPushButton*>("button1020"), Qt::LeftButton);
        QCOMPARE(refresh.size(), 1);
        QCOMPARE(dialog.portCombo()->count(), 0);
        QTest::mouseClick(dialog.findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
        QCOMPARE(start.last()[0].toInt(), -1);
    }

    void progressDialogCounts() {
        CProgressDlg dialog;
        QCOMPARE(dialog.Text(), QString("0/0"));
        dialog.SetTotal(250);
        QCOMPARE(dialog.Text(), QString("0/250"));
        dialog.SetPosition(100);
        QCOMPARE(dialog.Text(), QString("100/250"));
        QCOMPARE(dialog.Position(), 100);
        dialog.SetPosition(900);  // beyond the total: the text says so, the bar stays full
        QCOMPARE(dialog.Text(), QString("900/250"));
        QCOMPARE(dialog.Position(), 250);
    }

    void aboutBoxClosesWithOkAndEscape() {
        CAboutDlg about;
        QCOMPARE(about.windowTitle(), QString("MileLedger 정보"));
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
        about.show();
        QTest::mouseClick(about.findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }

    void splashHasItsSizeAndIgnoresInput() {
        CSplashWindow splash;
        QVERIFY(splash.HasPicture());
        QCOMPARE(splash.size(), QSize(815, 510));
        const QRect desk = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(splash.pos(), QPoint(desk.left() + desk.width() / 2 - 815 / 2, desk.top() + desk.height() / 2 - 510 / 2));
        splash.show();
        QTest::mouseClick(&splash, Qt::LeftButton);
        QTest::keyClick(&splash, Qt::Key_Escape);
        QVERIFY(splash.isVisible());
        // ShowSplash returns after its time, not before.
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(50, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() == "splashWindow" && w->isVisible()) QTest::keyClick(w, Qt::Key_Escape);
            }
        });
        ShowSplash(400);
        QVERIFY(clock.elapsed() >= 390);
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
