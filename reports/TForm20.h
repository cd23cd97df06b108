#pragma once
#include "reports/ReportLayout.h"

// The detailed workers report: per worker every product, operation kind,
// colour and product type with hours, rejects, quantity and money, and in
// the worker's footer the table of his maintenance work and average
// piecework by day and by night, his piece work, the total and the average
// price of one hour of piece work.
class TForm20 : public ReportLayout {
public:
    explicit TForm20(Database& db);
    Dataset& w_Report;
};
