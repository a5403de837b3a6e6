#pragma once
// Connects the map view and the two form popups to the track list form:
// creates the map when the form shows one, sends the list's map statements
// to it, keeps the list beside it when its width is dragged, and fills and
// shows a form when its button is pressed (or says why it cannot). A form
// made while the settings still name the sample company asks first.
#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "core/ReportStatements.h"

namespace ml {

class CMainDialog;
class CTrackMapDlg;
class CHtmlDlgTrackOutNew;
class CHtmlDlgTrackOutOld;
class ReportPopup;

class MapAndReportWiring : public QObject {
    Q_OBJECT
public:
    // Owned by `form`. tileUrl: the settings' map tile template.
    MapAndReportWiring(CMainDialog* form, const QString& tileUrl);

    // The buttons "운행기록부 생성" and "차량운행기록 생성". False when the
    // form was not made.
    bool ShowLogReport();
    bool ShowRefundReport();
    // The log made and its print dialog opened (Ctrl+P).
    void PrintLogReport();

    // Asked before a form names the sample company; true goes on. Without
    // one the form is made.
    void setConfirm(std::function<bool(const QString& question)> confirm) { confirm_ = std::move(confirm); }

signals:
    // A form was not made because a setting it computes with holds no
    // number; the message says which.
    void reportRefused(const QString& message);

private:
    // True, after saying why, when the settings in force hold no number the
    // form computes with.
    bool SettingsRefused(const std::function<std::string(const Settings&)>& check);
    bool Show(ReportPopup* popup, const std::function<std::string(const Settings&)>& check,
              const std::function<void()>& fill);

    CMainDialog* form_;
    CTrackMapDlg* map_ = nullptr;
    CHtmlDlgTrackOutNew* logReport_;
    CHtmlDlgTrackOutOld* refundReport_;
    std::function<bool(const QString&)> confirm_;
};

}  // namespace ml
