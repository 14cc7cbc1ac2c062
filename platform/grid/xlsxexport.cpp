#include "xlsxexport.h"

#include "platform/grid/gridmodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <xlsxwriter.h>

#include <cmath>
#include <map>
#include <stdexcept>
#include <string>

namespace vexor {

namespace {

// Excel keeps at most this many characters in a cell.
constexpr qsizetype kMaxCellText = 32767;

constexpr lxw_color_t kHeaderFill = 0x5B524B;   // the grid header's colour
constexpr lxw_color_t kGroupFill = 0xDEE2E9;
constexpr lxw_color_t kSummaryFill = 0xE8EAEE;

std::string utf8(const QString &text)
{
    const QByteArray bytes = text.left(kMaxCellText).toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

[[noreturn]] void fail(const QString &path, const QString &reason)
{
    throw std::runtime_error(QStringLiteral("Excel dosyası kaydedilemedi: %1 (%2)").arg(path, reason).toStdString());
}

enum class Fill { None, Header, Group, Summary };

// Formats are workbook objects; one per combination, made when first needed.
class FormatCache
{
public:
    explicit FormatCache(lxw_workbook *workbook) : m_workbook(workbook) {}

    lxw_format *get(const QString &numberFormat, Qt::Alignment alignment, bool wrap, Fill fill)
    {
        const std::string key = utf8(numberFormat) + '|' + std::to_string(int(alignment & Qt::AlignHorizontal_Mask))
                                + '|' + char('0' + int(wrap)) + '|' + char('0' + int(fill));
        if (const auto it = m_formats.find(key); it != m_formats.end())
            return it->second;
        lxw_format *f = workbook_add_format(m_workbook);
        if (!numberFormat.isEmpty())
            format_set_num_format(f, utf8(numberFormat).c_str());
        if (alignment & Qt::AlignLeft)
            format_set_align(f, LXW_ALIGN_LEFT);
        else if (alignment & Qt::AlignHCenter)
            format_set_align(f, LXW_ALIGN_CENTER);
        else if (alignment & Qt::AlignRight)
            format_set_align(f, LXW_ALIGN_RIGHT);
        format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
        if (wrap)
            format_set_text_wrap(f);
        switch (fill) {
        case Fill::None:
            break;
        case Fill::Header:
            format_set_bold(f);
            format_set_font_color(f, LXW_COLOR_WHITE);
            format_set_bg_color(f, kHeaderFill);
            break;
        case Fill::Group:
            format_set_bold(f);
            format_set_bg_color(f, kGroupFill);
            break;
        case Fill::Summary:
            format_set_bold(f);
            format_set_bg_color(f, kSummaryFill);
            break;
        }
        m_formats.emplace(key, f);
        return f;
    }

private:
    lxw_workbook *m_workbook;
    std::map<std::string, lxw_format *> m_formats;
};

class SheetWriter
{
public:
    SheetWriter(const QString &path, lxw_worksheet *sheet) : m_path(path), m_sheet(sheet) {}

    void check(lxw_error error) const
    {
        if (error != LXW_NO_ERROR)
            fail(m_path, QString::fromUtf8(lxw_strerror(error)));
    }
    void text(int row, int col, const QString &value, lxw_format *format) const
    {
        check(worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(col), utf8(value).c_str(), format));
    }
    void number(int row, int col, double value, lxw_format *format) const
    {
        check(worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(col), value, format));
    }
    void boolean(int row, int col, bool value, lxw_format *format) const
    {
        check(worksheet_write_boolean(m_sheet, lxw_row_t(row), lxw_col_t(col), value ? 1 : 0, format));
    }
    void blank(int row, int col, lxw_format *format) const
    {
        if (format)
            check(worksheet_write_blank(m_sheet, lxw_row_t(row), lxw_col_t(col), format));
    }

private:
    QString m_path;
    lxw_worksheet *m_sheet;
};

bool isNumber(FieldType type)
{
    return type == FieldType::Int32 || type == FieldType::Int64 || type == FieldType::Double
           || type == FieldType::Currency || type == FieldType::Bcd;
}

} // namespace

QString excelFileName(const QString &chosen)
{
    const QString suffix = QFileInfo(chosen).suffix();
    if (suffix.compare(u"xlsx", Qt::CaseInsensitive) == 0)
        return chosen;
    // Any of the "*.xls*" names the dialog offers: the content decides, and it is .xlsx.
    if (suffix.startsWith(u"xls", Qt::CaseInsensitive))
        return chosen.left(chosen.size() - suffix.size()) + u"xlsx";
    if (chosen.endsWith(u'.'))
        return chosen + u"xlsx";
    return chosen + u".xlsx";
}

QString excelNumberFormat(const QString &pattern)
{
    if (pattern.isEmpty())
        return QString();
    const qsizetype point = pattern.indexOf(u'.');
    const QStringView integerPart = QStringView(pattern).left(point < 0 ? pattern.size() : point);
    bool grouping = false;
    int minInteger = 0;
    for (QChar c : integerPart) {
        if (c == u',')
            grouping = true;
        else if (c == u'0')
            ++minInteger;
    }
    QString integer;
    if (grouping) {
        // Placeholders from the right: zeros for the digits always shown, a comma every three.
        const int places = qMax(4, minInteger);
        for (int i = 0; i < places; ++i) {
            if (i > 0 && i % 3 == 0)
                integer.prepend(u',');
            integer.prepend(i < minInteger ? u'0' : u'#');
        }
    } else {
        integer = minInteger > 0 ? QString(minInteger, u'0') : QStringLiteral("#");
    }
    QString decimals;
    if (point >= 0) {
        for (QChar c : QStringView(pattern).mid(point + 1)) {
            if (c == u'0' || c == u'#')
                decimals += c;
        }
    }
    return decimals.isEmpty() ? integer : integer + u'.' + decimals;
}

QString excelDateFormat(const QString &qtFormat)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < qtFormat.size(); ++i) {
        const QChar c = qtFormat[i];
        if (c == u'\'') {
            quoted = !quoted;
            out += u'"';
            continue;
        }
        if (quoted) {
            out += c;
            continue;
        }
        if (c == u'M')
            out += u'm';
        else if (c == u'H')
            out += u'h';
        else if (c == u'z')
            out += u'0';
        else if ((c == u'A' || c == u'a') && i + 1 < qtFormat.size() && qtFormat[i + 1].toLower() == u'p') {
            out += QStringLiteral("AM/PM");
            ++i;
        } else if (c == u't') {
            continue;  // Excel dates carry no time zone
        } else {
            out += c;
        }
    }
    return out.trimmed();
}

void writeWorkbook(const QString &path, const GridModel &model, const std::vector<ExportColumn> &columns,
                   const std::vector<ExportRow> &rows)
{
    const MemTable *table = model.liveTable();
    if (rows.size() + 1 > size_t(LXW_ROW_MAX))
        fail(path, QStringLiteral("%1 satır Excel'in sınırını aşıyor").arg(rows.size()));
    if (columns.size() > size_t(LXW_COL_MAX))
        fail(path, QStringLiteral("%1 kolon Excel'in sınırını aşıyor").arg(columns.size()));

    if (!QFileInfo(path).absoluteDir().exists())
        fail(path, QStringLiteral("klasör yok"));

    // Row by row, straight to temporary files: a hundred thousand rows need no more memory
    // than one.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray fileName = QFile::encodeName(path);
    lxw_workbook *workbook = workbook_new_opt(fileName.constData(), &options);
    if (!workbook)
        fail(path, QStringLiteral("çalışma kitabı açılamadı"));

    try {
        lxw_worksheet *sheet = workbook_add_worksheet(workbook, "Sayfa1");
        if (!sheet)
            fail(path, QStringLiteral("sayfa eklenemedi"));
        const SheetWriter out(path, sheet);
        FormatCache formats(workbook);

        const QLocale locale;
        const QString dateFormat = excelDateFormat(locale.dateFormat(QLocale::ShortFormat));
        const QString dateTimeFormat = excelDateFormat(locale.dateTimeFormat(QLocale::ShortFormat));

        // Everything a column needs per cell, worked out once.
        struct Plan
        {
            int column = -1;
            int field = -1;
            FieldType type = FieldType::String;
            CellKind kind = CellKind::Value;
            Summary summary = Summary::None;
            lxw_format *cell = nullptr;
            lxw_format *dateTime = nullptr;   // date-time cells with a time of day
            lxw_format *summaryCell = nullptr;
        };
        std::vector<Plan> plans;
        for (const ExportColumn &c : columns) {
            Plan p;
            const GridColumn &col = model.column(c.column);
            const Qt::Alignment align = model.alignment(c.column);
            p.column = c.column;
            p.field = table ? model.fieldOf(c.column) : -1;
            p.type = p.field >= 0 ? table->field(p.field).type : FieldType::String;
            p.kind = col.kind;
            p.summary = col.footer;
            const QString numberFormat = excelNumberFormat(model.numberFormat(c.column));
            if (col.kind == CellKind::Value && isNumber(p.type)) {
                p.cell = formats.get(numberFormat, align, false, Fill::None);
            } else if (col.kind == CellKind::Value && (p.type == FieldType::Date || p.type == FieldType::DateTime)) {
                p.cell = formats.get(dateFormat, align, false, Fill::None);
                p.dateTime = formats.get(dateTimeFormat, align, false, Fill::None);
            } else {
                p.cell = formats.get(QString(), align, col.wordWrap || col.kind == CellKind::Drawn, Fill::None);
            }
            if (p.summary == Summary::Sum)
                p.summaryCell = formats.get(numberFormat, Qt::AlignRight, false, Fill::Summary);
            else if (p.summary != Summary::None)
                p.summaryCell = formats.get(QStringLiteral("0"), Qt::AlignRight, false, Fill::Summary);
            else
                p.summaryCell = formats.get(QString(), align, false, Fill::Summary);
            plans.push_back(p);
        }
        lxw_format *headerCell = formats.get(QString(), Qt::AlignHCenter, true, Fill::Header);
        lxw_format *groupCell = formats.get(QString(), Qt::AlignLeft, false, Fill::Group);
        lxw_row_col_options outline{};
        outline.level = 1;

        int r = 0;
        for (size_t i = 0; i < columns.size(); ++i) {
            const ExportColumn &c = columns[i];
            if (c.width > 0)
                out.check(worksheet_set_column_pixels(sheet, lxw_col_t(i), lxw_col_t(i), uint32_t(c.width), nullptr));
            out.text(r, int(i), c.caption, headerCell);
        }
        worksheet_freeze_panes(sheet, 1, 0);

        for (const ExportRow &row : rows) {
            ++r;
            switch (row.kind) {
            case ExportRow::Kind::GroupHeader:
                out.text(r, 0, row.text, groupCell);
                for (size_t i = 1; i < columns.size(); ++i)
                    out.blank(r, int(i), groupCell);
                break;
            case ExportRow::Kind::Summary:
                for (size_t i = 0; i < plans.size(); ++i) {
                    const Plan &p = plans[i];
                    if (p.summary == Summary::None || size_t(p.column) >= row.summaries.size())
                        out.blank(r, int(i), p.summaryCell);
                    else if (p.summary == Summary::Sum)
                        out.number(r, int(i), row.summaries[size_t(p.column)].sum, p.summaryCell);
                    else
                        out.number(r, int(i), double(row.summaries[size_t(p.column)].count), p.summaryCell);
                }
                break;
            case ExportRow::Kind::Data: {
                if (row.grouped)
                    out.check(worksheet_set_row_opt(sheet, lxw_row_t(r), LXW_DEF_ROW_HEIGHT, nullptr, &outline));
                const int t = row.tableRow;
                for (size_t i = 0; i < plans.size(); ++i) {
                    const Plan &p = plans[i];
                    const int col = int(i);
                    switch (p.kind) {
                    case CellKind::Value:
                        if (p.field < 0 || table->isNull(t, p.field))
                            break;
                        if (isNumber(p.type)) {
                            out.number(r, col, table->asDouble(t, p.field), p.cell);
                        } else if (p.type == FieldType::Date || p.type == FieldType::DateTime) {
                            // Day numbers from 1899-12-30 are Excel's serial dates.
                            const double day = table->asDouble(t, p.field);
                            out.number(r, col, day, p.type == FieldType::Date || day == std::floor(day) ? p.cell : p.dateTime);
                        } else if (p.type == FieldType::Boolean) {
                            out.boolean(r, col, table->asBool(t, p.field), p.cell);
                        } else if (p.type == FieldType::String) {
                            const QString text = model.displayText(t, p.column);
                            if (!text.isEmpty())
                                out.text(r, col, text, p.cell);
                        }
                        break;
                    case CellKind::Check:
                        if (p.field >= 0)
                            out.boolean(r, col, model.isPositive(t, p.column), p.cell);
                        break;
                    case CellKind::Status:
                    case CellKind::YesNo:
                    case CellKind::PictureFlag:
                    case CellKind::Drawn: {
                        QString text = model.cellText(t, p.column);
                        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                        if (!text.isEmpty())
                            out.text(r, col, text, p.cell);
                        break;
                    }
                    case CellKind::Picture:
                        break;
                    }
                }
                break;
            }
            }
        }
    } catch (...) {
        lxw_workbook_free(workbook);
        throw;
    }

    const lxw_error closed = workbook_close(workbook);
    if (closed != LXW_NO_ERROR)
        fail(path, QString::fromUtf8(lxw_strerror(closed)));
}

} // namespace vexor
