#pragma once

#include "protocol/reportsink.h"

#include <QString>

// The report parser's rules read literally, written for clarity rather than
// speed: every rule searches the whole block from its start, every deletion
// rewrites it. Tests and the benchmark hold the product parser against it.
// The separator, the labels and their widths are literal copies of the
// device's texts on purpose, not the program's constants: a change to those
// is caught here.
class ReferenceReportParser
{
public:
    // One parser call. Returns false when the call changed nothing: no
    // separator was taken and no rule found its label.
    bool parseReport(QString &accumulator, ParserState &state, ReportSink &sink);

    QString block() const { return m_block; }
    bool recordWaiting() const { return m_block.contains(QStringLiteral("Nr.:")); }

private:
    bool valueRule(const QString &label, int skip, int width, int after, QString *value);
    bool recordRule(ParserState &state, ReportSink &sink);
    bool fillLevelRule(ReportSink &sink);
    bool dropRule(const QString &label, int drop);

    QString m_block;
};
