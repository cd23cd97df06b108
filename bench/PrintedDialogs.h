#pragma once
#include "widgets/DialogService.h"

#include <QDialog>
#include <cstdio>

namespace Bench {

// Boxes are printed, never waited for: a benchmark runs unattended. Counts
// every box, and apart the ones that are no information.
class PrintedDialogs : public DialogService {
public:
    int showModal(QDialog&) override { return 0; }
    QMessageBox::StandardButton message(QWidget*, MessageKind kind, const QString& caption, const QString& text,
                                        QMessageBox::StandardButtons) override
    {
        std::printf("box \"%s\": %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
        ++boxes;
        if (kind != MessageKind::Information)
            ++errors;
        return QMessageBox::Ok;
    }
    int boxes = 0;
    int errors = 0;
};

} // namespace Bench
