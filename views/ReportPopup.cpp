#include "views/ReportPopup.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>

#include "core/DiagLog.h"
#include "views/PageScriptView.h"

namespace ml {

ReportPopup::ReportPopup(const QString& caption, const QUrl& page, QPageLayout::Orientation orientation, QSize size,
                         QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      view_(new PageScriptView(this)),
      printButton_(new QPushButton(QStringLiteral("인쇄"), this)),
      pdfButton_(new QPushButton(QStringLiteral("PDF 저장"), this)),
      orientation_(orientation) {
    setWindowTitle(caption);
    printButton_->setObjectName(QStringLiteral("printButton"));  // id 1014 of the design
    pdfButton_->setObjectName(QStringLiteral("pdfButton"));
    connect(printButton_, &QPushButton::clicked, this, &ReportPopup::Print);
    connect(pdfButton_, &QPushButton::clicked, this, &ReportPopup::onPdfClicked);
    // The page's Print() calls window.print(), which arrives here.
    connect(view_, &QWebEngineView::printRequested, this, &ReportPopup::onPrintRequested);
    connect(view_, &QWebEngineView::printFinished, this, [this](bool ok) {
        if (!ok) DiagWrite("report printing failed\n");
        printer_.reset();
    });
    connect(view_, &QWebEngineView::pdfPrintingFinished, this, &ReportPopup::onPdfFinished);
    // Escape closes the popup even while the page has the keyboard focus.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { Cancel(); });
    view_->loadPage(page);
    setGeometry(QRect(QPoint(0, 0), size));
    PlaceChildren();
}

ReportPopup::~ReportPopup() {
    // The page answers its pending evaluations as it goes; that must happen
    // while the members those answers touch are still alive.
    delete view_;
}

void ReportPopup::Cancel() { hide(); }

void ReportPopup::Fill(
    const std::function<std::vector<std::string>(const std::vector<ReportRow>&, const Settings&)>& build) {
    if (!source_ || !settings_) return;
    view_->CallPageScripts(build(source_(), *settings_));
}

double ReportPopup::PrintableHeightPx(const QPageLayout& layout) {
    return layout.paintRect(QPageLayout::Millimeter).height() / 25.4 * 96.0;
}

void ReportPopup::PaginateFor(const QPageLayout& layout, std::function<void(bool)> then) {
    // Sent through the page queue so that a form still being filled is
    // complete before it is cut and printed.
    const QString statement = QStringLiteral("paginate(%1) >= 0").arg(PrintableHeightPx(layout), 0, 'f', 2);
    view_->EvaluatePageScript(statement, [then = std::move(then)](const QVariant& ran) {
        // No value: the page went away with the popup before its turn came,
        // or the script failed.
        then(ran.toBool());
    });
}

void ReportPopup::savePdf(const QString& path) {
    const QPageLayout layout(QPageSize(QPageSize::A4), orientation_, QMarginsF(10, 10, 10, 10),
                             QPageLayout::Millimeter);
    PaginateFor(layout, [this, path, layout](bool ok) {
        if (ok) view_->printToPdf(path, layout);
    });
}

void ReportPopup::Print() { view_->CallPageScript(QStringLiteral("Print()")); }

void ReportPopup::onPrintRequested() {
    if (printer_) return;  // one print at a time
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setPageOrientation(orientation_);
    QPrintDialog dialog(printer.get(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    printer_ = std::move(printer);
    // The printer's paper may differ from the A4 of the preview.
    PaginateFor(printer_->pageLayout(), [this](bool ok) {
        if (ok)
            view_->print(printer_.get());
        else
            printer_.reset();
    });
}

void ReportPopup::onPdfClicked() {
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("PDF 저장"), windowTitle().trimmed().section(' ', 0, 0) + QStringLiteral(".pdf"),
        QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return;
    pdfFromButton_ = true;
    savePdf(path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ? path : path + QStringLiteral(".pdf"));
}

void ReportPopup::onPdfFinished(const QString& path, bool ok) {
    if (pdfFromButton_ && !ok)
        QMessageBox::warning(this, QStringLiteral("오류"),
                             QStringLiteral("PDF 파일을 저장하지 못했습니다.\n%1").arg(path));
    pdfFromButton_ = false;
    emit pdfSaved(path, ok);
}

void ReportPopup::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceChildren();
}

void ReportPopup::PlaceChildren() {
    const int cx = width();
    const int cy = height();
    view_->setGeometry(0, 0, cx, cy);
    // The buttons sit over the page's lower right corner.
    printButton_->setGeometry(cx - 80, cy - 50, 50, 30);
    pdfButton_->setGeometry(cx - 170, cy - 50, 80, 30);
    printButton_->raise();
    pdfButton_->raise();
}

void ReportPopup::closeEvent(QCloseEvent* event) {
    event->ignore();
    Cancel();
}

}  // namespace ml
