#pragma once

#include "fakedriver.h"
#include "fuzzplan.h"
#include "parserside.h"
#include "protocol/reportparser.h"
#include "referencereportparser.h"
#include "textreportsink.h"

#include <QString>

#include <memory>

class DeviceSession;

// Plays one fuzz input through the program's device session and holds it
// against the literal reference parser.
//
// The bytes go into a fake converter in chunks; the session's link polls
// them, its receive run moves them into its accumulator and its parser turns
// them into the values and rows it keeps. Next to it, the product parser with
// a recording sink and the reference parser get the same text. After every
// parser call all three must agree: result, deliveries, report block,
// accumulator, measuring range, record number, raw sleeve position, rows and
// the values the session kept. The receive path itself is checked against a
// model of the link (reads of Limits::pollBytes at most, zero bytes dropped)
// and of the receive run (Limits::receiveRunCharacters at most, carriage
// returns removed). Any difference ends the process with a description on
// stderr.
class ReceiveDifferential
{
public:
    ReceiveDifferential();
    ~ReceiveDifferential();

    void run(const FuzzPlan &plan);

private:
    bool sessionCall();
    void runFlood(const FuzzPlan &plan);
    void deliver(const QByteArray &chunk);
    void pollAll();
    void receive();
    bool tick(int calls, bool realClockTick);
    bool step(bool withSession);
    bool referenceTextWaits();
    void compareSides(const char *where, qsizetype logSize);
    void compareSession(const char *where);
    void compareKept(const char *where);
    ParserSnapshot referenceSnapshot() const;
    [[noreturn]] void fail(const char *where, const QString &what) const;

    std::unique_ptr<DeviceSession> m_session;
    FakeDriver *m_fake = nullptr; // owned by the session's link

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
