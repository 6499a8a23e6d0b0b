#include "workbook.h"

#include "export/filewriter.h"
#include "session/statustexts.h"

#include "protocol/devicesettings.h"
#include "protocol/measuringrange.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>

namespace Workbook {

namespace {

// The window's texts share one translation context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(KalvorIIControl)
};

// The columns of the sheet "Messwerte".
enum Column : lxw_col_t {
    NumberColumn,
    TimeColumn,
    ForceColumn,
    PositionColumn,
    IdColumn,
    Columns,
    // Hidden beside them: what the chart plots, when some rows have no time or
    // no force. A spreadsheet plots a text among a scatter's x values by turning
    // the whole axis into running numbers, and a text among its y values as 0;
    // blanks it leaves out.
    ChartTimeColumn = Columns,
    ChartForceColumn,
};

// A cell holds at most this many characters; a longer text from a broken
// report is cut rather than losing the workbook.
constexpr qsizetype maxCellText = 32767;

// Room for the header's filter button, and a little air beside a cell's text.
constexpr qsizetype filterButtonWidth = 3;
constexpr qsizetype cellPadding = 2;

// Spreadsheets count days from 1900, and the first two months of that year
// differ between them: anything earlier is no date a spreadsheet shows.
const QDate firstDate(1900, 3, 1);

lxw_datetime cellDateTime(const QDate &date, const QTime &time = QTime(0, 0))
{
    return {date.year(), date.month(),  date.day(),
            time.hour(), time.minute(), double(time.second())};
}

bool isCellDate(const QDate &date)
{
    return date.isValid() && date >= firstDate;
}

// The row's time as the table shows it, in one cell.
QString timeText(const MeasurementRow &row)
{
    return (row.cells.value(MeasurementRow::Date) + QLatin1Char(' ')
            + row.cells.value(MeasurementRow::Time))
        .trimmed();
}

QByteArray numberFormat(int decimals)
{
    return decimals > 0 ? QByteArray("0.") + QByteArray(decimals, '0') : QByteArray("0");
}

// Builds one workbook into an lxw_workbook and keeps the first error the
// library reports.
class Builder
{
public:
    explicit Builder(lxw_workbook *book)
        : m_book(book)
    {
        m_bold = workbook_add_format(book);
        format_set_bold(m_bold);
        m_header = workbook_add_format(book);
        format_set_bold(m_header);
        format_set_bottom(m_header, LXW_BORDER_THIN);
        m_integer = number("0");
        m_dateTime = number("yyyy-mm-dd hh:mm:ss");
        // A text where a number belongs stands where the number would.
        m_numberText = workbook_add_format(book);
        format_set_align(m_numberText, LXW_ALIGN_RIGHT);
        // The device sheet's values stand left, under one another, whatever
        // their kind.
        m_left = workbook_add_format(book);
        format_set_align(m_left, LXW_ALIGN_LEFT);
        m_leftInteger = number("0", LXW_ALIGN_LEFT);
        m_leftDateTime = number("yyyy-mm-dd hh:mm:ss", LXW_ALIGN_LEFT);
        m_leftDate = number("yyyy-mm-dd", LXW_ALIGN_LEFT);
    }

    lxw_error error() const { return m_error; }

    void measurements(const QList<MeasurementRow> &rows, int measuringRange);
    void device(const ReadInfo &read, const QDateTime &exportedAt);
    void chart(lxw_row_t rows);

private:
    lxw_format *number(const char *format, uint8_t align = LXW_ALIGN_NONE)
    {
        lxw_format *f = workbook_add_format(m_book);
        format_set_num_format(f, format);
        if (align != LXW_ALIGN_NONE)
            format_set_align(f, align);
        return f;
    }
    void note(lxw_error error)
    {
        if (m_error == LXW_NO_ERROR)
            m_error = error;
    }
    lxw_worksheet *sheet(const QString &name)
    {
        lxw_worksheet *sheet = workbook_add_worksheet(m_book, name.toUtf8().constData());
        if (!sheet)
            note(LXW_ERROR_MEMORY_MALLOC_FAILED);
        return sheet;
    }
    void text(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t column, const QString &text,
              lxw_format *format)
    {
        note(worksheet_write_string(sheet, row, column, text.left(maxCellText).toUtf8().constData(),
                                    format));
    }
    void value(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t column, double value,
               lxw_format *format)
    {
        note(worksheet_write_number(sheet, row, column, value, format));
    }
    void dateTime(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t column, lxw_datetime dateTime,
                  lxw_format *format)
    {
        note(worksheet_write_datetime(sheet, row, column, &dateTime, format));
    }

    lxw_workbook *m_book;
    lxw_error m_error = LXW_NO_ERROR;
    lxw_format *m_bold;
    lxw_format *m_header;
    lxw_format *m_integer;
    lxw_format *m_dateTime;
    lxw_format *m_numberText;
    lxw_format *m_left;
    lxw_format *m_leftInteger;
    lxw_format *m_leftDateTime;
    lxw_format *m_leftDate;
    QByteArray m_measurementSheet; // its name, for the chart's ranges
    bool m_chartColumns = false;   // the chart reads the hidden columns
};

void Builder::measurements(const QList<MeasurementRow> &rows, int measuringRange)
{
    const QString name = Texts::tr("Messwerte");
    m_measurementSheet = name.toUtf8();
    lxw_worksheet *ws = sheet(name);
    if (!ws)
        return;

    const int forceDecimals = MeasuringRange::forceDecimals(measuringRange);
    const int positionDecimals = MeasuringRange::sleevePositionDecimals(measuringRange);
    lxw_format *force = number(numberFormat(forceDecimals).constData());
    lxw_format *position = number(numberFormat(positionDecimals).constData());

    const std::array<QString, Columns> headers{
        Texts::tr("Messung"), Texts::tr("Datum und Zeit"), Texts::tr("Kraft [kN]"),
        Texts::tr("Hülsenposition [mm]"), Texts::tr("Geräte-ID")};
    std::array<qsizetype, Columns> widths{};
    for (lxw_col_t column = 0; column < Columns; ++column) {
        text(ws, 0, column, headers[column], m_header);
        widths[column] = headers[column].size() + filterButtonWidth;
    }
    const qsizetype dateTimeWidth = qsizetype(qstrlen("yyyy-mm-dd hh:mm:ss"));

    const auto plottable = [](const MeasurementRow &row) {
        return row.timeStamp.isValid() && isCellDate(row.timeStamp.date())
            && std::isfinite(row.force);
    };
    m_chartColumns = !std::all_of(rows.cbegin(), rows.cend(), plottable);

    // Where the device sent a number, the cell holds it; where it sent
    // something else ("nan", "-inf", a broken date), the cell holds what the
    // table shows, never a number made up in its place.
    const auto numberOrText
        = [&](lxw_row_t r, Column column, double number, MeasurementRow::Column cell,
              const MeasurementRow &row, lxw_format *format, int decimals) {
              QString shown;
              if (std::isfinite(number)) {
                  value(ws, r, column, number, format);
                  shown = QString::number(number, 'f', decimals);
              } else {
                  shown = row.cells.value(cell);
                  text(ws, r, column, shown, m_numberText);
              }
              widths[column] = std::max(widths[column], shown.size());
          };

    lxw_row_t r = 1;
    for (const MeasurementRow &row : rows) {
        numberOrText(r, NumberColumn, row.number, MeasurementRow::Number, row, m_integer, 0);
        const bool dated = row.timeStamp.isValid() && isCellDate(row.timeStamp.date());
        const lxw_datetime stamp
            = dated ? cellDateTime(row.timeStamp.date(), row.timeStamp.time()) : lxw_datetime{};
        if (dated) {
            dateTime(ws, r, TimeColumn, stamp, m_dateTime);
            widths[TimeColumn] = std::max(widths[TimeColumn], dateTimeWidth);
        } else {
            const QString shown = timeText(row);
            text(ws, r, TimeColumn, shown, m_numberText);
            widths[TimeColumn] = std::max(widths[TimeColumn], shown.size());
        }
        numberOrText(r, ForceColumn, row.force, MeasurementRow::Force, row, force, forceDecimals);
        numberOrText(r, PositionColumn, row.sleevePosition, MeasurementRow::SleevePosition, row,
                     position, positionDecimals);
        numberOrText(r, IdColumn, row.deviceId, MeasurementRow::DeviceId, row, m_integer, 0);
        if (m_chartColumns && plottable(row)) {
            dateTime(ws, r, ChartTimeColumn, stamp, m_dateTime);
            value(ws, r, ChartForceColumn, row.force, force);
        }
        ++r;
    }

    for (lxw_col_t column = 0; column < Columns; ++column)
        note(worksheet_set_column(ws, column, column, double(widths[column] + cellPadding),
                                  nullptr));
    if (m_chartColumns) {
        lxw_row_col_options hidden{};
        hidden.hidden = 1;
        note(worksheet_set_column_opt(ws, ChartTimeColumn, ChartForceColumn, LXW_DEF_COL_WIDTH,
                                      nullptr, &hidden));
    }
    worksheet_freeze_panes(ws, 1, 0);
    note(worksheet_autofilter(ws, 0, 0, lxw_row_t(rows.size()), Columns - 1));
    // On paper: all columns on the page's width, the header on every page.
    worksheet_fit_to_pages(ws, 1, 0);
    note(worksheet_repeat_rows(ws, 0, 0));
}

void Builder::device(const ReadInfo &read, const QDateTime &exportedAt)
{
    lxw_worksheet *ws = sheet(Texts::tr("Gerät"));
    if (!ws)
        return;

    qsizetype labelWidth = 0;
    qsizetype valueWidth = 0;
    lxw_row_t r = 0;
    const auto label = [&](const QString &name) {
        text(ws, r, 0, name, m_bold);
        labelWidth = std::max(labelWidth, name.size());
    };
    const auto textLine = [&](const QString &name, const QString &shown) {
        label(name);
        text(ws, r, 1, shown, m_left);
        valueWidth = std::max(valueWidth, shown.size());
        ++r;
    };
    // An unknown value leaves its cell empty.
    const auto numberLine = [&](const QString &name, int number, bool known) {
        label(name);
        if (known) {
            value(ws, r, 1, number, m_leftInteger);
            valueWidth = std::max(valueWidth, QString::number(number).size());
        }
        ++r;
    };
    const auto dateTimeLine = [&](const QString &name, const QDateTime &instant) {
        label(name);
        if (instant.isValid() && isCellDate(instant.date())) {
            dateTime(ws, r, 1, cellDateTime(instant.date(), instant.time()), m_leftDateTime);
            valueWidth = std::max(valueWidth, qsizetype(qstrlen("yyyy-mm-dd hh:mm:ss")));
        }
        ++r;
    };

    // The serial number keeps its leading zeros: text.
    textLine(Texts::tr("Seriennummer"), read.serialNumber);
    textLine(Texts::tr("Firmware"), read.firmwareVersion);
    const QDate checkDate = QDate::fromString(read.checkDate, QStringLiteral("dd.MM.yyyy"));
    if (isCellDate(checkDate)) {
        label(Texts::tr("Kontroll-Datum"));
        dateTime(ws, r, 1, cellDateTime(checkDate), m_leftDate);
        ++r;
    } else {
        textLine(Texts::tr("Kontroll-Datum"), read.checkDate);
    }
    numberLine(Texts::tr("Messbereich [kN]"), read.measuringRange, read.measuringRange != -1);
    for (const DeviceSetting &setting : deviceSettings)
        numberLine(settingName(setting.key), read.settings.*setting.field, read.settingsKnown);
    numberLine(Texts::tr("Einträge im Gerät"), read.entriesAnnounced, read.entriesAnnounced >= 0);
    numberLine(Texts::tr("Messwerte empfangen"), read.rowsReceived, true);
    label(Texts::tr("Vollständig gelesen"));
    note(worksheet_write_boolean(ws, r, 1, read.complete, m_left));
    ++r;
    dateTimeLine(Texts::tr("Gelesen am"), read.startedAt);
    dateTimeLine(Texts::tr("Exportiert am"), exportedAt);
    textLine(Texts::tr("Programm"),
             QCoreApplication::applicationName() + QLatin1Char(' ')
                 + QStringLiteral(KALVOR2_VERSION));

    note(worksheet_set_column(ws, 0, 0, double(labelWidth + cellPadding), nullptr));
    note(worksheet_set_column(ws, 1, 1, double(valueWidth + cellPadding), nullptr));
}

void Builder::chart(lxw_row_t rows)
{
    if (m_measurementSheet.isEmpty())
        return;
    lxw_chart *chart = workbook_add_chart(m_book, LXW_CHART_SCATTER_STRAIGHT);
    lxw_chartsheet *sheet
        = workbook_add_chartsheet(m_book, Texts::tr("Diagramm").toUtf8().constData());
    if (!chart || !sheet) {
        note(LXW_ERROR_MEMORY_MALLOC_FAILED);
        return;
    }
    // An empty read still gets its (empty) chart: a range of one empty row.
    const lxw_row_t last = std::max<lxw_row_t>(rows, 1);
    const lxw_col_t x = m_chartColumns ? ChartTimeColumn : TimeColumn;
    const lxw_col_t y = m_chartColumns ? ChartForceColumn : ForceColumn;
    const char *data = m_measurementSheet.constData();
    lxw_chart_series *series = chart_add_series(chart, nullptr, nullptr);
    if (!series) {
        note(LXW_ERROR_MEMORY_MALLOC_FAILED);
        return;
    }
    chart_series_set_categories(series, data, 1, x, last, x);
    chart_series_set_values(series, data, 1, y, last, y);
    chart_series_set_name_range(series, data, 0, ForceColumn);

    chart_title_set_name(chart, Texts::tr("Kraft über der Zeit").toUtf8().constData());
    chart_axis_set_name(chart->x_axis, Texts::tr("Datum und Zeit").toUtf8().constData());
    chart_axis_set_num_format(chart->x_axis, "yyyy-mm-dd hh:mm");
    chart_axis_set_name(chart->y_axis, Texts::tr("Kraft [kN]").toUtf8().constData());
    chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
    // The hidden columns are what it plots; and a filter on the sheet does
    // not thin out the curve.
    chart_show_hidden_data(chart);
    chartsheet_set_landscape(sheet);
    note(chartsheet_set_chart(sheet, chart));
}

// Why the workbook could not be made: the window's words, and the library's
// or the system's own message (English) behind them.
QString notMade(const QString &why)
{
    return Texts::tr("Die Arbeitsmappe ließ sich nicht erstellen. (%1)").arg(why);
}

QString libraryError(lxw_error error)
{
    return notMade(QString::fromUtf8(lxw_strerror(error)));
}

} // namespace

QByteArray workbookBytes(const QList<MeasurementRow> &rows, const ReadInfo &read,
                         const QDateTime &exportedAt, QString *error)
{
    QString unused;
    QString &reason = error ? *error : unused;
    reason.clear();

    // libxlsxwriter 1.1 writes only to a file of its own naming: a private
    // temporary file, read back whole, gives the bytes that the caller then
    // writes to the target like any other export.
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/kalvor2-XXXXXX.xlsx"));
    if (!file.open()) {
        reason = notMade(file.errorString());
        return {};
    }

    // Constant memory: each row goes to the library's temporary file as the
    // next one starts, so that a full memory takes half the time. The chart
    // then carries no copy of its numbers; spreadsheets read them from the
    // sheet.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(QFile::encodeName(file.fileName()).constData(), &options);
    if (!book) {
        reason = libraryError(LXW_ERROR_MEMORY_MALLOC_FAILED);
        return {};
    }
    // The workbook's own creation time is the export instant, so that the
    // same read exported at the same instant gives the same bytes.
    lxw_doc_properties properties{};
    QByteArray title = QStringLiteral("Kalvor II %1").arg(read.serialNumber).toUtf8();
    properties.title = title.data();
    properties.created = exportedAt.isValid() ? time_t(exportedAt.toSecsSinceEpoch()) : 0;
    workbook_set_properties(book, &properties);

    Builder builder(book);
    builder.measurements(rows, read.measuringRange);
    builder.device(read, exportedAt);
    builder.chart(lxw_row_t(rows.size()));
    // Closing writes the file and frees the workbook, whatever went before.
    const lxw_error closed = workbook_close(book);
    const lxw_error failed = builder.error() != LXW_NO_ERROR ? builder.error() : closed;
    if (failed != LXW_NO_ERROR) {
        reason = libraryError(failed);
        return {};
    }

    file.seek(0);
    QByteArray bytes = file.readAll();
    if (bytes.isEmpty()) {
        reason = notMade(file.errorString());
        return {};
    }
    return bytes;
}

QString writeWorkbook(const QString &fileName, const QList<MeasurementRow> &rows,
                      const ReadInfo &read, const QDateTime &exportedAt)
{
    QString reason;
    const QByteArray bytes = workbookBytes(rows, read, exportedAt, &reason);
    if (bytes.isEmpty())
        return reason;
    return FileWriter::write(
               fileName,
               [&bytes](QIODevice &device) { return device.write(bytes) == bytes.size(); })
        .reason;
}

} // namespace Workbook
