#pragma once
// The popup that shows one printable form: the form's page, "인쇄" (the
// page's Print(), which opens the print dialog) and "PDF 저장". The popup is
// created once, hidden, and shown by each fill. It reads the ticked rows
// through a source the track list form sets, and the settings in force.
#include <QPageLayout>
#include <QSize>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/ReportStatements.h"

class QPrinter;
class QPushButton;

namespace ml {

class PageScriptView;

// Copies the list cells as they stand at the moment of the call.
using ReportRowSource = std::function<std::vector<ReportRow>()>;

class ReportPopup : public QWidget {
    Q_OBJECT
public:
    // `size`: wide enough to show a whole sheet of the form.
    ReportPopup(const QString& caption, const QUrl& page, QPageLayout::Orientation orientation, QSize size,
                QWidget* parent = nullptr);
    ~ReportPopup() override;

    // `sourceList` and `settings`: while either is unset a fill does nothing.
    void setSourceList(ReportRowSource source) { source_ = std::move(source); }
    void setSettings(std::optional<Settings> settings) { settings_ = std::move(settings); }

    // The close box and Escape; the form also calls it before each fill.
    virtual void Cancel();

    PageScriptView* pageView() const { return view_; }
    // "인쇄": the page's Print(), after every statement sent before.
    void Print();

    // Writes the page as it stands to an A4 PDF file; pdfSaved reports the
    // end.
    void savePdf(const QString& path);

    // The page's sheets are cut to the printable height of `layout` before
    // it is printed or written; the preview shows A4 sheets.
    static double PrintableHeightPx(const QPageLayout& layout);

signals:
    void pdfSaved(const QString& path, bool ok);

protected:
    // Sends the statements when both the rows and the settings are set.
    void Fill(const std::function<std::vector<std::string>(const std::vector<ReportRow>&, const Settings&)>& build);
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void PlaceChildren();
    void onPdfClicked();
    void onPrintRequested();
    void onPdfFinished(const QString& path, bool ok);
    // Cuts the page into sheets for `layout`, then calls `then` with
    // whether that was done (false when the page went away first).
    void PaginateFor(const QPageLayout& layout, std::function<void(bool)> then);

    PageScriptView* view_;
    QPushButton* printButton_;
    QPushButton* pdfButton_;
    QPageLayout::Orientation orientation_;
    ReportRowSource source_;
    std::optional<Settings> settings_;
    std::unique_ptr<QPrinter> printer_;  // alive until the page has printed
    bool pdfFromButton_ = false;
};

}  // namespace ml
