#pragma once
#include "reports/ReportLayout.h"

// The workers report: per worker and nomenclature group the good quantity
// and its money by operation kind, product type and colour, with the
// maintenance work and average piecework money of the group and of the
// worker, each as stored and without the regional coefficient.
class TForm16 : public ReportLayout {
public:
    explicit TForm16(Database& db);
    Dataset& t_Report;
};
