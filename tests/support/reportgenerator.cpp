#include "reportgenerator.h"

#include "protocol/reportparser.h"

namespace {

const QStringList allLabels = reportLabelTexts();

// Texts the record rule and the force rule delete from the whole block.
const QStringList deletedTexts = reportDeletedTexts();

// Texts that turn into labels, or lose them, once the deletions have run.
const QStringList trapTexts = {
    QStringLiteral("Nr.ID: :"),
    QStringLiteral("SMkNB: "),
    QStringLiteral("HF-IID: D: "),
    QStringLiteral("MessMesswert: wert: "),
    QStringLiteral("kkNN"),
    QStringLiteral("Nr.Pos.: :"),
    QStringLiteral("PoPos.: s.: "),
    QStringLiteral("IID: D: "),
    QStringLiteral("JJJJ:MM:DD:d:hhJJJJ:MM:DD:d:hh:mm:ss:mm:ss"),
    QStringLiteral("Nr.kN:"),
    QStringLiteral("fill lekNvel:"),
    QStringLiteral("Nr.JJJJ:MM:DD:d:hh:mm:ss:"),
    QStringLiteral("HF-ID: 0007\n"),
};

} // namespace

ReportGenerator::ReportGenerator(quint32 seed)
    : m_random(seed)
{
}

QString ReportGenerator::separator()
{
    return QStringLiteral("=========================");
}

int ReportGenerator::bounded(int lowest, int highest)
{
    return lowest + int(m_random.bounded(quint32(highest - lowest + 1)));
}

bool ReportGenerator::chance(int percent)
{
    return bounded(1, 100) <= percent;
}

QString ReportGenerator::finished(const QString &body)
{
    return body + u'\n' + separator() + u'\n';
}

QString ReportGenerator::configurationReport()
{
    static const int ranges[] = {50, 200, 1500};
    m_measuringRange = ranges[bounded(0, 2)];

    QString serial;
    for (int i = 0; i < 6; ++i)
        serial += QChar(u'0' + bounded(0, 9));

    QString body;
    body += QStringLiteral("Serial number : ") + serial + u'\n';
    body += QStringLiteral("Huelsenpos.: ") + QString::asprintf("%03d", bounded(0, 200)) + u'\n';
    body += QStringLiteral("LEDbrightness: ") + QString::asprintf("%03d", bounded(0, 255)) + u'\n';
    body += QStringLiteral("Softwareversion: ") + QString::asprintf("%04d", bounded(100, 1299))
        + u'\n';
    body += QStringLiteral("HF-CH: ") + QString::asprintf("%04d", bounded(0, 99)) + u'\n';
    body += QStringLiteral("HF-ID: ") + QString::asprintf("%04d", bounded(0, 999)) + u'\n';
    body += QStringLiteral("SMB: ") + QString::asprintf("%03d", bounded(0, 255)) + u'\n';
    body += QStringLiteral("SMB dur.: ") + QString::asprintf("%03d", bounded(0, 255)) + u'\n';
    body += QStringLiteral("Nr. of cycles: ") + QString::asprintf("%04d", bounded(0, 9999)) + u'\n';
    body += QStringLiteral("Cycle time: ") + QString::asprintf("%04d", bounded(0, 9999)) + u'\n';
    body += QStringLiteral("Messbereich: ") + QString::asprintf("%04d", m_measuringRange) + u'\n';
    body += QStringLiteral("Info : ")
        + QString::asprintf("%02d.%02d.%04d", bounded(1, 28), bounded(1, 12), bounded(2010, 2030));
    return finished(body);
}

QString ReportGenerator::fillLevelReport(int entries)
{
    const int capacity = 16384;
    const int percent = int(qint64(qBound(0, entries, capacity)) * 100 / capacity);
    return finished(QStringLiteral("fill level: ") + QString::asprintf("%03d", percent)
                    + QStringLiteral("\nEntries : ") + QString::asprintf("%04d", entries));
}

QString ReportGenerator::statusReport()
{
    switch (bounded(0, 2)) {
    case 0:
        return finished(QStringLiteral("current ADC force: ") + forceText()
                        + QStringLiteral(" kN"));
    case 1:
        return finished(QStringLiteral("System running"));
    default:
        return finished(QStringLiteral("Kalvor2 Menue\n1: Einstellungen\n2: Speicher\n"));
    }
}

QString ReportGenerator::forceText()
{
    if (m_measuringRange > 999)
        return QString::asprintf("%04d", bounded(0, 1500));
    if (m_measuringRange < 100)
        return QString::asprintf("%d,%02d", bounded(0, 9), bounded(0, 99));
    return QString::asprintf("%02d,%d", bounded(0, 99), bounded(0, 9));
}

QString ReportGenerator::record(int number)
{
    QString text = QStringLiteral("Nr.: ") + QString::number(number)
        + QStringLiteral("\nJJJJ:MM:DD:d:hh:mm:ss\n");
    text += QString::asprintf("%04d:%02d:%02d:%d:%02d:%02d:%02d\n", bounded(2010, 2030),
                              bounded(1, 12), bounded(1, 28), bounded(1, 7), bounded(0, 23),
                              bounded(0, 59), bounded(0, 59));
    text += QStringLiteral("Messwert: ") + forceText();
    text += QStringLiteral("Pos.: ") + QString::asprintf("%03d", bounded(0, 200));
    text += QStringLiteral("ID: ") + QString::asprintf("%03d", bounded(0, 999)) + u'\n';
    return text;
}

QString ReportGenerator::memoryReport(int records, Layout layout)
{
    QString text = fillLevelReport(records);
    text.reserve(text.size() + qsizetype(records) * 112);
    for (int number = 1; number <= records; ++number) {
        text += record(number);
        if (layout == Layout::ReportPerRecord)
            text += separator() + u'\n';
    }
    if (layout == Layout::SingleChunk)
        text += separator() + u'\n';
    return text;
}

QString ReportGenerator::junk(int length)
{
    // Mostly characters the labels are made of, so that junk now and then
    // forms label fragments.
    static const QString alphabet
        = QStringLiteral("Nr.:ID: kNSMBPos=\n0123456789 ,-:HF-CJMmessbreichwt");
    QString text;
    for (int i = 0; i < length; ++i) {
        const int kind = bounded(0, 19);
        if (kind == 0)
            text += QChar(u'\0');
        else if (kind == 1)
            text += QChar(char16_t(bounded(0x80, 0xff)));
        else if (kind == 2)
            text += QChar(char16_t(bounded(0x20, 0x7e)));
        else
            text += alphabet.at(bounded(0, int(alphabet.size()) - 1));
    }
    return text;
}

QString ReportGenerator::deviceOutput()
{
    QString text;
    const int pieces = bounded(1, 6);
    for (int i = 0; i < pieces; ++i) {
        switch (bounded(0, 9)) {
        case 0:
        case 1:
            text += configurationReport();
            break;
        case 2:
            text += fillLevelReport(bounded(0, 20000));
            break;
        case 3:
        case 4:
        case 5:
            text += memoryReport(bounded(0, chance(10) ? 150 : 12),
                                 chance(50) ? Layout::SingleChunk : Layout::ReportPerRecord);
            break;
        case 6:
            text += record(bounded(1, 99999)) + separator() + u'\n';
            break;
        case 7:
            text += statusReport();
            break;
        case 8:
            if (chance(50)) {
                text += labelSoup(bounded(5, 60));
            } else {
                text += junk(bounded(1, 40));
                if (chance(50))
                    text += separator();
            }
            break;
        default:
            text += allLabels.at(bounded(0, int(allLabels.size()) - 1)) + u' '
                + QString::number(bounded(0, 99999)) + u'\n' + separator() + u'\n';
            break;
        }
    }
    if (chance(70))
        text = mutated(text, 4);
    return text;
}

QString ReportGenerator::labelSoup(int pieces)
{
    QString text;
    for (int i = 0; i < pieces; ++i) {
        switch (bounded(0, 9)) {
        case 0:
        case 1:
            text += allLabels.at(bounded(0, int(allLabels.size()) - 1));
            break;
        case 2:
            text += deletedTexts.at(bounded(0, int(deletedTexts.size()) - 1));
            break;
        case 3:
            text += trapTexts.at(bounded(0, int(trapTexts.size()) - 1));
            break;
        case 4: {
            const QStringList lines = record(bounded(1, 99)).split(u'\n');
            text += lines.at(bounded(0, int(lines.size()) - 1));
            break;
        }
        case 5:
            text += QString::number(bounded(0, 9999));
            break;
        case 6:
            text += chance(50) ? QStringLiteral("\n") : QStringLiteral(" ");
            break;
        case 7:
            text += chance(30) ? separator() + u'\n' : junk(bounded(1, 3));
            break;
        case 8:
            text += forceText();
            break;
        default:
            text += record(bounded(1, 99));
            break;
        }
    }
    return text + u'\n' + separator() + u'\n';
}

QString ReportGenerator::mutated(const QString &text, int count)
{
    QString result = text;
    const int mutations = bounded(1, qMax(1, count));
    for (int i = 0; i < mutations; ++i)
        mutateOnce(result);
    return result;
}

void ReportGenerator::mutateOnce(QString &text)
{
    const auto anywhere = [&] { return bounded(0, int(text.size())); };
    switch (bounded(0, 12)) {
    case 0: { // lines out of order
        QStringList lines = text.split(u'\n');
        if (lines.size() >= 2) {
            const int a = bounded(0, int(lines.size()) - 1);
            const int b = bounded(0, int(lines.size()) - 1);
            lines.swapItemsAt(a, b);
            text = lines.join(u'\n');
        }
        break;
    }
    case 1: { // a line twice
        QStringList lines = text.split(u'\n');
        const int a = bounded(0, int(lines.size()) - 1);
        lines.insert(a, lines.at(a));
        text = lines.join(u'\n');
        break;
    }
    case 2: { // values cut short at the end of a block
        const qsizetype at = text.indexOf(separator(), bounded(0, int(text.size())));
        const qsizetype end = at >= 0 ? at : text.indexOf(separator());
        if (end > 0) {
            const int cut = bounded(1, int(qMin<qsizetype>(end, 12)));
            text.remove(end - cut, cut);
        }
        break;
    }
    case 3: { // a separator inside a label, a value or a record
        QString inserted = separator();
        if (chance(50))
            inserted = u'\n' + inserted + u'\n';
        text.insert(anywhere(), inserted);
        break;
    }
    case 4: { // a deleted text inside a label, or a known trap
        if (chance(50)) {
            text.insert(anywhere(), trapTexts.at(bounded(0, int(trapTexts.size()) - 1)));
            break;
        }
        const QString &label = allLabels.at(bounded(0, int(allLabels.size()) - 1));
        const QString &deleted = deletedTexts.at(bounded(0, int(deletedTexts.size()) - 1));
        QString trap = label;
        trap.insert(bounded(1, int(label.size()) - 1), deleted);
        text.insert(anywhere(), trap + QString::number(bounded(0, 9999)));
        break;
    }
    case 5: { // line breaks missing
        const int from = anywhere();
        const int length = bounded(1, 200);
        for (int i = qMin(int(text.size()), from + length) - 1; i >= from; --i) {
            if (text.at(i) == u'\n' && chance(70))
                text.remove(i, 1);
        }
        break;
    }
    case 6: { // zero and high bytes
        const int count = bounded(1, 4);
        for (int i = 0; i < count; ++i) {
            const QChar c = chance(30) ? QChar(u'\0') : QChar(char16_t(bounded(0x80, 0xff)));
            text.insert(anywhere(), c);
        }
        break;
    }
    case 7: // junk
        text.insert(anywhere(), junk(bounded(1, 30)));
        break;
    case 8: { // a label where it does not belong
        QString label = allLabels.at(bounded(0, int(allLabels.size()) - 1));
        if (chance(30))
            label = deletedTexts.at(bounded(0, int(deletedTexts.size()) - 1));
        text.insert(anywhere(), label + QString::number(bounded(0, 999)));
        break;
    }
    case 9: { // a piece missing
        const int from = anywhere();
        text.remove(from, bounded(1, 20));
        break;
    }
    case 10: { // a damaged separator: one equals sign more or less
        const qsizetype at = text.indexOf(separator(), bounded(0, int(text.size())));
        if (at >= 0) {
            if (chance(50))
                text.remove(at, 1);
            else
                text.insert(at, u'=');
        }
        break;
    }
    case 11: { // a status line that deletes every "kN", right behind other text
        text.insert(anywhere(),
                    QStringLiteral("current ADC force: ") + forceText() + QStringLiteral(" kN\n"));
        break;
    }
    default: { // a record with parts missing or duplicated
        QString piece = record(bounded(1, 999));
        piece.remove(bounded(0, int(piece.size()) - 1), bounded(1, 20));
        if (chance(30))
            piece += piece;
        text.insert(anywhere(), piece);
        break;
    }
    }
}

QStringList ReportGenerator::chunks(const QString &text, int maxChunk)
{
    QStringList pieces;
    qsizetype at = 0;
    while (at < text.size()) {
        int length;
        if (chance(10))
            length = bounded(1, 3);
        else if (chance(10))
            length = bounded(1, qMax(1, maxChunk * 16));
        else
            length = bounded(1, qMax(1, maxChunk));
        pieces.append(text.mid(at, length));
        at += length;
    }
    return pieces;
}
