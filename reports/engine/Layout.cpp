#include "reports/engine/ReportEngine.h"
#include "reports/engine/Expression.h"
#include "reports/engine/TextMetrics.h"

#include <cmath>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace report {

namespace {

constexpr double kEpsilon = 1e-6;   // mm

struct CompiledItem {
    const Item* item = nullptr;
    Expression expression;   // Expression items
    int column = -1;         // Field items
    NumberFormat format;
    bool hasMask = false;
};

struct CompiledBand {
    const Band* band = nullptr;
    BandKind kind = BandKind::Detail;
    int group = -1;
    Expression printWhen;   // invalid: always printed
    std::vector<CompiledItem> items;

    bool isEmpty() const { return band->isEmpty(); }
};

QString chopTrailingSpaces(const QString& text)
{
    int end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return end == text.size() ? text : text.left(end);
}

// Group values that print alike are one group: texts compare without the
// trailing blanks of fixed-length columns, which are not printed either.
bool sameGroupValue(const Value& a, const Value& b)
{
    if (a.type == Value::Text && b.type == Value::Text)
        return chopTrailingSpaces(a.text) == chopTrailingSpaces(b.text);
    return a == b;
}

// A running sum that adds values with up to six decimals exactly, so that
// the total of many amounts such as 7830.98 prints as the decimal sum, not
// with the error a binary sum collects ("186611,87999998"). A value is taken
// as a decimal when it is within a few units in the last place of one; other
// values, and anything that would overflow, are summed with Neumaier's
// compensated summation.
class RunningSum {
public:
    void add(double x)
    {
        if (x == 0)
            return;
        if (std::isfinite(x)) {
            for (int places = 0; places <= kMaxPlaces; ++places) {
                const double scaled = x * kPowers[places];
                if (!(std::fabs(scaled) < 9e15))
                    break;
                const double units = std::nearbyint(scaled);
                if (std::fabs(scaled - units) <= std::fabs(scaled) * 0x1p-50) {
                    if (addUnits(std::int64_t(units), places))
                        return;
                    break;
                }
            }
        }
        addInexact(x);
    }

    double value() const { return m_hasInexact ? exactPart() + (m_sum + m_compensation) : exactPart(); }

    void reset() { *this = RunningSum(); }

private:
    static constexpr int kMaxPlaces = 6;
    static constexpr double kPowers[kMaxPlaces + 1] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};

    double exactPart() const { return double(m_units) / kPowers[m_scale]; }

    // Adds units of 10^-places to the exact part; false when that would
    // overflow even after the exact part has moved to the compensated one.
    bool addUnits(std::int64_t units, int places)
    {
        for (;;) {
            if (m_units == 0)
                m_scale = places;
            std::int64_t total = m_units, added = units;
            bool ok = true;
            if (places > m_scale)
                ok = !__builtin_mul_overflow(total, std::int64_t(kPowers[places - m_scale]), &total);
            else if (places < m_scale)
                ok = !__builtin_mul_overflow(added, std::int64_t(kPowers[m_scale - places]), &added);
            if (ok)
                ok = !__builtin_add_overflow(total, added, &total);
            if (ok) {
                m_units = total;
                m_scale = std::max(m_scale, places);
                return true;
            }
            if (m_units == 0)
                return false;
            addInexact(exactPart());
            m_units = 0;
        }
    }

    void addInexact(double x)
    {
        const double t = m_sum + x;
        if (std::fabs(m_sum) >= std::fabs(x))
            m_compensation += (m_sum - t) + x;
        else
            m_compensation += (x - t) + m_sum;
        m_sum = t;
        m_hasInexact = true;
    }

    std::int64_t m_units = 0;   // exact part: m_units * 10^-m_scale
    int m_scale = 0;
    double m_sum = 0;
    double m_compensation = 0;
    bool m_hasInexact = false;
};

// Lays a report out page by page. The current row, the page number and the
// running sums are what the bands' expressions read.
class Layouter : public EvalContext {
public:
    Layouter(const ReportDefinition& def, const DataSource& data)
        : m_def(def), m_data(data), m_locale(def.locale)
    {
        QStringList groupNames;
        for (const Group& g : def.groups)
            groupNames << g.name;
        ExpressionCompiler compiler(data, groupNames);

        m_reportHeader = compileBand(compiler, def.reportHeader, BandKind::ReportHeader, -1);
        for (int g = 0; g < int(def.groups.size()); ++g) {
            const Group& group = def.groups[g];
            if (group.expression.trimmed().isEmpty())
                throw ReportError(QStringLiteral("У группы \"%1\" не задано выражение").arg(group.name));
            m_groupExpressions.push_back(compiler.compile(group.expression, -1));
            m_groupHeaders.push_back(compileBand(compiler, group.header, BandKind::GroupHeader, g));
            m_groupFooters.push_back(compileBand(compiler, group.footer, BandKind::GroupFooter, g));
        }
        m_detail = compileBand(compiler, def.detail, BandKind::Detail, -1);
        m_reportFooter = compileBand(compiler, def.reportFooter, BandKind::ReportFooter, -1);
        m_pageFooter = compileBand(compiler, def.pageFooter, BandKind::PageFooter, -1);

        m_open.assign(def.groups.size(), false);
        m_rowValues.assign(std::max(0, data.columnCount()), Value());
        m_rowOf.assign(m_rowValues.size(), -1);
        m_aggregates = compiler.aggregates();
        m_sums.assign(m_aggregates.size(), RunningSum());
        m_model.title = def.title;
        m_model.setup = def.page;
    }

    PageModel run()
    {
        startPage();
        place(m_reportHeader);

        const int rows = m_data.rowCount();
        const int levels = int(m_groupExpressions.size());
        std::vector<Value> previous(levels), values(levels);
        for (int r = 0; r < rows; ++r) {
            m_row = r;
            for (int g = 0; g < levels; ++g)
                values[g] = m_groupExpressions[g].evaluate(*this);

            // A group break is seen on this row; the footers are laid out
            // from the previous row, the group's last.
            int level = levels;
            if (r == 0) {
                level = 0;
            } else {
                for (int g = 0; g < levels; ++g) {
                    if (!sameGroupValue(values[g], previous[g])) {
                        level = g;
                        break;
                    }
                }
                m_row = r - 1;
                for (int g = levels - 1; g >= level; --g)
                    closeGroup(g);
                m_row = r;
            }
            for (int g = level; g < levels; ++g) {
                place(m_groupHeaders[g]);
                m_open[g] = true;
            }
            previous.swap(values);

            for (size_t i = 0; i < m_aggregates.size(); ++i)
                m_sums[i].add(m_aggregates[i].argument.evaluate(*this).toNumber());
            place(m_detail);
        }
        if (rows > 0) {
            m_row = rows - 1;
            for (int g = levels - 1; g >= 0; --g)
                closeGroup(g);
        }
        place(m_reportFooter);
        finishPage();
        return std::move(m_model);
    }

    // EvalContext. A row's value is read from the data once: the bands'
    // items, their conditions, the group expressions and every running sum
    // read the same few columns of the row.
    Value field(int column) const override
    {
        if (m_row < 0)
            return Value();
        if (column < 0 || column >= int(m_rowValues.size()))
            return Value::fromVariant(m_data.value(m_row, column));
        if (m_rowOf[column] != m_row) {
            m_rowValues[column] = Value::fromVariant(m_data.value(m_row, column));
            m_rowOf[column] = m_row;
        }
        return m_rowValues[column];
    }
    int pageNumber() const override { return m_model.pages.size(); }
    double aggregate(int index) const override { return m_sums[index].value(); }
    const QLocale& locale() const override { return m_locale; }
    bool continued() const override { return m_continued; }

private:
    CompiledBand compileBand(ExpressionCompiler& compiler, const Band& band, BandKind kind, int group)
    {
        CompiledBand out;
        out.band = &band;
        out.kind = kind;
        out.group = group;
        if (!band.printWhen.trimmed().isEmpty())
            out.printWhen = compiler.compile(band.printWhen, group);
        for (const Item& item : band.items) {
            CompiledItem ci;
            ci.item = &item;
            try {
                if (!item.mask.isEmpty()) {
                    ci.format = NumberFormat::parse(item.mask);
                    ci.hasMask = true;
                }
                if (item.kind == ItemKind::Field) {
                    ci.column = m_data.columnIndex(item.text.trimmed());
                    if (ci.column < 0)
                        throw ReportError(QStringLiteral("Неизвестное поле \"%1\"").arg(item.text));
                } else if (item.kind == ItemKind::Expression) {
                    ci.expression = compiler.compile(item.text, group);
                }
            } catch (const ReportError& e) {
                if (item.name.isEmpty())
                    throw;
                throw ReportError(QStringLiteral("%1 (элемент %2)").arg(e.text(), item.name));
            }
            out.items.push_back(ci);
        }
        return out;
    }

    void closeGroup(int g)
    {
        place(m_groupFooters[g]);
        m_open[g] = false;
        for (size_t i = 0; i < m_aggregates.size(); ++i) {
            if (m_aggregates[i].resetGroup == g)
                m_sums[i].reset();
        }
    }

    QString display(const Value& v, const CompiledItem& ci) const
    {
        switch (v.type) {
        case Value::Null:
            return ci.hasMask ? ci.format.format(0, m_locale) : QString();
        case Value::Number:
            return ci.format.format(v.number, m_locale);
        case Value::Text:
            if (ci.hasMask) {
                bool ok = false;
                const double d = v.text.trimmed().toDouble(&ok);
                if (ok)
                    return ci.format.format(d, m_locale);
            }
            return chopTrailingSpaces(v.text);
        }
        return QString();
    }

    QString textOf(const CompiledItem& ci) const
    {
        switch (ci.item->kind) {
        case ItemKind::Label:
            return ci.item->text;
        case ItemKind::Field:
            return display(field(ci.column), ci);
        case ItemKind::Expression:
            return display(ci.expression.evaluate(*this), ci);
        default:
            return QString();
        }
    }

    struct PreparedText {
        QString text;
        double height = 0;
        double width = -1;   // of a text of one line; -1 unknown
    };

    // Evaluates the band's texts and answers the height it needs.
    double prepare(const CompiledBand& band, std::vector<PreparedText>& texts)
    {
        double height = band.band->height;
        texts.resize(band.items.size());
        for (size_t i = 0; i < band.items.size(); ++i) {
            const Item& item = *band.items[i].item;
            PreparedText& p = texts[i];
            p.height = item.rect.height();
            p.width = -1;
            if (item.kind != ItemKind::Label && item.kind != ItemKind::Field && item.kind != ItemKind::Expression) {
                p.text.clear();
                continue;
            }
            p.text = textOf(band.items[i]);
            // A text stays within its item and the printable width: broken
            // into lines where the item wraps, otherwise cut with an ellipsis.
            const double width = qMin(item.rect.right(), m_def.page.printableWidth()) - item.rect.left();
            if (item.wordWrap) {
                const auto wrapped = m_metrics.wrap(p.text, item.font, width);
                p.text = wrapped.text;
                p.height = qMax(p.height, wrapped.height);
                height = qMax(height, item.rect.top() + p.height);
            } else {
                p.text = m_metrics.elide(p.text, item.font, width, &p.width);
            }
        }
        return height;
    }

    void addFrame(Page& page, const QRectF& r, const Frame& frame)
    {
        if (frame.sides & TopSide)
            page.lines.append({QLineF(r.topLeft(), r.topRight()), frame.width, frame.color});
        if (frame.sides & BottomSide)
            page.lines.append({QLineF(r.bottomLeft(), r.bottomRight()), frame.width, frame.color});
        if (frame.sides & LeftSide)
            page.lines.append({QLineF(r.topLeft(), r.bottomLeft()), frame.width, frame.color});
        if (frame.sides & RightSide)
            page.lines.append({QLineF(r.topRight(), r.bottomRight()), frame.width, frame.color});
    }

    void output(const CompiledBand& band, const std::vector<PreparedText>& texts, double top, double height)
    {
        Page& page = m_model.pages.last();
        const double left = m_def.page.leftMargin;
        const QRectF bandRect(left, top, m_def.page.printableWidth(), height);
        const int bandIndex = page.bands.size();
        page.bands.append({band.kind, band.group, m_row, bandRect});

        if (band.band->background.isValid())
            page.boxes.append({bandRect, band.band->background});
        addFrame(page, bandRect, band.band->frame);

        for (size_t i = 0; i < band.items.size(); ++i) {
            const Item& item = *band.items[i].item;
            QRectF r = item.rect.translated(left, top);
            switch (item.kind) {
            case ItemKind::Line:
                page.lines.append({QLineF(r.topLeft(), r.bottomRight()), item.lineWidth, item.color});
                break;
            case ItemKind::Box:
                if (item.background.isValid())
                    page.boxes.append({r.normalized(), item.background});
                addFrame(page, r.normalized(), item.frame);
                break;
            default: {
                r.setHeight(texts[i].height);
                if (item.background.isValid())
                    page.boxes.append({r, item.background});
                addFrame(page, r, item.frame);
                TextPrimitive t;
                t.rect = r;
                t.text = texts[i].text;
                t.font = item.font;
                // Lines of a wrapped text run down from the item's top; a
                // text that fits on one line keeps the item's alignment.
                t.alignment = item.wordWrap && texts[i].text.contains(QLatin1Char('\n'))
                                  ? ((item.alignment & Qt::AlignHorizontal_Mask) | Qt::AlignTop)
                                  : item.alignment;
                t.color = item.color;
                t.item = item.name;
                t.band = bandIndex;
                t.width = texts[i].width;
                page.texts.append(std::move(t));
                break;
            }
            }
        }
    }

    void place(const CompiledBand& band)
    {
        if (band.isEmpty())
            return;
        if (band.printWhen.isValid() && !band.printWhen.evaluate(*this).isTrue())
            return;
        double height = prepare(band, m_prepared);
        // A band never splits: one that does not fit starts a new page
        // (and is evaluated again there, for its page number). A band
        // taller than a whole page is placed on a fresh page as it is.
        if (m_y + height > m_limit + kEpsilon && m_pageHasBands) {
            finishPage();
            startPage();
            repeatOpenHeaders();
            height = prepare(band, m_prepared);
        }
        output(band, m_prepared, m_y, height);
        m_y += height;
        m_pageHasBands = true;
    }

    // On a page that continues groups, the headers of those that ask for it,
    // outermost first, so that the rows below carry the name they belong to.
    void repeatOpenHeaders()
    {
        std::vector<PreparedText> texts;
        for (size_t g = 0; g < m_open.size(); ++g) {
            if (!m_open[g] || !m_def.groups[g].repeatHeader || m_groupHeaders[g].isEmpty())
                continue;
            m_continued = true;
            const double height = prepare(m_groupHeaders[g], texts);
            m_continued = false;
            output(m_groupHeaders[g], texts, m_y, height);
            m_model.pages.last().bands.last().repeated = true;
            m_y += height;
            m_pageHasBands = true;
        }
    }

    void startPage()
    {
        Page page;
        page.number = m_model.pages.size() + 1;
        // A page holds about as much as the one before: no regrowing.
        if (!m_model.pages.isEmpty()) {
            page.texts.reserve(m_model.pages.last().texts.size() + 16);
            page.bands.reserve(m_model.pages.last().bands.size() + 4);
        }
        page.size = m_def.page.paperSize();
        m_model.pages.append(std::move(page));
        m_y = m_def.page.topMargin;
        // The page footer's room is reserved before anything else is placed.
        const double footer = m_pageFooter.isEmpty() ? 0 : m_pageFooter.band->height;
        m_limit = m_def.page.paperSize().height() - m_def.page.bottomMargin - footer;
        m_pageHasBands = false;
    }

    void finishPage()
    {
        if (m_pageFooter.isEmpty())
            return;
        std::vector<PreparedText> texts;
        prepare(m_pageFooter, texts);
        const double height = m_pageFooter.band->height;
        const double top = m_model.pages.last().size.height() - m_def.page.bottomMargin - height;
        output(m_pageFooter, texts, top, height);
    }

    const ReportDefinition& m_def;
    const DataSource& m_data;
    QLocale m_locale;
    detail::TextMetrics m_metrics;

    CompiledBand m_reportHeader, m_detail, m_reportFooter, m_pageFooter;
    std::vector<CompiledBand> m_groupHeaders, m_groupFooters;
    std::vector<Expression> m_groupExpressions;
    std::vector<Aggregate> m_aggregates;
    std::vector<RunningSum> m_sums;
    std::vector<bool> m_open;   // per group: its header is placed, its footer not yet
    std::vector<PreparedText> m_prepared;
    mutable std::vector<Value> m_rowValues;   // per column: its value in row m_rowOf
    mutable std::vector<int> m_rowOf;

    PageModel m_model;
    int m_row = -1;
    double m_y = 0;
    double m_limit = 0;
    bool m_pageHasBands = false;
    bool m_continued = false;   // a header is being repeated
};

} // namespace

PageModel layoutReport(const ReportDefinition& definition, const DataSource& data)
{
    return Layouter(definition, data).run();
}

} // namespace report
