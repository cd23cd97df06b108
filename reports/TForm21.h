#pragma once
#include "reports/ReportLayout.h"

// The detailed products report: per nomenclature group every product,
// operation kind, colour and product type with rejects, mass, quantity
// (rejects included) and money.
class TForm21 : public ReportLayout {
public:
    explicit TForm21(Database& db);
    Dataset& i_Report;
};
