#pragma once
// The map view beside the track list: a web page drawn with Leaflet (bundled)
// that the list drives through script statements. It keeps its height while
// the user drags its right edge; only the width changes, and the form moves
// the list and the info panel beside it (RelayoutBesideMap).
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <string>

#include "core/FixRecord.h"
#include "core/TrackRecord.h"
#include "views/TrackMapSink.h"

namespace ml {

class PageScriptView;

class CTrackMapDlg : public QWidget, public TrackMapSink {
    Q_OBJECT
public:
    // tileUrl: a Leaflet tile template ({z}/{x}/{y}); empty for OpenStreetMap.
    explicit CTrackMapDlg(const QString& tileUrl = QString(), QWidget* parent = nullptr);

    // The page address for a tile template (the page reads it from its query).
    static QUrl PageUrl(const QString& tileUrl);

    // Consecutive "pushRawPos" statements of one line are joined into one
    // "pushRawPath" before they go to the page: the effect is the same, and a
    // refresh of a real log costs a few statements instead of one per fix.
    void CallPageScript(const QString& statement) override;
    void CallPageScript(const std::string& statement);

    // Evaluates an expression after every statement sent before it.
    void EvaluatePageScript(const QString& expression, std::function<void(const QVariant&)> done);

    // One fix: skipped when a coordinate is zero (or not a number).
    void AddTrackPoint(int index, double latitude, double longitude);
    // A whole track's fixes in one statement, the same effect as one
    // AddTrackPoint per fix.
    void AddTrackPoints(int index, const FixList& fixes);
    // "clear()", every track's line and points in list order, "update()".
    void ShowTracks(const TrackList& tracks);

    // The height the view keeps while its width is dragged (0: its current
    // height).
    int fixedHeight() const { return fixedHeight_; }
    void setFixedHeightValue(int height) { fixedHeight_ = height; }

    PageScriptView* pageView() const { return view_; }

signals:
    // The view's new client width, after every size change; the track list
    // form answers with RelayoutBesideMap.
    void relayoutBesideMap(int clientWidth);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool JoinPoint(const QString& statement);
    void FlushPoints();

    PageScriptView* view_;
    int batchIndex_ = -1;        // the line of the points waiting in batch_
    std::string batch_;          // "lat,lon,lat,lon..." as the statements gave them
    QWidget* grip_;  // the draggable right edge
    int fixedHeight_ = 0;
    int dragStartX_ = -1;
    int dragStartWidth_ = 0;
};

}  // namespace ml
