#pragma once
// The panel under the track list that shows the texts of the row the user
// last chose, one caption and value per line (use and purpose below the
// end address). It holds no data: it copies the list's cells when told which
// row to show, so it keeps showing a row's texts as they were at that moment
// until the next choice. Before the first choice the values are empty.
#include <QWidget>
#include <array>

class QAbstractItemModel;
class QGroupBox;
class QLabel;

namespace ml {

class CTrackInfo : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLineCount = 11;

    explicit CTrackInfo(QWidget* parent = nullptr);

    // The track list's rows.
    void setSourceList(const QAbstractItemModel* list) { sourceList_ = list; }
    // Copies the cells of `row` (columns 2 to 12) into the values.
    void ShowTrack(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::array<QLabel*, kLineCount> labels_{};
    std::array<QLabel*, kLineCount> values_{};
    QGroupBox* group_ = nullptr;
    const QAbstractItemModel* sourceList_ = nullptr;
};

}  // namespace ml
