#pragma once
// The map of the ledger windows: the track list's map page, showing a
// selection of trips fitted together, the named places of the
// classification rules, and a point picked with a click.
#include <QString>
#include <cstdint>
#include <vector>

#include "core/ledger/ClassifyRules.h"
#include "core/ledger/LedgerExport.h"
#include "views/CTrackMapDlg.h"

namespace ml {

class LedgerMapView : public CTrackMapDlg {
    Q_OBJECT
public:
    // A selection of many trips is drawn with at most this many points in
    // all (every n-th fix, the ends always), so the map stays quick.
    static constexpr size_t kMaxPoints = 20000;

    explicit LedgerMapView(const QString& tileUrl = QString(), QWidget* parent = nullptr);

    // Replaces the lines with these trips and fits the map to all of them.
    void ShowTrips(const std::vector<ledger::TripWithFixes>& trips);
    // Fits the map to one of the trips shown; false when it is not shown.
    bool FitTrip(int64_t tripId);
    const std::vector<int64_t>& shownTrips() const { return shown_; }

    void ShowPlaces(const std::vector<ledger::NamedPlace>& places, bool fit);
    // While on, a click on the map reports its point (pointPicked).
    void SetPicking(bool on);

signals:
    void pointPicked(double latitude, double longitude);

private:
    void OnTitle(const QString& title);
    std::vector<int64_t> shown_;
};

}  // namespace ml
