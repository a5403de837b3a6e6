#pragma once
// The map view beside the track list: a web page drawn with Leaflet (bundled)
// that the list drives through script statements. It keeps its height while
// the user drags its right edge; only the width changes, and the form moves
// the list and the info panel beside it (RelayoutBesideMap).
#include <QString>
#include <QWidget>

#include "views/TrackMapSink.h"

namespace ml {

class PageScriptView;

class CTrackMapDlg : public QWidget, public TrackMapSink {
    Q_OBJECT
public:
    // tileUrl: a Leaflet tile template ({z}/{x}/{y}); empty for OpenStreetMap.
    explicit CTrackMapDlg(const QString& tileUrl = QString(), QWidget* parent = nullptr);

    // Statements that arrive before the page has loaded run in order once
    // it has.
    void CallPageScript(const QString& statement) override;

    // The height the view keeps while its width is dragged (0: its current
    // height).
    void setFixedHeightValue(int height) { fixedHeight_ = height; }

    // The page itself, for windows that draw more on it than the track list
    // (the ledger's map) and watch its title.
    PageScriptView* pageView() const { return view_; }

signals:
    // The view's new client width, after every size change; the track list
    // form answers with RelayoutBesideMap.
    void relayoutBesideMap(int clientWidth);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PageScriptView* view_;
    QWidget* grip_;  // the draggable right edge
    int fixedHeight_ = 0;
    int dragStartX_ = -1;
    int dragStartWidth_ = 0;
};

}  // namespace ml
