#pragma once
// Where the track list sends its map statements ("clear()",
// "addLogPolyLine('#RRGGBB')", "pushRawPos(...)", "update()",
// "setBounds('i')", "showRawPath('i','v')"). The map view implements it;
// with no map every statement is dropped.
#include <QString>

namespace ml {

class TrackMapSink {
public:
    virtual ~TrackMapSink() = default;
    // Runs one script statement in the map page; statements that arrive
    // before the page has loaded are kept and run in order once it has.
    virtual void CallPageScript(const QString& statement) = 0;
};

}  // namespace ml
