// What the Debian package ships besides the programs: the device rule (read
// by a small parser of udev's key/operator/value pairs), the hardware that
// the AppStream metadata names for it, and the manual pages.

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QXmlStreamReader>

#include <optional>

namespace {

const QString sourceDir = QStringLiteral(KALVOR2_SOURCE_DIR);

struct RulePair
{
    QString key;
    QString attribute;
    QString op;
    QString value;
};

enum class Use { Match, Assign, Both };

struct KeyKind
{
    Use use;
    bool attribute; // takes {name}
};

// The keys of udev's rule language (udev(7)) that a rule of ours might use.
std::optional<KeyKind> keyKind(const QString &key)
{
    static const QHash<QString, KeyKind> keys = {
        {QStringLiteral("ACTION"), {Use::Match, false}},
        {QStringLiteral("DEVPATH"), {Use::Match, false}},
        {QStringLiteral("KERNEL"), {Use::Match, false}},
        {QStringLiteral("KERNELS"), {Use::Match, false}},
        {QStringLiteral("SUBSYSTEM"), {Use::Match, false}},
        {QStringLiteral("SUBSYSTEMS"), {Use::Match, false}},
        {QStringLiteral("DRIVER"), {Use::Match, false}},
        {QStringLiteral("DRIVERS"), {Use::Match, false}},
        {QStringLiteral("ATTRS"), {Use::Match, true}},
        {QStringLiteral("TAGS"), {Use::Match, false}},
        {QStringLiteral("TEST"), {Use::Match, false}},
        {QStringLiteral("PROGRAM"), {Use::Match, false}},
        {QStringLiteral("RESULT"), {Use::Match, false}},
        {QStringLiteral("ATTR"), {Use::Both, true}},
        {QStringLiteral("ENV"), {Use::Both, true}},
        {QStringLiteral("TAG"), {Use::Both, false}},
        {QStringLiteral("NAME"), {Use::Both, false}},
        {QStringLiteral("SYMLINK"), {Use::Both, false}},
        {QStringLiteral("OWNER"), {Use::Assign, false}},
        {QStringLiteral("GROUP"), {Use::Assign, false}},
        {QStringLiteral("MODE"), {Use::Assign, false}},
        {QStringLiteral("RUN"), {Use::Assign, false}},
        {QStringLiteral("LABEL"), {Use::Assign, false}},
        {QStringLiteral("GOTO"), {Use::Assign, false}},
        {QStringLiteral("IMPORT"), {Use::Assign, false}},
        {QStringLiteral("OPTIONS"), {Use::Assign, false}},
    };
    const auto it = keys.constFind(key);
    return it == keys.constEnd() ? std::nullopt : std::optional<KeyKind>(*it);
}

// One rule line: comma-separated KEY[{attribute}] OPERATOR "value" pairs, as
// udev reads them; on a fault the error says what and where.
std::optional<QList<RulePair>> parseRule(const QString &line, QString *error)
{
    static const QRegularExpression pair(QStringLiteral(
        R"re(\G\s*([A-Z_]+)(?:\{([^{}]+)\})?\s*(==|!=|\+=|-=|:=|=)\s*"([^"]*)"\s*(,|$))re"));
    QList<RulePair> pairs;
    qsizetype at = 0;
    while (at < line.size()) {
        const QRegularExpressionMatch match = pair.match(line, at);
        if (!match.hasMatch()) {
            *error = QStringLiteral("no KEY==\"value\" pair at: %1").arg(line.mid(at));
            return std::nullopt;
        }
        const RulePair p{match.captured(1), match.captured(2), match.captured(3),
                         match.captured(4)};
        const std::optional<KeyKind> kind = keyKind(p.key);
        if (!kind) {
            *error = QStringLiteral("unknown key %1").arg(p.key);
            return std::nullopt;
        }
        if (kind->attribute != !p.attribute.isEmpty()) {
            *error
                = QStringLiteral("%1 %2").arg(p.key,
                                              kind->attribute ? QStringLiteral("needs {name}")
                                                              : QStringLiteral("takes no {name}"));
            return std::nullopt;
        }
        const bool isMatch = p.op == QLatin1String("==") || p.op == QLatin1String("!=");
        if ((isMatch && kind->use == Use::Assign) || (!isMatch && kind->use == Use::Match)) {
            *error = QStringLiteral("%1 cannot take %2").arg(p.key, p.op);
            return std::nullopt;
        }
        pairs << p;
        at = match.capturedEnd();
        if (match.captured(5).isEmpty())
            break;
        if (at >= line.size()) {
            *error = QStringLiteral("comma at the end of the rule");
            return std::nullopt;
        }
    }
    if (pairs.isEmpty()) {
        *error = QStringLiteral("empty rule");
        return std::nullopt;
    }
    return pairs;
}

// The rule lines of a rules file: comments and blank lines dropped,
// backslash continuations joined.
QStringList ruleLines(const QString &text)
{
    QStringList lines;
    QString continued;
    for (const QString &raw : text.split(QLatin1Char('\n'))) {
        QString line = continued + raw;
        continued.clear();
        if (line.endsWith(QLatin1Char('\\'))) {
            continued = line.chopped(1);
            continue;
        }
        line = line.trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            lines << line;
    }
    return lines;
}

QString readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString value(const QList<RulePair> &pairs, const QString &key, const QString &op,
              const QString &attribute = QString())
{
    for (const RulePair &p : pairs) {
        if (p.key == key && p.op == op && p.attribute == attribute)
            return p.value;
    }
    return QString();
}

QSet<QString> metainfoModaliases()
{
    QFile file(sourceDir + QStringLiteral("/ui/io.github.kalvor.kalvor2.metainfo.xml"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QSet<QString> aliases;
    QXmlStreamReader xml(&file);
    QStringList path;
    const QStringList provides{QStringLiteral("component"), QStringLiteral("provides")};
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (path == provides && xml.name() == QLatin1String("modalias"))
                aliases << xml.readElementText(); // consumes its end too
            else
                path << xml.name().toString();
        } else if (xml.isEndElement()) {
            path.removeLast();
        }
    }
    return xml.hasError() ? QSet<QString>{QStringLiteral("(unreadable)")} : aliases;
}

} // namespace

class TstPackage : public QObject
{
    Q_OBJECT

private slots:
    void ruleParserFindsFaults_data();
    void ruleParserFindsFaults();
    void deviceRuleGivesTheSeatFtdiConverters();
    void metainfoNamesTheRuleHardware();
    void manualPageHasEveryOption_data();
    void manualPageHasEveryOption();
};

// The parser is what stands between a typo in the rule and a rule that udev
// skips without a word: it must refuse what udev refuses.
void TstPackage::ruleParserFindsFaults_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("valid");
    QTest::newRow("ours") << R"(SUBSYSTEM=="tty", ATTRS{idVendor}=="0403", TAG+="uaccess")" << true;
    QTest::newRow("assignment as match")
        << R"(SUBSYSTEM=="tty", ATTRS{idVendor}="0403", TAG+="uaccess")" << false;
    QTest::newRow("match as assignment")
        << R"(SUBSYSTEM=="tty", ATTRS{idVendor}=="0403", MODE=="0660")" << false;
    QTest::newRow("misspelt key") << R"(SUBSYSTEM=="tty", ATRS{idVendor}=="0403")" << false;
    QTest::newRow("attribute missing") << R"(SUBSYSTEM=="tty", ATTRS=="0403")" << false;
    QTest::newRow("unquoted value") << R"(SUBSYSTEM=="tty", TAG+=uaccess)" << false;
    QTest::newRow("comma missing") << R"(SUBSYSTEM=="tty" TAG+="uaccess")" << false;
    QTest::newRow("trailing comma") << R"(SUBSYSTEM=="tty", TAG+="uaccess",)" << false;
}

void TstPackage::ruleParserFindsFaults()
{
    QFETCH(QString, line);
    QFETCH(bool, valid);
    QString error;
    QCOMPARE(parseRule(line, &error).has_value(), valid);
    QCOMPARE(error.isEmpty(), valid);
}

// Every rule of the package's file is well-formed and does the one job: the
// seat's user gets FTDI converters' serial devices, ModemManager leaves them
// alone.
void TstPackage::deviceRuleGivesTheSeatFtdiConverters()
{
    const QString text = readAll(sourceDir + QStringLiteral("/debian/kalvor2.udev"));
    const QStringList lines = ruleLines(text);
    QVERIFY(!lines.isEmpty());
    static const QRegularExpression productId(QStringLiteral("^[0-9a-f]{4}$"));
    for (const QString &line : lines) {
        QString error;
        const std::optional<QList<RulePair>> pairs = parseRule(line, &error);
        QVERIFY2(pairs, qPrintable(error + QStringLiteral(" in: ") + line));
        QCOMPARE(value(*pairs, QStringLiteral("SUBSYSTEM"), QStringLiteral("==")),
                 QStringLiteral("tty"));
        QCOMPARE(value(*pairs, QStringLiteral("ATTRS"), QStringLiteral("=="),
                       QStringLiteral("idVendor")),
                 QStringLiteral("0403"));
        QVERIFY2(productId
                     .match(value(*pairs, QStringLiteral("ATTRS"), QStringLiteral("=="),
                                  QStringLiteral("idProduct")))
                     .hasMatch(),
                 qPrintable(line));
        QCOMPARE(value(*pairs, QStringLiteral("TAG"), QStringLiteral("+=")),
                 QStringLiteral("uaccess"));
        QCOMPARE(value(*pairs, QStringLiteral("ENV"), QStringLiteral("="),
                       QStringLiteral("ID_MM_DEVICE_IGNORE")),
                 QStringLiteral("1"));
    }
}

// A software centre suggests the program for exactly the converters the rule
// serves, in the form it matches against the kernel's modalias.
void TstPackage::metainfoNamesTheRuleHardware()
{
    QSet<QString> fromRule;
    for (const QString &line :
         ruleLines(readAll(sourceDir + QStringLiteral("/debian/kalvor2.udev")))) {
        QString error;
        const std::optional<QList<RulePair>> pairs = parseRule(line, &error);
        QVERIFY2(pairs, qPrintable(error));
        fromRule << QStringLiteral("usb:v%1p%2d*")
                        .arg(value(*pairs, QStringLiteral("ATTRS"), QStringLiteral("=="),
                                   QStringLiteral("idVendor"))
                                 .toUpper(),
                             value(*pairs, QStringLiteral("ATTRS"), QStringLiteral("=="),
                                   QStringLiteral("idProduct"))
                                 .toUpper());
    }
    QVERIFY(!fromRule.isEmpty());
    QCOMPARE(metainfoModaliases(), fromRule);
}

// Each program's manual page describes every option its --help lists.
void TstPackage::manualPageHasEveryOption_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("page");
    const auto add = [](const char *program, const char *page) {
        QTest::newRow(page) << QString::fromUtf8(program)
                            << sourceDir + QStringLiteral("/man/") + QLatin1String(page);
    };
    add(KALVOR2_DEMO_FILE, "kalvor2-demo.1");
    add(KALVOR2_REPLAY_FILE, "kalvor2-replay.1");
    if (!QStringLiteral(KALVOR2_CLI_FILE).isEmpty())
        add(KALVOR2_CLI_FILE, "kalvor2-cli.1");
}

void TstPackage::manualPageHasEveryOption()
{
    QFETCH(QString, program);
    QFETCH(QString, page);
    QProcess process;
    process.start(program, {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(30000));
    const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        QSKIP("this program has no --help");
    const QString manual = readAll(page);
    QVERIFY(manual.startsWith(QLatin1String(".TH ")));
    static const QRegularExpression longOption(QStringLiteral(R"((?<![\w-])--([a-z][a-z-]*))"));
    QStringList options;
    for (const QRegularExpressionMatch &match : longOption.globalMatch(help)) {
        // Qt's own --help-all lists Qt's window options, which the page
        // covers as a whole.
        if (match.captured(1) != QLatin1String("help-all"))
            options << match.captured(1);
    }
    QVERIFY2(!options.isEmpty(), qPrintable(help));
    for (const QString &option : std::as_const(options)) {
        // groff writes a dash as \-; options are set in bold (.B, .BI, .BR).
        QString escaped = option;
        escaped.replace(QLatin1Char('-'), QLatin1String("\\-"));
        QVERIFY2(manual.contains(QStringLiteral("\\-\\-") + escaped),
                 qPrintable(QStringLiteral("--%1 is not in %2").arg(option, page)));
    }
}

QTEST_GUILESS_MAIN(TstPackage)
#include "tst_package.moc"
