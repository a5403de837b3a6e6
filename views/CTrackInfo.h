#pragma once
// The panel under the track list that shows the texts of the row the user
// last chose, one caption and value per line (use and purpose below the
// end address). It holds no data: it copies the list's cells when told which
// row to show, so it keeps showing a row's texts as they were at that moment
// until the next choice.
#include <QWidget>
#include <array>

class QGroupBox;
class QLabel;

namespace ml {

class CComboListCtrl;

class CTrackInfo : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLineCount = 11;

    explicit CTrackInfo(QWidget* parent = nullptr);

    void setSourceList(CComboListCtrl* list) { sourceList_ = list; }
    CComboListCtrl* sourceList() const { return sourceList_; }
    // Copies the cells of `row` (columns 2 to 12) into the values.
    void ShowTrack(int row);

    QString ValueText(int line) const;
    QLabel* valueLabel(int line) const { return values_[size_t(line)]; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::array<QLabel*, kLineCount> labels_{};
    std::array<QLabel*, kLineCount> values_{};
    QGroupBox* group_ = nullptr;
    CComboListCtrl* sourceList_ = nullptr;
};

}  // namespace ml
