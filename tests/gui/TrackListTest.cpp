// The track list's model and the form around it as the user works with it.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

#include "core/MapStatements.h"
#include "tests/gui/GuiTestData.h"
#include "views/CComboListCtrl.h"
#include "views/CMainDialog.h"
#include "views/CTrackInfo.h"
#include "views/QtText.h"
#include "views/TrackListModel.h"
#include "views/TrackMapSink.h"

using namespace ml;

namespace {

class RecordingMap : public TrackMapSink {
public:
    void CallPageScript(const QString& statement) override { statements << statement; }
    QStringList statements;
};

// A form in a window of its own, active so that clicks move the focus.
struct Form {
    explicit Form(bool showMap = false, int tracks = 3) : tracks(test::SampleTracks(tracks)), dialog(showMap) {
        dialog.resize(1000, 700);
        if (showMap) dialog.setMapView(new QWidget, &map);
        dialog.show();
        dialog.activateWindow();
        active = QTest::qWaitForWindowActive(&dialog);
    }
    CComboListCtrl* list() { return dialog.listControl(); }
    TrackListModel* model() { return dialog.model(); }
    QString Cell(int row, int column) { return model()->index(row, column).data().toString(); }
    QString Panel(int line) { return dialog.findChild<QLabel*>(QStringLiteral("value%1").arg(line))->text(); }
    void ClickCell(int row, int column, Qt::KeyboardModifiers modifiers = {}) {
        const QRect cell = list()->visualRect(model()->index(row, column));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    void ClickHeader(int section) {
        QHeaderView* header = list()->horizontalHeader();
        const int x = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    template <typename Editor>
    Editor* OpenEditor() {
        for (Editor* editor : list()->findChildren<Editor*>()) {
            if (editor->isVisible()) return editor;
        }
        return nullptr;
    }
    TrackList tracks;
    RecordingMap map;
    CMainDialog dialog;
    bool active = false;
};

}  // namespace

class TrackListTest : public QObject {
    Q_OBJECT
private slots:
    void modelShowsTheTracksAndWritesThrough() {
        TrackList tracks = test::SampleTracks(3);
        TrackListModel model;
        QSignalSpy checks(&model, &TrackListModel::checkChanged);
        QSignalSpy edits(&model, &TrackListModel::entryEdited);
        model.Reset(&tracks);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 13);
        QStringList headers;
        for (int c = 0; c < 13; ++c) headers << model.headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers,
                 (QStringList{"NO", " ", "트랙이름", "사용용도", "운행목적", "트랙시간", "이동거리", "시작시간",
                              "종료시간", "시작위치(위경도)", "종료위치(위경도)", "시작위치(주소)", "종료위치(주소)"}));
        QCOMPARE(model.index(2, 0).data().toString(), QString("3"));
        QCOMPARE(model.index(0, 6).data().toString(), ToQString(tracks[0].distanceText));
        const uint32_t c = tracks[0].color;  // 0x00BBGGRR
        QCOMPARE(model.index(0, 1).data(Qt::BackgroundRole).value<QColor>(),
                 QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)));
        QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
        for (int column : {0, 2, 6}) QVERIFY(!(model.flags(model.index(0, column)) & Qt::ItemIsEditable));
        QCOMPARE(TrackListModel::UseChoices(), (QStringList{"출퇴근용", "일반업무용", "비업무용"}));

        model.SetChecked(1, true);
        QCOMPARE(tracks[1].selected, 1);
        QCOMPARE(model.index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        model.SetChecked(1, true);  // no change, no signal
        QCOMPARE(checks.size(), 1);

        QVERIFY(model.setData(model.index(0, 4), "거래처"));
        QCOMPARE(tracks[0].purpose, std::string("거래처"));
        QVERIFY(tracks[0].unsavedEdit != 0);
        QVERIFY(model.setData(model.index(0, 4), "거래처"));  // the same text is no edit
        QCOMPARE(edits.size(), 1);
        QVERIFY(!model.setData(model.index(0, 2), "x"));  // read-only

        // The frame emptied its list; the rows stay until the next reset and
        // write nothing.
        tracks.clear();
        model.SetChecked(0, true);
        QVERIFY(model.setData(model.index(2, 4), "x"));
        QCOMPARE(checks.size(), 1);
        QCOMPARE(edits.size(), 1);
    }

    void refreshTicksAllAndDrivesTheMapAndThePanel() {
        Form form(true);
        QVERIFY(form.active);
        for (int k = 0; k < CTrackInfo::kLineCount; ++k) QCOMPARE(form.Panel(k), QString());
        form.ClickHeader(0);  // before any refresh: nothing to toggle
        form.tracks[2].use = "출퇴근용";
        form.dialog.RefreshTracks(form.tracks);
        QStringList expected;
        for (const std::string& s : MapRefreshStatements(form.tracks)) expected << QString::fromStdString(s);
        for (int r = 0; r < 3; ++r) expected << QString::fromStdString(ShowRawPathStatement(r, true));
        QCOMPARE(form.map.statements, expected);
        QVERIFY(form.list()->columnWidth(2) > 40);   // sized to the content
        QVERIFY(form.list()->columnWidth(3) >= 80);  // room for the drop-down

        // Ticks: a box, Space on the current row, the "NO" header.
        form.map.statements.clear();
        form.model()->SetChecked(1, false);
        QCOMPARE(form.tracks[1].selected, 0);
        QCOMPARE(form.map.statements, QStringList{"showRawPath('1','0')"});
        form.ClickHeader(0);  // untick all (the toggle starts at "all ticked")
        for (int r = 0; r < 3; ++r) QVERIFY(!form.model()->IsChecked(r));
        form.ClickHeader(2);                     // other headers do nothing
        form.dialog.RefreshTracks(form.tracks);  // ticks all, leaves the toggle
        form.ClickHeader(0);
        QVERIFY(form.model()->IsChecked(2));
        form.ClickHeader(0);
        QVERIFY(!form.model()->IsChecked(2));

        // Only a left click or a key that moves chooses a row.
        form.map.statements.clear();
        const QPoint cell = form.list()->visualRect(form.model()->index(2, 5)).center();
        QTest::mouseClick(form.list()->viewport(), Qt::RightButton, {}, cell);
        QVERIFY(form.map.statements.isEmpty());
        QCOMPARE(form.Panel(0), QString());
        form.ClickCell(2, 5);
        QCOMPARE(form.map.statements, (QStringList{"setBounds('2')", "highlightTrack('2')"}));
        for (int k = 0; k < CTrackInfo::kLineCount; ++k) QCOMPARE(form.Panel(k), form.Cell(2, k + 2));
        QCOMPARE(form.Panel(1), QString("출퇴근용"));
        QTest::keyClick(form.list(), Qt::Key_Space);
        QVERIFY(form.model()->IsChecked(2));
        QTest::keyClick(form.list(), Qt::Key_Up);
        QCOMPARE(form.Panel(0), form.Cell(1, 2));
        QCOMPARE(form.map.statements.last(), QString("highlightTrack('1')"));
        // A refresh does not touch the panel, even when the row is gone.
        const QString shown = form.Panel(0);
        TrackList fewer = test::SampleTracks(1);
        form.dialog.RefreshTracks(fewer);
        QCOMPARE(form.Panel(0), shown);
    }

    void layoutsWithAndWithoutTheMap() {
        Form plain(false);
        QCOMPARE(plain.list()->geometry(), QRect(10, 100, 1000 - 20, 700 - 312));
        QCOMPARE(plain.dialog.findChild<CTrackInfo*>()->geometry(), QRect(10, 700 - 212, 1000 - 10, 212));
        Form form(true);
        QCOMPARE(form.list()->geometry(), QRect(510, 100, 500 - 20, 700 - 312));
        QCOMPARE(form.dialog.findChild<CTrackInfo*>()->geometry(), QRect(510, 700 - 212, 500 - 10, 212));
        form.dialog.RelayoutBesideMap(490);  // the map's own report moves nothing
        QCOMPARE(form.list()->geometry(), QRect(510, 100, 500 - 20, 700 - 312));
        form.dialog.RelayoutBesideMap(300);  // dragged to 300 pixels
        QCOMPARE(form.list()->geometry(), QRect(320, 100, 1000 - 330, 700 - 312));
    }

    void purposeIsTypedAndUseChosenInPlace() {
        Form form(false, 40);
        form.tracks[0].purpose = "before";
        form.tracks[0].use = "일반";  // pre-selects the choice that begins with it
        form.dialog.RefreshTracks(form.tracks);
        QSignalSpy edited(&form.dialog, &CMainDialog::entryEdited);
        const int width = form.list()->columnWidth(4);
        form.ClickCell(1, 4);
        QLineEdit* edit = form.OpenEditor<QLineEdit>();
        QVERIFY(edit);
        QTest::keyClicks(edit, "A much longer purpose than before");
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_COMPARE(form.tracks[1].purpose, std::string("A much longer purpose than before"));
        QCOMPARE(edited.size(), 1);
        QVERIFY(form.list()->columnWidth(4) > width);  // the column follows its content

        form.ClickCell(0, 4);
        edit = form.OpenEditor<QLineEdit>();
        QCOMPARE(edit->text(), QString("before"));
        QTest::keyClicks(edit, "typed over");
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(form.tracks[0].purpose, std::string("before"));
        QVERIFY(form.dialog.isVisible());  // Escape reached no dialog

        // Scrolling ends the edit and keeps the text.
        form.ClickCell(2, 4);
        QTest::keyClicks(form.OpenEditor<QLineEdit>(), "scrolled");
        form.list()->verticalScrollBar()->setValue(5);
        QTRY_VERIFY(!form.OpenEditor<QLineEdit>());
        QCOMPARE(form.tracks[2].purpose, std::string("scrolled"));

        // A click with Shift, or on a read-only cell, opens nothing.
        form.list()->verticalScrollBar()->setValue(0);
        form.ClickCell(1, 4, Qt::ShiftModifier);
        form.ClickCell(1, 2);
        QVERIFY(!form.OpenEditor<QLineEdit>());

        // The use is chosen from a drop-down.
        form.ClickCell(0, 3);
        auto* combo = form.OpenEditor<QComboBox>();
        QVERIFY(combo);
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->currentIndex(), 1);
        QTRY_VERIFY(combo->view()->isVisible());
        QTest::keyClick(combo->view(), Qt::Key_Up);
        QTest::keyClick(combo->view(), Qt::Key_Return);
        QTRY_VERIFY(!form.OpenEditor<QComboBox>());
        QCOMPARE(form.tracks[0].use, std::string("출퇴근용"));

        // Escape in the list of an empty cell leaves it empty.
        form.ClickCell(1, 3);
        combo = form.OpenEditor<QComboBox>();
        QTRY_VERIFY(combo->view()->isVisible());
        QTest::keyClick(combo->view(), Qt::Key_Down);
        QTest::keyClick(combo->view(), Qt::Key_Escape);
        QTRY_VERIFY(!form.OpenEditor<QComboBox>());
        QCOMPARE(form.tracks[1].use, std::string());
    }
};

QTEST_MAIN(TrackListTest)
#include "TrackListTest.moc"
