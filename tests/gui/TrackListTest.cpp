// The track list form as the user works with it: check boxes against the
// tracks' `selected`, the "NO" header toggle, the in-place editors of use
// and purpose, the info panel and the two layouts.
#include <QAbstractItemView>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

#include "core/MapStatements.h"
#include "tests/gui/GuiTestData.h"
#include "views/CComboListCtrl.h"
#include "views/CInPlaceCombo.h"
#include "views/CInPlaceEdit.h"
#include "views/CMainDialog.h"
#include "views/CTrackInfo.h"
#include "views/QtText.h"
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
    explicit Form(bool showMap = false) : dialog(showMap) {
        dialog.resize(1000, 700);
        if (showMap) dialog.setMapView(new QWidget, &map);
        dialog.show();
        dialog.activateWindow();
    }
    CComboListCtrl* list() { return dialog.listControl(); }
    Qt::CheckState Check(int row) { return list()->item(row, 0)->checkState(); }
    void ClickCell(int row, int column, Qt::KeyboardModifiers modifiers = {}) {
        const QRect cell = list()->visualRect(list()->model()->index(row, column));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    void ClickHeader(int section) {
        QHeaderView* header = list()->horizontalHeader();
        const int x = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    RecordingMap map;
    CMainDialog dialog;
};

}  // namespace

class TrackListTest : public QObject {
    Q_OBJECT
private slots:
    void refreshListsEveryTrackAndTicksAll() {
        Form form;
        TrackList tracks = test::SampleTracks(3);
        tracks[1].use = "출퇴근용";
        tracks[1].purpose = "거래처 방문";
        form.dialog.RefreshTracks(tracks);
        QCOMPARE(form.list()->rowCount(), 3);
        QCOMPARE(form.list()->columnCount(), 13);
        const QStringList headers = {"NO", " ", "트랙이름", "사용용도", "운행목적", "트랙시간", "이동거리",
                                     "시작시간", "종료시간", "시작위치(위경도)", "종료위치(위경도)",
                                     "시작위치(주소)", "종료위치(주소)"};
        for (int c = 0; c < 13; ++c) QCOMPARE(form.list()->horizontalHeaderItem(c)->text(), headers[c]);
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(form.list()->CellText(r, 0), QString::number(r + 1));
            QCOMPARE(form.Check(r), Qt::Checked);
            QCOMPARE(tracks[size_t(r)].selected, 1);
            QCOMPARE(form.list()->CellText(r, 2), ToQString(tracks[size_t(r)].name));
            QCOMPARE(form.list()->CellText(r, 6), ToQString(tracks[size_t(r)].distanceText));
        }
        // Stored use and purpose are shown, so the panel and reports see them.
        QCOMPARE(form.list()->CellText(1, 3), QString("출퇴근용"));
        QCOMPARE(form.list()->CellText(1, 4), QString("거래처 방문"));
        QCOMPARE(form.list()->columnWidth(3), 80);
        // The colour cell is a swatch of the track's map colour (0x00BBGGRR).
        const uint32_t c = tracks[0].color;
        QCOMPARE(form.list()->item(0, 1)->background().color(),
                 QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)));
    }

    void checkBoxesMirrorSelected() {
        Form form(true);
        TrackList tracks = test::SampleTracks(3);
        form.dialog.RefreshTracks(tracks);
        form.map.statements.clear();
        form.list()->item(1, 0)->setCheckState(Qt::Unchecked);
        QCOMPARE(tracks[1].selected, 0);
        QCOMPARE(tracks[0].selected, 1);
        QCOMPARE(form.map.statements, QStringList{"showRawPath('1','0')"});
        form.list()->item(1, 0)->setCheckState(Qt::Checked);
        QCOMPARE(tracks[1].selected, 1);
        QCOMPARE(form.map.statements.last(), QString("showRawPath('1','1')"));
    }

    void headerTogglesAllRowsAndSurvivesRefresh() {
        Form form;
        TrackList tracks = test::SampleTracks(3);
        form.ClickHeader(0);  // before any refresh: nothing to toggle
        QCOMPARE(form.dialog.allChecked(), 1);
        form.dialog.RefreshTracks(tracks);
        form.ClickHeader(0);
        QCOMPARE(form.dialog.allChecked(), 0);
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(form.Check(r), Qt::Unchecked);
            QCOMPARE(tracks[size_t(r)].selected, 0);
        }
        form.ClickHeader(2);  // other headers do nothing
        QCOMPARE(form.Check(0), Qt::Unchecked);
        // A refresh ticks every row but leaves the toggle's state alone.
        form.dialog.RefreshTracks(tracks);
        QCOMPARE(form.Check(0), Qt::Checked);
        QCOMPARE(form.dialog.allChecked(), 0);
        form.ClickHeader(0);  // ticks (already ticked)
        QCOMPARE(form.Check(2), Qt::Checked);
        QCOMPARE(form.dialog.allChecked(), 1);
        form.ClickHeader(0);
        QCOMPARE(form.Check(2), Qt::Unchecked);
        QCOMPARE(tracks[2].selected, 0);
    }

    void mapStatementsOfARefresh() {
        Form form(true);
        TrackList tracks = test::SampleTracks(2);
        tracks[0].color = 0x00332211;  // red 0x11, green 0x22, blue 0x33
        tracks[1].fixes[0].latitude = 0.0f;  // a fix without a position is not drawn
        form.dialog.RefreshTracks(tracks);
        const QStringList& s = form.map.statements;
        QCOMPARE(s.first(), QString("clear()"));
        QCOMPARE(s[1], QString("addLogPolyLine('#112233')"));
        // One statement per track carries all its drawable points.
        QVERIFY(s[2].startsWith(QString::asprintf("pushRawPath('0', [%.09lf,%.09lf,", double(tracks[0].fixes[0].latitude),
                                                  double(tracks[0].fixes[0].longitude))));
        QCOMPARE(s[2].count(',') - 1, 2 * 5 - 1);  // five points, ten numbers
        QCOMPARE(s[3], QString("addLogPolyLine('#%1')").arg(QString::fromStdString(MapColorText(tracks[1].color)).mid(1)));
        QVERIFY(s[4].startsWith("pushRawPath('1', ["));
        QCOMPARE(s[4].count(',') - 1, 2 * 4 - 1);  // the fix without a position is left out
        const int update = int(s.indexOf("update()"));
        QVERIFY(update > 0);
        QCOMPARE(s.mid(update + 1), (QStringList{"showRawPath('0','1')", "showRawPath('1','1')"}));

        form.map.statements.clear();
        form.ClickCell(1, 2);
        QCOMPARE(form.map.statements, QStringList{"setBounds('1')"});
    }

    void withoutMapNoStatementsAndFullWidth() {
        Form form(false);
        TrackList tracks = test::SampleTracks(2);
        form.dialog.RefreshTracks(tracks);
        QVERIFY(form.map.statements.isEmpty());
        QCOMPARE(form.list()->geometry(), QRect(10, 100, 1000 - 20, 700 - 312));
        QCOMPARE(form.dialog.infoPanel()->geometry(), QRect(10, 700 - 212, 1000 - 10, 212));
    }

    void withMapTheListTakesTheRightHalf() {
        Form form(true);
        QCOMPARE(form.dialog.mapView()->geometry(), QRect(10, 100, 500 - 10, 700 - 100));
        QCOMPARE(form.list()->geometry(), QRect(510, 100, 500 - 20, 700 - 312));
        QCOMPARE(form.dialog.infoPanel()->geometry(), QRect(510, 700 - 212, 500 - 10, 212));
        // The map's own report of the width it was given moves nothing.
        form.dialog.RelayoutBesideMap(form.dialog.mapView()->width());
        QCOMPARE(form.list()->geometry(), QRect(510, 100, 500 - 20, 700 - 312));
        QCOMPARE(form.dialog.infoPanel()->geometry(), QRect(510, 700 - 212, 500 - 10, 212));
        form.dialog.RelayoutBesideMap(300);  // dragged to 300 pixels
        QCOMPARE(form.list()->geometry(), QRect(320, 100, 1000 - 330, 700 - 312));
    }

    void purposeEditEndsWithEnter() {
        Form form;
        QVERIFY(QTest::qWaitForWindowActive(&form.dialog));
        TrackList tracks = test::SampleTracks(2);
        form.dialog.RefreshTracks(tracks);
        QSignalSpy done(form.list(), &CComboListCtrl::cellEditDone);
        form.ClickCell(1, 4);
        CInPlaceEdit* edit = form.list()->edit();
        QVERIFY(edit && edit->isVisible());
        QTest::keyClicks(edit, "Site visit");
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(!edit->isVisible());
        QCOMPARE(form.list()->CellText(1, 4), QString("Site visit"));
        QCOMPARE(tracks[1].purpose, std::string("Site visit"));
        QCOMPARE(done.size(), 1);
        QCOMPARE(done[0][0].toInt(), 1000);
        QCOMPARE(done[0][2].toInt(), 4);
    }

    void escapeRestoresTheCellText() {
        Form form;
        QVERIFY(QTest::qWaitForWindowActive(&form.dialog));
        TrackList tracks = test::SampleTracks(1);
        tracks[0].purpose = "before";
        form.dialog.RefreshTracks(tracks);
        form.ClickCell(0, 4);
        CInPlaceEdit* edit = form.list()->edit();
        QVERIFY(edit && edit->isVisible());
        QCOMPARE(edit->text(), QString("before"));
        QTest::keyClicks(edit, "typed over");
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(form.list()->CellText(0, 4), QString("before"));
        QCOMPARE(tracks[0].purpose, std::string("before"));
        QVERIFY(form.dialog.isVisible());  // Escape did not reach any dialog
    }

    void leavingTheCellKeepsTheText() {
        Form form;
        QLineEdit elsewhere(&form.dialog);
        elsewhere.setGeometry(600, 10, 100, 20);
        elsewhere.show();
        QVERIFY(QTest::qWaitForWindowActive(&form.dialog));
        TrackList tracks = test::SampleTracks(1);
        form.dialog.RefreshTracks(tracks);
        form.ClickCell(0, 4);
        QTest::keyClicks(form.list()->edit(), "kept");
        elsewhere.setFocus(Qt::MouseFocusReason);
        QVERIFY(!form.list()->IsEditing());
        QCOMPARE(tracks[0].purpose, std::string("kept"));
    }

    void useComboOffersTheTwoChoices() {
        Form form;
        QVERIFY(QTest::qWaitForWindowActive(&form.dialog));
        TrackList tracks = test::SampleTracks(1);
        tracks[0].use = "일반";  // pre-selects the choice that begins with it
        form.dialog.RefreshTracks(tracks);
        form.ClickCell(0, 3);
        CInPlaceCombo* combo = form.list()->combo();
        QVERIFY(combo && combo->isVisible());
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QString("출퇴근용"));
        QCOMPARE(combo->itemText(1), QString("일반업무용"));
        QCOMPARE(combo->currentIndex(), 1);
        QTRY_VERIFY(combo->view()->isVisible());
        QTest::keyClick(combo->view(), Qt::Key_Up);
        QTest::keyClick(combo->view(), Qt::Key_Return);
        QTRY_VERIFY(!form.list()->IsEditing());
        QCOMPARE(form.list()->CellText(0, 3), QString("출퇴근용"));
        QCOMPARE(tracks[0].use, std::string("출퇴근용"));
    }

    void comboEscapeOnAnEmptyCellLeavesItEmpty() {
        Form form;
        QVERIFY(QTest::qWaitForWindowActive(&form.dialog));
        TrackList tracks = test::SampleTracks(1);
        form.dialog.RefreshTracks(tracks);
        form.ClickCell(0, 3);
        CInPlaceCombo* combo = form.list()->combo();
        QTRY_VERIFY(combo->view()->isVisible());
        QTest::keyClick(combo->view(), Qt::Key_Down);
        QTest::keyClick(combo->view(), Qt::Key_Escape);
        QTRY_VERIFY(!form.list()->IsEditing());
        QCOMPARE(form.list()->CellText(0, 3), QString());
        QCOMPARE(tracks[0].use, std::string());
    }

    void scrollingEndsTheEditAndKeepsTheText() {
        Form form;
        QVERIFY(QTest::qWaitForWindowActive(&form.dialog));
        TrackList tracks = test::SampleTracks(40);
        form.dialog.RefreshTracks(tracks);
        form.ClickCell(0, 4);
        QTest::keyClicks(form.list()->edit(), "scrolled");
        form.list()->verticalScrollBar()->setValue(5);
        QVERIFY(!form.list()->IsEditing());
        QVERIFY(!form.list()->edit()->isVisible());
        QCOMPARE(tracks[0].purpose, std::string("scrolled"));
    }

    void aCellOutOfViewIsScrolledInUnderTheEditor() {
        Form form;
        QVERIFY(QTest::qWaitForWindowActive(&form.dialog));
        TrackList tracks = test::SampleTracks(2);
        form.dialog.RefreshTracks(tracks);
        form.list()->setColumnWidth(4, 300);
        form.list()->setColumnWidth(12, 2000);  // room to scroll column 4 out of view
        QTRY_VERIFY(form.list()->horizontalScrollBar()->maximum() > 1000);
        form.list()->horizontalScrollBar()->setValue(form.list()->horizontalScrollBar()->maximum());
        const QModelIndex cell = form.list()->model()->index(1, 4);
        QVERIFY(!form.list()->viewport()->rect().contains(form.list()->visualRect(cell)));
        QVERIFY(form.list()->OpenCellEditor(1, 4));
        QVERIFY(form.list()->viewport()->rect().contains(form.list()->visualRect(cell)));
        QCOMPARE(form.list()->edit()->geometry(), form.list()->visualRect(cell));
    }

    void readOnlyColumnsAndModifiedClicksOpenNothing() {
        Form form;
        QVERIFY(QTest::qWaitForWindowActive(&form.dialog));
        TrackList tracks = test::SampleTracks(2);
        form.dialog.RefreshTracks(tracks);
        form.ClickCell(0, 2);
        QVERIFY(!form.list()->IsEditing());
        form.ClickCell(1, 4, Qt::ShiftModifier);
        QVERIFY(!form.list()->IsEditing());
        QCOMPARE(form.list()->currentRow(), 1);
    }

    void infoPanelAndMapFollowLeftClicksAndKeys() {
        Form form(true);
        QVERIFY(QTest::qWaitForWindowActive(&form.dialog));
        CTrackInfo* panel = form.dialog.infoPanel();
        for (int k = 0; k < CTrackInfo::kLineCount; ++k) QCOMPARE(panel->ValueText(k), QString("NULL"));
        TrackList tracks = test::SampleTracks(3);
        tracks[2].use = "출퇴근용";
        tracks[2].purpose = "출근";
        form.dialog.RefreshTracks(tracks);
        form.map.statements.clear();
        QCOMPARE(panel->ValueText(0), QString("NULL"));  // nothing chosen yet
        // Other buttons choose nothing.
        const QPoint cell = form.list()->visualRect(form.list()->model()->index(2, 5)).center();
        QTest::mouseClick(form.list()->viewport(), Qt::RightButton, {}, cell);
        QTest::mouseClick(form.list()->viewport(), Qt::MiddleButton, {}, cell);
        QCOMPARE(panel->ValueText(0), QString("NULL"));
        QVERIFY(form.map.statements.isEmpty());
        QVERIFY(form.list()->selectedItems().isEmpty());
        form.ClickCell(2, 5);
        for (int k = 0; k < CTrackInfo::kLineCount; ++k) QCOMPARE(panel->ValueText(k), form.list()->CellText(2, k + 2));
        QCOMPARE(form.map.statements, QStringList{"setBounds('2')"});
        QTest::keyClick(form.list(), Qt::Key_Up);
        QCOMPARE(panel->ValueText(0), form.list()->CellText(1, 2));
        QCOMPARE(form.map.statements.last(), QString("setBounds('1')"));
        // Every line is shown, use and purpose below the end address.
        form.ClickCell(2, 5);
        QCOMPARE(panel->ValueText(1), QString("출퇴근용"));
        QCOMPARE(panel->ValueText(2), QString("출근"));
        for (int k = 0; k < CTrackInfo::kLineCount; ++k) QVERIFY(panel->valueLabel(k)->isVisible());
        QVERIFY(panel->valueLabel(1)->y() > panel->valueLabel(10)->y());
        QVERIFY(panel->valueLabel(2)->y() > panel->valueLabel(1)->y());
        QVERIFY(panel->valueLabel(2)->geometry().bottom() < panel->height());
        // A refresh does not touch the panel, even when the row is gone.
        const QString shown = panel->ValueText(0);
        TrackList fewer = test::SampleTracks(1);
        form.dialog.RefreshTracks(fewer);
        QCOMPARE(panel->ValueText(0), shown);
    }

    void editsOfRowsBeyondTheListAreIgnored() {
        Form form;
        TrackList tracks = test::SampleTracks(2);
        form.dialog.RefreshTracks(tracks);
        tracks.clear();  // the frame emptied its list; the rows are still there
        form.list()->item(0, 0)->setCheckState(Qt::Unchecked);
        emit form.list()->cellEditDone(1000, 1, 4, "x");
        QCOMPARE(form.Check(0), Qt::Unchecked);
    }
};

QTEST_MAIN(TrackListTest)
#include "TrackListTest.moc"
