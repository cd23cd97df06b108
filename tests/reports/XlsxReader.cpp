#include "tests/reports/XlsxReader.h"

#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

QString cellRef(int column, int row)
{
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

namespace {

// Texts in the file carry characters XML cannot hold as "_xHHHH_".
QString decodeEscapes(const QString& text)
{
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    qsizetype from = 0;
    for (auto it = escape.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += text.mid(from, m.capturedStart() - from);
        out += QChar(char16_t(m.captured(1).toUShort(nullptr, 16)));
        from = m.capturedEnd();
    }
    return out + text.mid(from);
}

} // namespace

QByteArray XlsxReader::entry(const QString& path, const QString& name, bool* found)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, name});
    if (!unzip.waitForStarted(5000) || !unzip.waitForFinished(30000)) {
        ADD_FAILURE() << "unzip did not run on " << path.toStdString();
        if (found)
            *found = false;
        return {};
    }
    const bool ok = unzip.exitStatus() == QProcess::NormalExit && unzip.exitCode() == 0;
    if (found)
        *found = ok;
    return ok ? unzip.readAllStandardOutput() : QByteArray();
}

XlsxReader::XlsxReader(const QString& path)
{
    bool found = false;
    const QByteArray workbook = entry(path, QStringLiteral("xl/workbook.xml"), &found);
    if (!found) {
        ADD_FAILURE() << "not a workbook: " << path.toStdString();
        m_ok = false;
        return;
    }
    QXmlStreamReader xml(workbook);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"sheet")
            m_sheetNames << xml.attributes().value(QLatin1String("name")).toString();
    }

    const QByteArray strings = entry(path, QStringLiteral("xl/sharedStrings.xml"), &found);
    if (found)
        readStrings(strings);
    const QByteArray styles = entry(path, QStringLiteral("xl/styles.xml"), &found);
    if (!found) {
        ADD_FAILURE() << "no styles in " << path.toStdString();
        m_ok = false;
    }
    readStyles(styles);
    for (int i = 1; i <= m_sheetNames.size(); ++i) {
        SheetData sheet;
        const QByteArray xml = entry(path, QStringLiteral("xl/worksheets/sheet%1.xml").arg(i), &found);
        if (!found) {
            ADD_FAILURE() << "sheet " << i << " missing in " << path.toStdString();
            m_ok = false;
        }
        readSheet(xml, sheet);
        m_sheets << sheet;
    }
}

void XlsxReader::readStrings(const QByteArray& data)
{
    QXmlStreamReader xml(data);
    QString current;
    bool inItem = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si") {
            inItem = true;
            current.clear();
        } else if (xml.isStartElement() && xml.name() == u"t" && inItem) {
            current += xml.readElementText();
        } else if (xml.isEndElement() && xml.name() == u"si") {
            inItem = false;
            m_strings << decodeEscapes(current);
        }
    }
    if (xml.hasError())
        ADD_FAILURE() << "sharedStrings.xml: " << xml.errorString().toStdString();
}

void XlsxReader::readStyles(const QByteArray& data)
{
    QXmlStreamReader xml(data);
    QHash<int, QString> customFormats;
    QVector<bool> boldFonts;
    bool inFonts = false, inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == u"numFmt")
                customFormats.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                                     xml.attributes().value(QLatin1String("formatCode")).toString());
            else if (name == u"fonts")
                inFonts = true;
            else if (name == u"font" && inFonts)
                boldFonts << false;
            else if (name == u"b" && inFonts && !boldFonts.isEmpty())
                boldFonts.last() = xml.attributes().value(QLatin1String("val")) != u"0";
            else if (name == u"cellXfs")
                inCellXfs = true;
            else if (name == u"xf" && inCellXfs) {
                const int numFmt = xml.attributes().value(QLatin1String("numFmtId")).toInt();
                const int font = xml.attributes().value(QLatin1String("fontId")).toInt();
                Style style;
                style.textFormat = numFmt == 49 || customFormats.value(numFmt) == u"@";
                style.bold = font < boldFonts.size() && boldFonts.at(font);
                m_styles << style;
            }
        } else if (xml.isEndElement()) {
            if (xml.name() == u"fonts")
                inFonts = false;
            else if (xml.name() == u"cellXfs")
                inCellXfs = false;
        }
    }
    if (xml.hasError())
        ADD_FAILURE() << "styles.xml: " << xml.errorString().toStdString();
}

void XlsxReader::readSheet(const QByteArray& data, SheetData& into)
{
    QXmlStreamReader xml(data);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"col") {
            const auto a = xml.attributes();
            for (int c = a.value(QLatin1String("min")).toInt(); c <= a.value(QLatin1String("max")).toInt(); ++c)
                into.widths.insert(c, a.value(QLatin1String("width")).toDouble());
        } else if (xml.name() == u"c") {
            const auto a = xml.attributes();
            const QString ref = a.value(QLatin1String("r")).toString();
            const QString type = a.value(QLatin1String("t")).toString();
            XlsxCell cell;
            const int styleIndex = a.value(QLatin1String("s")).toInt();
            if (styleIndex < m_styles.size()) {
                cell.textFormat = m_styles.at(styleIndex).textFormat;
                cell.bold = m_styles.at(styleIndex).bold;
            }
            QString value;
            bool hasValue = false;
            while (xml.readNextStartElement()) {
                if (xml.name() == u"v") {
                    value = xml.readElementText();
                    hasValue = true;
                } else if (xml.name() == u"is") {
                    while (xml.readNextStartElement()) {
                        if (xml.name() == u"t")
                            value += xml.readElementText();
                        else
                            xml.skipCurrentElement();
                    }
                    hasValue = true;
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (!hasValue) {
                cell.blank = true;
            } else if (type == u"s") {
                cell.isText = true;
                const int index = value.toInt();
                if (index < 0 || index >= m_strings.size())
                    ADD_FAILURE() << "shared string " << index << " missing for " << ref.toStdString();
                else
                    cell.text = m_strings.at(index);
            } else if (type == u"str" || type == u"inlineStr") {
                cell.isText = true;
                cell.text = type == u"inlineStr" ? decodeEscapes(value) : value;
            } else {
                bool ok = false;
                cell.number = value.toDouble(&ok);
                if (!ok)
                    ADD_FAILURE() << "not a number in " << ref.toStdString() << ": " << value.toStdString();
            }
            into.cells.insert(ref, cell);
        }
    }
    if (xml.hasError())
        ADD_FAILURE() << "sheet xml: " << xml.errorString().toStdString();
}

std::optional<XlsxCell> XlsxReader::cell(int sheet, const QString& ref) const
{
    if (sheet < 1 || sheet > m_sheets.size())
        return std::nullopt;
    const auto& cells = m_sheets.at(sheet - 1).cells;
    const auto it = cells.find(ref);
    return it == cells.end() ? std::nullopt : std::optional<XlsxCell>(*it);
}

int XlsxReader::cellCount(int sheet) const
{
    return sheet < 1 || sheet > m_sheets.size() ? 0 : int(m_sheets.at(sheet - 1).cells.size());
}

std::optional<double> XlsxReader::columnWidth(int sheet, int column) const
{
    if (sheet < 1 || sheet > m_sheets.size())
        return std::nullopt;
    const auto& widths = m_sheets.at(sheet - 1).widths;
    const auto it = widths.find(column);
    return it == widths.end() ? std::nullopt : std::optional<double>(*it);
}
