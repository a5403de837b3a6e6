// Renders the windows the README shows, with real data from a simulated
// read-log. Every picture must come out at its window's size; with
// MILELEDGER_SCREENSHOTS=DIR the pictures are also written there (the
// README's pictures are made that way under Xvfb with Korean fonts).
#include <QComboBox>
#include <QPainter>
#include <QPushButton>
#include <QtTest>

#include "app/CMainFrame.h"
#include "app/LoggerSimLauncher.h"
#include "tests/gui/FakePrompts.h"
#include "tests/support/TestSupport.h"
#include "views/CComConnectDlg.h"
#include "views/CComboListCtrl.h"
#include "views/CLoadingPopup.h"
#include "views/CMainDialog.h"
#include "views/CSettingDlg.h"
#include "views/CTrackInfo.h"
#include "views/TrackListModel.h"

using namespace ml;

namespace {

void Keep(const QPixmap& picture, const QString& name) {
    QVERIFY(!picture.isNull());
    const QString dir = qEnvironmentVariable("MILELEDGER_SCREENSHOTS");
    if (dir.isEmpty()) return;
    QVERIFY(picture.save(dir + "/" + name + ".png"));
}

// The frame with a child window drawn where it stands on the screen.
QPixmap WithWindowOver(QWidget* frame, QWidget* window) {
    // The virtual screen has no window manager: draw a plain caption bar
    // for windows that have a title.
    QPixmap picture = frame->grab();
    QPainter painter(&picture);
    const QPoint at = window->geometry().topLeft() - frame->geometry().topLeft();
    if (!window->windowTitle().isEmpty()) {
        const QRect bar(at.x() - 1, at.y() - 24, window->width() + 2, 24);
        painter.fillRect(bar, QColor("#0b3d66"));
        painter.setPen(Qt::white);
        painter.drawText(bar.adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, window->windowTitle());
        painter.setPen(QColor("#0b3d66"));
        painter.drawRect(QRect(at.x() - 1, at.y() - 1, window->width() + 1, window->height() + 1));
    }
    painter.drawPixmap(at, window->grab());
    return picture;
}

}  // namespace

class ScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void windowsOfARead() {
        const QString program = QString::fromStdString(test::LoggerSimPath());
        if (!QFileInfo(program).isExecutable()) QSKIP("logger simulator not built");
        LoggerSimLauncher sim;
        QString error;
        const QString port = sim.Start(program, "mtk", 5000, error, {"--pace"});
        QVERIFY2(!port.isEmpty(), qPrintable(error));
        test::TempDir dir;
        test::FakePrompts prompts;
        FrameOptions options;
        options.settingsPath = dir.File("Setting.ini");
        options.online = false;
        options.prompts = &prompts;
        options.extraPorts = {port.toStdString()};
        CMainFrame frame(options);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        // The first start asks for the company, the car and the driver.
        QTRY_VERIFY(frame.settingDlg()->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(frame.settingDlg()));
        Keep(WithWindowOver(&frame, frame.settingDlg()), "first-start");
        frame.settingDlg()->reject();
        frame.settingDlg()->ShowFirstStartNote(false);

        frame.ReadLogCommand();
        CComConnectDlg* connect = frame.connectDlg();
        const int index = connect->portCombo()->findText(QString::fromStdString(frame.session().portList.back().portName),
                                                         Qt::MatchStartsWith);
        connect->portCombo()->setCurrentIndex(index);
        QVERIFY(QTest::qWaitForWindowExposed(connect));
        Keep(WithWindowOver(&frame, connect), "connect-dialog");

        QSignalSpy finished(&frame, &CMainFrame::downloadFinished);
        QTest::mouseClick(connect->findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
        CLoadingPopup* popup = frame.loadingPopup();
        QTRY_VERIFY_WITH_TIMEOUT(popup->StatusText(3).startsWith("(") && !popup->StatusText(3).startsWith("(0/"), 20000);
        Keep(WithWindowOver(&frame, popup), "loading-popup");
        QVERIFY(finished.wait(120000));
        QVERIFY(frame.session().tracks.size() > 0);

        CComboListCtrl* list = frame.mainDialog()->listControl();
        TrackListModel* model = frame.mainDialog()->model();
        model->SetChecked(1, false);
        model->setData(model->index(0, 3), "일반업무용");
        model->setData(model->index(0, 4), "거래처 방문");
        model->setData(model->index(2, 3), "출퇴근용");
        const QRect cell = list->visualRect(model->index(0, 2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(frame.grab().size(), frame.size());
        Keep(frame.grab(), "main-window");
        Keep(frame.mainDialog()->grab(frame.mainDialog()->findChild<CTrackInfo*>()->geometry()), "info-panel");

        frame.VehicleInfoCommand();
        QVERIFY(QTest::qWaitForWindowExposed(frame.settingDlg()));
        Keep(frame.settingDlg()->grab(), "settings-dialog");
        frame.settingDlg()->reject();
    }
};

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
