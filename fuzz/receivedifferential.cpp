#include "receivedifferential.h"

#include "controller/kalvoriicontrol.h"
#include "controller/settingfields.h"
#include "link/ftdi_control.h"
#include "protocol/reportdrain.h"

#include <QLabel>
#include <QProgressBar>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

// The limits of the program's receive side that the model mirrors.
constexpr int linkReadLimit = 4096;
constexpr int receiveLimit = 65536;
constexpr int clockDrainLimit = 250;
// Ticks after the last byte before a stream counts as worked off.
constexpr int drainTicks = 400;

constexpr auto excerpt = &TextReportSink::excerpt;

} // namespace

ReceiveDifferential::ReceiveDifferential(KalvorIIControl *shared, FakeDriver *sharedFake)
{
    if (shared)
        startOnShared(shared, sharedFake);
    else
        startOwnController();
    // The fuzzer decides when polls, receive runs and ticks happen.
    m_controller->clockTimer->stop();
    m_controller->receiveTimer->stop();
    m_controller->lookTimer->stop();
    m_fake->openStatus = FT_OK;
    if (!m_controller->link->isOpen()
        && m_controller->link->openDevice(QStringLiteral("USB Serial Converter")))
        fail("start", QStringLiteral("the link did not open the fake converter"));
}

void ReceiveDifferential::startOwnController()
{
    // The converter is missing while the controller is built, so that its
    // start-up skips the wake step's pauses; it appears right after, and the
    // link opens it.
    auto fake = std::make_unique<FakeDriver>();
    fake->openStatus = FT_DEVICE_NOT_FOUND;
    m_fake = fake.get();
    m_ownController = std::make_unique<KalvorIIControl>(std::move(fake));
    m_controller = m_ownController.get();
    // Nobody looks at the window, and painting it would cost more than the
    // input. Its widgets keep their values all the same.
    m_controller->mainWidget->hide();
}

// The controller's state as a fresh one has it, and its link and converter
// emptied of the last input's bytes; the form's values stay, but only what
// this input delivers is compared.
void ReceiveDifferential::startOnShared(KalvorIIControl *shared, FakeDriver *fake)
{
    m_controller = shared;
    m_fake = fake;
    m_fake->incoming.clear();
    m_fake->clearLog();
    FTDI_Control *link = m_controller->link;
    QByteArray leftover(link->bytesAvailable(), '\0');
    link->takeBytes(leftover.data(), int(leftover.size()));
    m_controller->receiveAccumulator.clear();
    m_controller->measuringRange = -1;
    m_controller->measurementNumber = 1;
    m_controller->sleevePositionRaw = 0;
    m_controller->ui.Messwert_treeWidget->clear();
    m_controller->ui.Incoming_Data_TextEdit->clear();
    m_windowParser = std::make_unique<ReportParser>();
    m_formSink = std::make_unique<FormReportSink>(m_controller->ui, m_formRows);
}

ReceiveDifferential::~ReceiveDifferential() = default;

void ReceiveDifferential::run(const FuzzPlan &plan)
{
    if (plan.flood) {
        runFlood(plan);
        return;
    }
    const QList<int> sizes = plan.chunkSizes();
    qsizetype at = 0;
    for (int i = 0; i < sizes.size(); ++i) {
        deliver(plan.stream.mid(at, sizes.at(i)));
        at += sizes.at(i);
        if ((i + 1) % plan.pollEvery == 0)
            pollAll();
        if ((i + 1) % plan.receiveEvery == 0) {
            receive();
            tick(plan.callsPerTick, plan.realClockTick);
        }
    }
    pollAll();
    while (m_controller->link->bytesAvailable() > 0) {
        receive();
        tick(plan.callsPerTick, plan.realClockTick);
    }
    // Work off what is left as the clock would, until a tick changes nothing.
    for (int round = 0; round < drainTicks && referenceTextWaits(); ++round) {
        if (!tick(clockDrainLimit, plan.realClockTick))
            break;
    }
}

// One parser call on the controller's accumulator, as KalvorIIControl's own
// parseReport makes it.
bool ReceiveDifferential::controllerCall()
{
    if (m_ownController)
        return m_controller->parseReport(m_controller->receiveAccumulator);
    ParserState state{m_controller->measuringRange, m_controller->measurementNumber,
                      m_controller->sleevePositionRaw};
    return m_windowParser->parseReport(m_controller->receiveAccumulator, state, *m_formSink);
}

// The controller's clock tick: its own slot, or the same drain on the
// stand-in parser.
void ReceiveDifferential::controllerClockTick()
{
    if (m_ownController) {
        m_controller->clockTick();
        return;
    }
    drainReports(
        m_controller->receiveAccumulator, [this](QString &) { return controllerCall(); },
        [this] { return m_windowParser->recordWaiting(); }, clockDrainLimit);
}

QString ReceiveDifferential::controllerBlock() const
{
    return m_ownController ? m_controller->reportBlock() : m_windowParser->block();
}

// The stream, repeated past the receive limit, arrives at once: the receive
// runs must take 65536 characters, then the rest, in order. The parser gets
// one clock tick on the result to show it copes; the parsers' agreement is
// checked on the plain streams.
void ReceiveDifferential::runFlood(const FuzzPlan &plan)
{
    const QList<int> sizes = plan.chunkSizes();
    qsizetype at = 0;
    for (int size : sizes) {
        deliver(plan.stream.mid(at, size));
        at += size;
    }
    pollAll();
    while (m_controller->link->bytesAvailable() > 0)
        receive();
    controllerClockTick();
}

void ReceiveDifferential::deliver(const QByteArray &chunk)
{
    m_fake->deliver(chunk);
    m_queued += chunk;
}

void ReceiveDifferential::pollAll()
{
    while (!m_fake->incoming.isEmpty()) {
        const qsizetype queuedBefore = m_fake->incoming.size();
        m_controller->link->poll();
        if (m_fake->incoming.size() >= queuedBefore)
            fail("poll",
                 QStringLiteral("the link read nothing although %1 bytes were queued")
                     .arg(queuedBefore));

        QByteArray read = m_queued.left(linkReadLimit);
        m_queued.remove(0, read.size());
        read.replace(QByteArray(1, '\0'), QByteArray());
        m_linkText += QString::fromLatin1(read);

        if (m_fake->incoming != m_queued)
            fail("poll",
                 QStringLiteral("the link read %1 bytes, expected %2")
                     .arg(queuedBefore - m_fake->incoming.size())
                     .arg(queuedBefore - m_queued.size()));
        const int available = m_controller->link->bytesAvailable();
        if (available != m_linkText.size() - m_taken)
            fail("poll",
                 QStringLiteral("the link holds %1 characters, expected %2")
                     .arg(available)
                     .arg(m_linkText.size() - m_taken));
    }
}

void ReceiveDifferential::receive()
{
    const int available = m_controller->link->bytesAvailable();
    const qsizetype n = qMin(available, receiveLimit);
    const qsizetype before = m_controller->receiveAccumulator.size();
    m_controller->receiveOnce();

    QString expected = m_linkText.mid(m_taken, n);
    expected.remove(u'\r');
    m_taken += n;
    const QString received = m_controller->receiveAccumulator.mid(before);
    if (received != expected)
        fail("receive run",
             QStringLiteral("received %1, expected %2").arg(excerpt(received), excerpt(expected)));
    if (m_controller->link->bytesAvailable() != available - n)
        fail("receive run",
             QStringLiteral("the link kept %1 characters, expected %2")
                 .arg(m_controller->link->bytesAvailable())
                 .arg(available - n));
    m_product.accumulator += received;
    m_reference.accumulator += received;
}

// One clock tick on all three. Returns whether any call changed anything.
bool ReceiveDifferential::tick(int calls, bool realClockTick)
{
    if (realClockTick) {
        // The controller's own tick; the two parsers follow its rule (up to
        // 250 calls while text waits, ending at the first call that changes
        // nothing), and the controller must end where they end.
        controllerClockTick();
        const bool changed = drainReports(
            m_reference.accumulator, [this](QString &) { return step(false); },
            [this] { return m_reference.parser.recordWaiting(); }, clockDrainLimit);
        compareController("clock tick");
        return changed;
    }
    // Single calls. Unlike the clock, go on after a call that changed nothing
    // (once), so that its claim is put to the test by the next call too.
    bool changedAny = false;
    int unchangedInARow = 0;
    for (int i = 0; i < calls && referenceTextWaits(); ++i) {
        if (step(true)) {
            changedAny = true;
            unchangedInARow = 0;
        } else if (++unchangedInARow == 2) {
            break;
        }
    }
    return changedAny;
}

// What makes the clock call the parser: text in the accumulator or a record
// in the block.
bool ReceiveDifferential::referenceTextWaits()
{
    return !m_reference.accumulator.isEmpty() || m_reference.parser.recordWaiting();
}

bool ReceiveDifferential::step(bool withController)
{
    const ParserSnapshot before = referenceSnapshot();
    const qsizetype logSize = m_reference.sink.log().size();
    bool controllerResult = false;
    if (withController)
        controllerResult = controllerCall();
    const bool productResult = m_product.call();
    const bool referenceResult = m_reference.call();
    const bool changed = !(referenceSnapshot() == before);
    ++m_calls;

    const char *where = "parser call";
    if (referenceResult != changed)
        fail(where, QStringLiteral("the reference parser's own result is wrong"));
    if (productResult != changed)
        fail(where,
             QStringLiteral("the product parser says %1, the reference %2")
                 .arg(productResult ? QStringLiteral("changed") : QStringLiteral("unchanged"),
                      changed ? QStringLiteral("changed") : QStringLiteral("did not change")));
    compareSides(where, logSize);
    if (withController) {
        if (controllerResult != changed)
            fail(where,
                 QStringLiteral("the controller's parser call says %1")
                     .arg(controllerResult ? QStringLiteral("changed")
                                           : QStringLiteral("unchanged")));
        compareController(where);
    }
    return changed;
}

void ReceiveDifferential::compareSides(const char *where, qsizetype logSize)
{
    if (const QString difference = sideDifference(m_product, m_reference, logSize);
        !difference.isEmpty())
        fail(where, difference);
}

void ReceiveDifferential::compareController(const char *where)
{
    const KalvorIIControl &controller = *m_controller;
    if (controller.receiveAccumulator != m_reference.accumulator)
        fail(where,
             QStringLiteral("controller's accumulator %1, reference %2")
                 .arg(excerpt(controller.receiveAccumulator), excerpt(m_reference.accumulator)));
    const QString block = controllerBlock();
    if (block != m_reference.parser.block())
        fail(where,
             QStringLiteral("controller's block %1, reference %2")
                 .arg(excerpt(block), excerpt(m_reference.parser.block())));
    if (!sameVariables(controller, m_reference))
        fail(where,
             QStringLiteral("controller's state %1, reference %2")
                 .arg(variablesText(controller), variablesText(m_reference)));
    compareForm(where);
}

// What the user sees: every table row, the labels, the spin boxes (which
// clamp) and the fill bar (which ignores values outside 0 to 100).
void ReceiveDifferential::compareForm(const char *where)
{
    const Ui::KalvorIIControl &ui = m_controller->ui;
    const QList<QStringList> &rows = m_reference.sink.rows();
    QTreeWidget *tree = ui.Messwert_treeWidget;
    if (tree->topLevelItemCount() != rows.size())
        fail(where,
             QStringLiteral("the table has %1 rows, the reference %2")
                 .arg(tree->topLevelItemCount())
                 .arg(rows.size()));
    for (; m_rowsCompared < rows.size(); ++m_rowsCompared) {
        const QTreeWidgetItem *item = tree->topLevelItem(int(m_rowsCompared));
        QStringList shown;
        for (int column = 0; column < item->columnCount(); ++column)
            shown << item->text(column);
        if (shown != rows.at(m_rowsCompared))
            fail(where,
                 QStringLiteral("row %1 shows [%2], the reference [%3]")
                     .arg(m_rowsCompared + 1)
                     .arg(shown.join(u'|'), rows.at(m_rowsCompared).join(u'|')));
    }

    const TextReportSink &sink = m_reference.sink;
    const auto checkLabel = [&](ReportSink::Text which, const QLabel *label) {
        const std::optional<QString> text = sink.text(which);
        if (text && label->text() != *text)
            fail(where,
                 QStringLiteral("%1 shows %2, the reference %3")
                     .arg(TextReportSink::name(which), excerpt(label->text()), excerpt(*text)));
    };
    checkLabel(ReportSink::Text::SerialNumber, ui.SerialNumber_lb);
    checkLabel(ReportSink::Text::FirmwareVersion, ui.FirmwareVersionsNumber_lb);
    checkLabel(ReportSink::Text::CheckDate, ui.CheckDatum_lb);

    const auto checkBox = [&](ReportSink::Value which, const QSpinBox *box) {
        const std::optional<int> value = sink.value(which);
        if (value && box->value() != qBound(box->minimum(), *value, box->maximum()))
            fail(where,
                 QStringLiteral("%1 shows %2, the reference delivered %3")
                     .arg(TextReportSink::name(which))
                     .arg(box->value())
                     .arg(*value));
    };
    for (const SettingField &field : settingFields)
        checkBox(field.key, ui.*field.box);

    const QProgressBar *bar = ui.Speicherbelegung_PB;
    if (bar->value() != -1 && (bar->value() < bar->minimum() || bar->value() > bar->maximum()))
        fail(where, QStringLiteral("the fill bar shows %1, outside its range").arg(bar->value()));
    const std::optional<int> fill = sink.value(ReportSink::Value::FillLevel);
    if (fill && *fill >= bar->minimum() && *fill <= bar->maximum() && bar->value() != *fill)
        fail(where,
             QStringLiteral("the fill bar shows %1, the reference delivered %2")
                 .arg(bar->value())
                 .arg(*fill));
}

ParserSnapshot ReceiveDifferential::referenceSnapshot() const
{
    return snapshot(m_reference);
}

void ReceiveDifferential::fail(const char *where, const QString &what) const
{
    std::fprintf(stderr, "kalvor2-fuzz: %s, after %lld parser calls: %s\n", where,
                 static_cast<long long>(m_calls), qPrintable(what));
    std::fflush(stderr);
    std::abort();
}
