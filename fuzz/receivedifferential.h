#pragma once

#include "controller/formreportsink.h"
#include "fakedriver.h"
#include "fuzzplan.h"
#include "parserside.h"
#include "protocol/reportparser.h"
#include "referencereportparser.h"
#include "textreportsink.h"

#include <QString>

#include <memory>

class KalvorIIControl;

// Plays one fuzz input through the real program and holds it against the
// literal reference parser.
//
// The bytes go into a fake converter in chunks; the controller's link polls
// them, the controller's receive run moves them into its accumulator and its
// parser turns them into form values and table rows. Next to it, the product
// parser with a recording sink and the reference parser get the same text.
// After every parser call all three must agree: result, deliveries, report
// block, accumulator, measuring range, record number, raw sleeve position,
// table rows and form values. The receive path itself is checked against a
// model of the link (reads of at most 4096 bytes, zero bytes dropped) and
// of the receive run (at most 65536 characters, carriage returns removed). Any difference ends the
// process with a description on stderr.
//
// Building the controller (its form with style sheets) costs about 40 ms,
// which would hold the fuzzer to some 25 inputs a second. So most inputs run
// on one long-lived controller that gets a fresh link for each input: its
// own receive run moves the text, and a fresh parser fills its form through
// the form's own sink, on its own accumulator and variables, exactly as the
// controller's parser call does. Inputs whose plan asks for it build a
// controller of their own and use its parser and clock tick unchanged.
class ReceiveDifferential
{
public:
    // With `shared`, the input runs on that controller, whose link talks to
    // `sharedFake` (the controller must have been built while that converter
    // could not be opened); without, on one built for it.
    ReceiveDifferential(KalvorIIControl *shared, FakeDriver *sharedFake);
    ~ReceiveDifferential();

    void run(const FuzzPlan &plan);

private:
    void startOwnController();
    void startOnShared(KalvorIIControl *shared, FakeDriver *fake);
    bool controllerCall();
    void controllerClockTick();
    QString controllerBlock() const;

    void runFlood(const FuzzPlan &plan);
    void deliver(const QByteArray &chunk);
    void pollAll();
    void receive();
    bool tick(int calls, bool realClockTick);
    bool step(bool withController);
    bool referenceTextWaits();
    void compareSides(const char *where, qsizetype logSize);
    void compareController(const char *where);
    void compareForm(const char *where);
    ParserSnapshot referenceSnapshot() const;
    [[noreturn]] void fail(const char *where, const QString &what) const;

    std::unique_ptr<KalvorIIControl> m_ownController;
    KalvorIIControl *m_controller = nullptr;
    FakeDriver *m_fake = nullptr;
    // On the shared controller: the parser that stands in for its own.
    std::unique_ptr<ReportParser> m_windowParser;
    std::unique_ptr<FormReportSink> m_formSink;
    QList<MeasurementRow> m_formRows;

    // The link as modelled: bytes queued in the driver, and every character
    // the link should have buffered so far, of which m_taken are taken.
    QByteArray m_queued;
    QString m_linkText;
    qsizetype m_taken = 0;

    ParserSide<ReportParser> m_product;
    ParserSide<ReferenceReportParser> m_reference;
    qsizetype m_rowsCompared = 0;
    qsizetype m_calls = 0;
};
