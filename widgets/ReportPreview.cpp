#include "widgets/ReportPreview.h"
#include "reports/engine/ReportEngine.h"

#include <QAction>
#include <QFileDialog>
#include <QMessageBox>
#include <QPageRanges>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStyle>
#include <QToolBar>

namespace report {

void printPages(const PageModel& model, QPrinter& printer)
{
    printer.setFullPage(true);   // pages are positioned from the paper's corner
    const QPageRanges ranges = printer.pageRanges();
    QVector<int> selected;
    for (int page = 1; page <= model.pages.size(); ++page) {
        if (ranges.isEmpty() || ranges.contains(page))
            selected << page;
    }

    QPainter painter;
    if (!painter.begin(&printer))
        throw ReportError(QStringLiteral("Не удалось начать печать"));
    const double perMmX = printer.logicalDpiX() / 25.4;
    const double perMmY = printer.logicalDpiY() / 25.4;
    for (int i = 0; i < selected.size(); ++i) {
        if (i > 0)
            printer.newPage();
        paintPage(painter, model.pages[selected[i] - 1], perMmX, perMmY);
    }
    painter.end();
}

int showPreview(const PageModel& model, const PreviewServices& services, QWidget* parent)
{
    if (!services.showModal)
        throw ReportError(QStringLiteral("Не задан способ показа предварительного просмотра"));

    auto showError = [&](QWidget* owner, const QString& text) {
        if (services.showError)
            services.showError(owner, text);
        else
            QMessageBox::critical(owner, QStringLiteral("Ошибка"), text);
    };

    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(model.setup.pageLayout());
    printer.setFullPage(true);
    printer.setDocName(model.title);

    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    dialog.setWindowTitle(model.title.isEmpty() ? QStringLiteral("Предварительный просмотр") : model.title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        try {
            printPages(model, *target);
        } catch (const ReportError& e) {
            showError(&dialog, e.text());
        }
    });

    auto* save = new QAction(dialog.style()->standardIcon(QStyle::SP_DialogSaveButton),
                             QStringLiteral("Сохранить в PDF"), &dialog);
    save->setObjectName(QStringLiteral("ActSavePdf"));
    save->setToolTip(QStringLiteral("Сохранить в PDF"));
    QObject::connect(save, &QAction::triggered, &dialog, [&] {
        QString fileName = services.askPdfFileName
            ? services.askPdfFileName(&dialog)
            : QFileDialog::getSaveFileName(&dialog, QStringLiteral("Сохранить в PDF"), QString(),
                                           QStringLiteral("PDF (*.pdf)"));
        if (fileName.isEmpty())
            return;
        if (!fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            fileName += QLatin1String(".pdf");
        try {
            writePdf(model, fileName);
        } catch (const ReportError& e) {
            showError(&dialog, e.text());
        }
    });
    if (QToolBar* toolbar = dialog.findChild<QToolBar*>()) {
        toolbar->addSeparator();
        toolbar->addAction(save);
    } else {
        dialog.addAction(save);
    }

    return services.showModal(dialog);
}

} // namespace report
