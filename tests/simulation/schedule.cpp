#include "schedule.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <array>
#include <iterator>

namespace {

// What one byte chooses. Small memories keep a schedule fast; 150 and 320
// records take seconds of simulated wire time and cross a clock tick's
// limit of records.
constexpr std::array<int, 8> recordCounts{0, 1, 2, 5, 20, 40, 150, 320};
// 50 scales the sleeve position by 5/100, the others by 1/10; under 100,
// 100 to 999 and over 999 give the force 2, 1 and 0 decimals.
constexpr std::array<int, 6> ranges{50, 100, 200, 1500, 20, 1000};
constexpr std::array<int, 8> chunkBytes{1, 3, 16, 64, 256, 1024, 4096, 65536};
constexpr std::array<int, 8> chunkGapsMs{1, 2, 5, 10, 30, 100, 400, 1500};
constexpr int sendsFrom = 192;     // a sends byte at or above: breaks off
constexpr int announcesFrom = 208; // an announces byte at or above: a wrong count
constexpr int pauseStepMs = 20;
constexpr int pauseMinMs = 100;
constexpr int maxDelayMs = 12000;
constexpr int valueSteps = 37;

template<size_t N>
int indexOf(const std::array<int, N> &table, int value)
{
    const auto at = std::find(table.begin(), table.end(), value);
    return at == table.end() ? -1 : int(std::distance(table.begin(), at));
}

QString serialFor(int index)
{
    return QString::number(100001 + 111 * index);
}

// splitmix64, as the measurement generator uses.
quint64 nextRandom(quint64 &state)
{
    quint64 z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

const char *const kindNames[]
    = {"pace", "pause", "unplug", "plug", "read", "write", "ask", "answer", "export", "kill"};

} // namespace

bool Schedule::Device::operator==(const Device &other) const
{
    return records == other.records && range == other.range && oneReport == other.oneReport
        && sends == other.sends && announces == other.announces
        && serialNumber == other.serialNumber;
}

bool Schedule::operator==(const Schedule &other) const
{
    return devices == other.devices && events == other.events;
}

bool Schedule::hasKill() const
{
    return std::any_of(events.begin(), events.end(),
                       [](const Event &event) { return event.kind == Kind::Kill; });
}

Schedule Schedule::fromBytes(const QByteArray &bytes)
{
    qsizetype at = 0;
    const auto next = [&]() -> int { return at < bytes.size() ? quint8(bytes.at(at++)) : 0; };
    Schedule schedule;
    const int deviceCount = 1 + next() % 3;
    for (int i = 0; i < deviceCount; ++i) {
        Device device;
        device.records = recordCounts[next() % recordCounts.size()];
        device.range = ranges[next() % ranges.size()];
        device.oneReport = next() & 1;
        const int sends = next();
        device.sends = sends >= sendsFrom ? sends - sendsFrom : -1;
        const int announces = next();
        device.announces = announces >= announcesFrom ? announces - announcesFrom : -1;
        device.serialNumber = serialFor(i);
        schedule.devices << device;
    }
    qint64 time = 0;
    while (at + 4 <= bytes.size() && schedule.events.size() < maxEvents) {
        Event event;
        event.kind = Kind(next() % int(Kind::KindCount));
        const int arg = next();
        const int delay = next();
        time += (delay | next() << 8) % (maxDelayMs + 1);
        event.atMs = time;
        switch (event.kind) {
        case Kind::Pace:
            event.a = chunkBytes[arg & 7];
            event.b = chunkGapsMs[(arg >> 3) & 7];
            break;
        case Kind::Pause:
            event.a = pauseMinMs + arg * pauseStepMs;
            break;
        case Kind::Plug:
            event.a = arg % deviceCount;
            break;
        case Kind::Write:
            event.a = arg % 7;
            event.b = arg / 7 % valueSteps;
            break;
        case Kind::Answer:
            event.a = arg & 1;
            break;
        default:
            break;
        }
        schedule.events << event;
    }
    return schedule;
}

QByteArray Schedule::seedBytes(quint64 seed)
{
    quint64 state = seed * 0x2545f4914f6cdd1dULL + 1;
    QByteArray bytes;
    bytes += char(nextRandom(state));
    for (int i = 0; i < 3 * 5; ++i) {
        // A wrong count or a device that breaks off in about one of eight.
        const quint64 r = nextRandom(state);
        bytes += char(i % 5 >= 3 && (r >> 8) % 8 != 0 ? r % sendsFrom : r);
    }
    const int events = 4 + int(nextRandom(state) % 20);
    for (int i = 0; i < events; ++i) {
        const quint64 r = nextRandom(state);
        bytes += char(r);
        bytes += char(r >> 8);
        // Mostly quick successions, now and then a long wait.
        const int delay = (r >> 16) % 8 == 0 ? int((r >> 24) % maxDelayMs) : int((r >> 24) % 1500);
        bytes += char(delay & 0xff);
        bytes += char(delay >> 8);
    }
    return bytes;
}

QByteArray Schedule::toBytes() const
{
    QByteArray bytes;
    bytes += char(qMax(0, int(devices.size()) - 1));
    for (const Device &device : devices) {
        bytes += char(indexOf(recordCounts, device.records));
        bytes += char(indexOf(ranges, device.range));
        bytes += char(device.oneReport ? 1 : 0);
        bytes += char(device.sends < 0 ? 0 : sendsFrom + device.sends);
        bytes += char(device.announces < 0 ? 0 : announcesFrom + device.announces);
    }
    qint64 time = 0;
    for (const Event &event : events) {
        int arg = 0;
        switch (event.kind) {
        case Kind::Pace:
            arg = indexOf(chunkBytes, event.a) | indexOf(chunkGapsMs, event.b) << 3;
            break;
        case Kind::Pause:
            arg = (event.a - pauseMinMs) / pauseStepMs;
            break;
        case Kind::Plug:
        case Kind::Answer:
            arg = event.a;
            break;
        case Kind::Write:
            arg = event.a + 7 * event.b;
            break;
        default:
            break;
        }
        const qint64 delay = event.atMs - time;
        time = event.atMs;
        bytes += char(event.kind);
        bytes += char(arg);
        bytes += char(delay & 0xff);
        bytes += char(delay >> 8);
    }
    return bytes;
}

QString Schedule::toText() const
{
    QStringList lines;
    for (int i = 0; i < devices.size(); ++i) {
        const Device &d = devices.at(i);
        QString line
            = QStringLiteral("device %1: serial %2, range %3, records %4, %5")
                  .arg(i + 1)
                  .arg(d.serialNumber)
                  .arg(d.range)
                  .arg(d.records)
                  .arg(d.oneReport ? QStringLiteral("one-report") : QStringLiteral("per-record"));
        if (d.sends >= 0)
            line += QStringLiteral(", sends %1").arg(d.sends);
        if (d.announces >= 0)
            line += QStringLiteral(", announces %1").arg(d.announces);
        lines << line;
    }
    for (const Event &e : events) {
        QString what;
        switch (e.kind) {
        case Kind::Pace:
            what = QStringLiteral("pace %1 B every %2 ms").arg(e.a).arg(e.b);
            break;
        case Kind::Pause:
            what = QStringLiteral("pause %1 ms").arg(e.a);
            break;
        case Kind::Unplug:
            what = QStringLiteral("unplug");
            break;
        case Kind::Plug:
            what = QStringLiteral("plug device %1").arg(e.a + 1);
            break;
        case Kind::Read:
            what = QStringLiteral("read");
            break;
        case Kind::Write:
            what = QStringLiteral("write setting %1 step %2").arg(e.a).arg(e.b);
            break;
        case Kind::Ask:
            what = QStringLiteral("ask");
            break;
        case Kind::Answer:
            what = QStringLiteral("answer %1")
                       .arg(e.a ? QStringLiteral("Ja") : QStringLiteral("Nein"));
            break;
        case Kind::Export:
            what = QStringLiteral("export");
            break;
        case Kind::Kill:
            what = QStringLiteral("kill");
            break;
        case Kind::KindCount:
            break;
        }
        lines << QStringLiteral("%1 %2").arg(e.atMs).arg(what);
    }
    return lines.join(u'\n') + u'\n';
}

std::optional<Schedule> Schedule::fromText(const QString &text, QString *error)
{
    static const QRegularExpression deviceLine(QStringLiteral(
        "^device (\\d+): serial (\\S{6}), range (\\d+), records (\\d+), (per-record|one-report)"
        "(?:, sends (\\d+))?(?:, announces (\\d+))?$"));
    static const QRegularExpression eventLine(QStringLiteral("^(\\d+) (\\w+)(?: (.*))?$"));
    Schedule schedule;
    const auto fail = [error](int lineNumber, const QString &why) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(lineNumber).arg(why);
        return std::nullopt;
    };
    const QStringList lines = text.split(u'\n');
    qint64 time = 0;
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines.at(n).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (const auto m = deviceLine.match(line); m.hasMatch()) {
            Device d;
            d.serialNumber = m.captured(2);
            d.range = m.captured(3).toInt();
            d.records = m.captured(4).toInt();
            d.oneReport = m.captured(5) == QLatin1String("one-report");
            d.sends = m.captured(6).isEmpty() ? -1 : m.captured(6).toInt();
            d.announces = m.captured(7).isEmpty() ? -1 : m.captured(7).toInt();
            if (m.captured(1).toInt() != schedule.devices.size() + 1 || schedule.devices.size() >= 3
                || indexOf(ranges, d.range) < 0 || indexOf(recordCounts, d.records) < 0
                || d.sends > 255 - sendsFrom || d.announces > 255 - announcesFrom)
                return fail(n + 1, QStringLiteral("no such device"));
            schedule.devices << d;
            continue;
        }
        const auto m = eventLine.match(line);
        if (!m.hasMatch() || schedule.devices.isEmpty())
            return fail(n + 1, QStringLiteral("neither a device nor an event"));
        Event e;
        e.atMs = m.captured(1).toLongLong();
        if (e.atMs < time || e.atMs - time > maxDelayMs)
            return fail(n + 1, QStringLiteral("out of time order"));
        time = e.atMs;
        const int kind = int(
            std::find_if(std::begin(kindNames), std::end(kindNames),
                         [&](const char *name) { return m.captured(2) == QLatin1String(name); })
            - std::begin(kindNames));
        if (kind >= int(Kind::KindCount))
            return fail(n + 1, QStringLiteral("no such event"));
        e.kind = Kind(kind);
        const QStringList words = m.captured(3).split(u' ', Qt::SkipEmptyParts);
        const auto number = [&words](int i) { return i < words.size() ? words.at(i).toInt() : -1; };
        bool valid = true;
        switch (e.kind) {
        case Kind::Pace:
            e.a = number(0);
            e.b = number(3);
            valid = indexOf(chunkBytes, e.a) >= 0 && indexOf(chunkGapsMs, e.b) >= 0;
            break;
        case Kind::Pause:
            e.a = number(0);
            valid = e.a >= pauseMinMs && (e.a - pauseMinMs) % pauseStepMs == 0
                && (e.a - pauseMinMs) / pauseStepMs <= 255;
            break;
        case Kind::Plug:
            e.a = number(1) - 1;
            valid = e.a >= 0;
            break;
        case Kind::Write:
            e.a = number(1);
            e.b = number(3);
            valid = e.a >= 0 && e.a < 7 && e.b >= 0 && e.b < valueSteps && e.a + 7 * e.b < 256;
            break;
        case Kind::Answer:
            e.a = words.value(0) == QLatin1String("Ja") ? 1 : 0;
            valid = e.a == 1 || words.value(0) == QLatin1String("Nein");
            break;
        default:
            break;
        }
        if (!valid)
            return fail(n + 1, QStringLiteral("bad argument"));
        schedule.events << e;
    }
    for (const Event &e : std::as_const(schedule.events)) {
        if (e.kind == Kind::Plug && e.a >= schedule.devices.size())
            return fail(0, QStringLiteral("plugs a device not listed"));
    }
    if (schedule.devices.isEmpty() || schedule.events.size() > maxEvents)
        return fail(0, QStringLiteral("no device, or too many events"));
    return schedule;
}
