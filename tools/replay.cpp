// kalvor2-replay FILE: what the program makes of a device's output.
//
// Runs the real controller offscreen on a converter whose device sends the
// bytes of FILE, in simulated time, and prints the window's values and the
// measurement table as NAME<TAB>VALUE lines.

#include "app/commandline.h"
#include "controller/kalvoriicontrol.h"
#include "controller/settingfields.h"
#include "link/ftdi_control.h"
#include "tools/replaydriver.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>

namespace {

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

struct WindowState
{
    QString accumulator;
    QString block;
    QStringList values;
    int rows = 0;
    bool operator==(const WindowState &other) const
    {
        return accumulator == other.accumulator && block == other.block && values == other.values
            && rows == other.rows;
    }
};

QStringList valueLines(const Ui::KalvorIIControl &ui)
{
    QStringList lines;
    const auto add = [&lines](const char *name, const QString &value) {
        lines << QLatin1String(name) + QLatin1Char('\t') + escaped(value);
    };
    add("SerialNumber_lb", ui.SerialNumber_lb->text());
    add("FirmwareVersionsNumber_lb", ui.FirmwareVersionsNumber_lb->text());
    add("CheckDatum_lb", ui.CheckDatum_lb->text());
    for (const SettingField &field : settingFields) {
        const QSpinBox *box = ui.*field.box;
        add(qPrintable(box->objectName()), QString::number(box->value()));
    }
    add("Huelsenpos_SB", QString::number(ui.Huelsenpos_SB->value(), 'f', 2));
    add("Speicherbelegung_PB", QString::number(ui.Speicherbelegung_PB->value()));
    return lines;
}

WindowState snapshot(KalvorIIControl &controller)
{
    return WindowState{controller.receiveAccumulator, controller.reportBlock(),
                       valueLines(controller.ui),
                       controller.ui.Messwert_treeWidget->topLevelItemCount()};
}

} // namespace

int main(int argc, char *argv[])
{
    CommandLine commandLine(
        argc, argv,
        QStringLiteral("What the Kalvor II tool makes of a device's output: runs the program "
                       "offscreen on a converter that sends the bytes of FILE and prints the "
                       "window's values and the measurement table as NAME<TAB>VALUE lines."));
    commandLine.parser().addPositionalArgument(
        QStringLiteral("FILE"), QStringLiteral("The device's output: a capture, a corpus file."));
    commandLine.process();
    const QStringList files = commandLine.parser().positionalArguments();
    if (files.size() != 1)
        commandLine.fail(QStringLiteral("takes one FILE (see --help)"));

    const QString fileName = files.first();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        commandLine.fail(QStringLiteral("cannot read %1: %2").arg(fileName, file.errorString()));
    QByteArray capture = file.readAll();
    if (file.error() != QFileDevice::NoError)
        commandLine.fail(QStringLiteral("cannot read %1: %2").arg(fileName, file.errorString()));

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    auto driverOwner = std::make_unique<ReplayDriver>(std::move(capture));
    ReplayDriver *driver = driverOwner.get();
    // Time is simulated: the slots are run in the order their timers would
    // fire, without waiting.
    KalvorIIControl controller(std::move(driverOwner), KalvorIIControl::Timers::Stopped);

    // Every byte reaches the link's buffer before the first receive run, in
    // polls of at most 4096 bytes.
    while (driver->pending() > 0)
        controller.link->poll();

    for (qint64 ms = 50;; ms += 50) {
        controller.receiveOnce();
        if (ms % 100 != 0)
            continue;
        const WindowState before = snapshot(controller);
        controller.clockTick();
        if (controller.link->bytesAvailable() == 0 && driver->pending() == 0
            && snapshot(controller) == before)
            break;
    }

    QByteArray out;
    for (const QString &line : valueLines(controller.ui))
        out += line.toUtf8() + '\n';
    QTreeWidget *tree = controller.ui.Messwert_treeWidget;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QString line = QStringLiteral("row");
        for (int column = 0; column < MeasurementRow::ColumnCount; ++column)
            line += QLatin1Char('\t') + escaped(tree->topLevelItem(i)->text(column));
        out += line.toUtf8() + '\n';
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return 0;
}
