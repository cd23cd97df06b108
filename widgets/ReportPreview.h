#pragma once
#include "reports/engine/PageModel.h"

#include <QString>
#include <functional>

class QDialog;
class QPrinter;
class QWidget;

namespace report {

// How the preview reaches the user. The program passes its dialog service;
// tests answer by script, so that nothing blocks.
struct PreviewServices {
    // Shows the preview modally and answers its result (required).
    std::function<int(QDialog&)> showModal;
    // Asks where to save the PDF; an empty answer cancels. Unset: a file dialog.
    std::function<QString(QWidget* parent)> askPdfFileName;
    // Shows a failure (a file that cannot be written). Unset: an error box.
    std::function<void(QWidget* parent, const QString& text)> showError;
};

// Paints the pages the printer's page ranges select (all when none are
// set) onto the printer, one sheet each. Throws ReportError when printing cannot start.
void printPages(const PageModel& model, QPrinter& printer);

// Shows the pages in a modal print preview (object name "ReportPreview")
// from which the user prints; its toolbar also has the action
// "Сохранить в PDF" (object name "ActSavePdf"). Answers the dialog's result.
int showPreview(const PageModel& model, const PreviewServices& services, QWidget* parent = nullptr);

} // namespace report
