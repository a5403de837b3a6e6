#pragma once
// The form that fills the main window: the track list, the track info panel
// below it, the map on the left half when the map is enabled, a logo and the
// two report buttons. Every decision about tracks is made here: which are
// ticked, and each track's use and purpose.
#include <QWidget>
#include <cstdint>
#include <vector>

#include "core/TrackRecord.h"

class QLabel;
class QPushButton;

namespace ml {

struct Settings;
class CComboListCtrl;
class CTrackInfo;
class TrackListModel;
class TrackMapSink;

class CMainDialog : public QWidget {
    Q_OBJECT
public:
    static constexpr int kListId = 1000;

    explicit CMainDialog(bool showMap, QWidget* parent = nullptr);
    ~CMainDialog() override;

    bool showMap() const { return showMap_; }
    CComboListCtrl* listControl() const { return list_; }
    TrackListModel* model() const { return model_; }

    // The settings whose details the reports print: the live ones, or the
    // header of the last log file loaded.
    const Settings* listSettings() const { return listSettings_; }
    void setListSettings(const Settings* settings) { listSettings_ = settings; }

    // The map view takes the left half of the form; `sink` receives the map
    // statements. Only used when the map is enabled.
    void setMapView(QWidget* view, TrackMapSink* sink);

    // Rebuilds the rows and the map from `tracks` and ticks every row. The
    // list keeps a pointer to `tracks` until the next refresh.
    int RefreshTracks(TrackList& tracks);

    // Places the list and the info panel 10 pixels right of a map
    // `mapWidth` pixels wide; the map view calls it after each resize.
    void RelayoutBesideMap(int mapWidth);

    // Ticks row i when ticks[i] is not 0, as a click on its box would (the
    // track's `selected` and the map follow).
    void SetChecks(const std::vector<int32_t>& ticks);

    // Height of the info panel under the list.
    static constexpr int kInfoHeight = 212;

signals:
    void refundReportRequested();  // button 1001 "차량운행기록 생성"
    void logReportRequested();     // button 1005 "운행기록부 생성"
    // The user changed the use or purpose of a track (row of the list).
    void entryEdited(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    static constexpr int kMapLeft = 10;

    void CallMap(const std::string& statement);
    void OnRowChosen(int row);
    void OnCheckChanged(int row, bool checked);
    void OnHeaderClicked(int section);

    bool showMap_;
    TrackListModel* model_ = nullptr;
    CComboListCtrl* list_ = nullptr;
    CTrackInfo* infoPanel_ = nullptr;
    QWidget* mapView_ = nullptr;
    TrackMapSink* mapSink_ = nullptr;
    QLabel* logo_ = nullptr;
    int allChecked_ = 1;
    bool refreshed_ = false;
    const Settings* listSettings_ = nullptr;
};

}  // namespace ml
