#pragma once
#include "reports/ReportLayout.h"

// The products report: per nomenclature group the good quantity and its
// mass by operation kind, product type and colour.
class TForm17 : public ReportLayout {
public:
    explicit TForm17(Database& db);
    Dataset& t_Report;
};
