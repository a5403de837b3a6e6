#pragma once
// The vehicle information dialog: company, vehicle and employee details and
// the fuel data the reports print. It owns the live settings; OK checks the
// numbers and dates (NormalizeSettingInputs), stores the twelve texts (each
// cut to what its file field holds) and writes the settings file; a value
// refused keeps the dialog open. Cancel leaves the settings as they were.
#include <QDialog>
#include <array>
#include <functional>

#include "store/Settings.h"

class QLabel;
class QLineEdit;

namespace ml {

class TextCodec;

class CSettingDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFieldCount = 12;
    // Writes the settings file; returns an error message, empty on success.
    using Saver = std::function<std::string(const Settings&)>;

    CSettingDlg(Settings initial, const TextCodec& codec, Saver saver, QWidget* parent = nullptr);

    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }
    // Copies the twelve texts of the settings into the edits.
    void ShowSettings();
    // The edit of a field by its control id (1003 ... 1029); null if none.
    // The line that asks a new user for the company, the car and the driver
    // (shown when the settings file was just created with sample values),
    // until the next OK.
    void ShowFirstStartNote(bool show);

    void accept() override;

signals:
    // OK found a value it cannot take; the dialog stays open on its field.
    void inputRefused(const QString& message);
    // The file could not be written; the values stay in force in memory.
    void saveFailed(const QString& message);

private:
    Settings settings_;
    const TextCodec& codec_;
    Saver saver_;
    std::array<QLineEdit*, kFieldCount> edits_{};
    QLabel* firstStartNote_ = nullptr;
};

}  // namespace ml
