// SPDX-License-Identifier: GPL-3.0-or-later
// The game as a package installs it: what `cmake --install` puts where, the desktop entry and the
// catalogue entry as their validators judge them, the manual pages, and the scalable icon beside the
// one the windows paint.

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include "look/Icon.h"
#include "look/Release.h"

using namespace zarviki;

namespace {

const QString DesktopFile = QStringLiteral("share/applications/org.example.zarviki.desktop");
const QString IconFile = QStringLiteral("share/icons/hicolor/scalable/apps/org.example.zarviki.svg");
const QString MetainfoFile = QStringLiteral("share/metainfo/org.example.zarviki.metainfo.xml");
const QString GameFile = QStringLiteral("games/zarviki");  // a games folder, as Debian has it
const QString ManualPage = QStringLiteral("share/man/man6/zarviki.6");
const QString RussianManualPage = QStringLiteral("share/man/ru/man6/zarviki.6");

// The [Desktop Entry] group of a desktop entry file, key by key.
QMap<QString, QString> desktopEntry(const QString &path)
{
    QMap<QString, QString> keys;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inGroup = false;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith(u'['))
            inGroup = line == QStringLiteral("[Desktop Entry]");
        else if (inGroup && line.contains(u'=') && !line.startsWith(u'#'))
            keys.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    }
    return keys;
}

struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun runTool(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    ToolRun run;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = p.exitCode();
    run.output = QString::fromUtf8(p.readAll());
    return run;
}

// The die of the scalable icon: its face square and its pips, in the SVG's own units.
struct SvgDie {
    QSizeF viewBox;
    QRectF face;
    QColor pipColour;
    QList<QPointF> pips;
    double pipRadius = 0;
};

SvgDie readSvgDie(const QString &path)
{
    SvgDie die;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return die;
    QXmlStreamReader xml(&f);
    QColor groupFill;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const auto num = [&a](const char *name) { return a.value(QLatin1String(name)).toDouble(); };
        if (xml.name() == u"svg") {
            const QStringList box = a.value(QLatin1String("viewBox")).toString().split(u' ');
            if (box.size() == 4)
                die.viewBox = QSizeF(box[2].toDouble(), box[3].toDouble());
        } else if (xml.name() == u"rect" && a.value(QLatin1String("fill")).startsWith(u"url(")) {
            die.face = QRectF(num("x"), num("y"), num("width"), num("height"));
        } else if (xml.name() == u"g") {
            groupFill = QColor(a.value(QLatin1String("fill")).toString());
        } else if (xml.name() == u"circle") {
            die.pips << QPointF(num("cx"), num("cy"));
            die.pipRadius = num("r");
            die.pipColour = a.hasAttribute(QLatin1String("fill")) ? QColor(a.value(QLatin1String("fill")).toString()) : groupFill;
        }
    }
    return xml.hasError() ? SvgDie{} : die;
}

bool near(QColor a, QColor b, int tolerance = 24)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}
}  // namespace

class PackagingTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir prefix;

private slots:
    void initTestCase()
    {
        QVERIFY(prefix.isValid());
        const ToolRun install = runTool(QStringLiteral(ZARVIKI_CMAKE),
                                        {QStringLiteral("--install"), QStringLiteral(ZARVIKI_BUILD_DIR),
                                         QStringLiteral("--prefix"), prefix.path()});
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
    }

    // --- What the installation holds ---

    void installPutsFilesUnderStandardPrefixes()
    {
        const QDir root(prefix.path());
        const QFileInfo game(root.filePath(GameFile));
        QVERIFY(game.isFile() && game.isExecutable());
        for (const QString &file : {DesktopFile, IconFile, MetainfoFile, ManualPage, RussianManualPage})
            QVERIFY2(QFileInfo(root.filePath(file)).isFile(), qPrintable(file));
    }

    // The menu entry names the game by the path it was installed to, whatever the prefix, and lets
    // the desktop tie the game's window (WM_CLASS "zarviki", from its application name) to it.
    void desktopEntryStartsTheGame()
    {
        const QMap<QString, QString> entry = desktopEntry(QDir(prefix.path()).filePath(DesktopFile));
        QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
        QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("Зарвики"));
        QCOMPARE(entry.value(QStringLiteral("Exec")), QDir(prefix.path()).filePath(GameFile));
        QCOMPARE(entry.value(QStringLiteral("StartupNotify")), QStringLiteral("true"));
        QCOMPARE(entry.value(QStringLiteral("StartupWMClass")), QStringLiteral("zarviki"));
        QCOMPARE(entry.value(QStringLiteral("Icon")), DesktopId);
        QCOMPARE(entry.value(QStringLiteral("Categories")), QStringLiteral("Game;BoardGame;"));
        QCOMPARE(entry.value(QStringLiteral("Terminal")), QStringLiteral("false"));
    }

    void desktopEntryValidates()
    {
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed (Debian: desktop-file-utils)");
        const ToolRun run = runTool(validator, {QDir(prefix.path()).filePath(DesktopFile)});
        QVERIFY2(run.exitCode == 0 && run.output.trimmed().isEmpty(), qPrintable(run.output));
    }

    void metainfoValidates()
    {
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
        if (validator.isEmpty())
            QSKIP("appstreamcli is not installed (Debian: appstream)");
        const ToolRun run = runTool(validator, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                                QStringLiteral("--pedantic"),
                                                QDir(prefix.path()).filePath(MetainfoFile)});
        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    }

    void metainfoNamesTheEntryAndThisVersion()
    {
        QFile f(QDir(prefix.path()).filePath(MetainfoFile));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&f);
        QMap<QString, QString> found;
        QStringList releases;
        QStringList urls;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"release") {
                releases << xml.attributes().value(QLatin1String("version")).toString();
            } else if (xml.name() == u"url") {
                urls << xml.attributes().value(QLatin1String("type")).toString();
            } else if (xml.attributes().value(QLatin1String("xml:lang")).isEmpty()) {
                const QString element = xml.name().toString();
                if (element == u"id" || element == u"launchable" || element == u"binary" || element == u"icon"
                    || element == u"project_license")
                    found.insert(element, xml.readElementText());
            }
        }
        QVERIFY(!xml.hasError());
        QCOMPARE(found.value(QStringLiteral("id")), DesktopId);
        QCOMPARE(found.value(QStringLiteral("launchable")), DesktopId + QStringLiteral(".desktop"));
        QCOMPARE(found.value(QStringLiteral("icon")), DesktopId);
        QCOMPARE(found.value(QStringLiteral("binary")), QStringLiteral("zarviki"));
        QCOMPARE(found.value(QStringLiteral("project_license")), QStringLiteral("GPL-3.0-or-later"));
        QVERIFY(!releases.isEmpty());
        QCOMPARE(releases.first(), QStringLiteral(ZARVIKI_VERSION));  // the newest release comes first
        for (const char *type : {"homepage", "bugtracker", "help"})
            QVERIFY2(urls.contains(QLatin1String(type)), type);
    }

    void manualPagesRender_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("sections");
        QTest::newRow("English") << ManualPage
                                 << QStringList{"NAME", "SYNOPSIS", "DESCRIPTION", "FILES", "SEE ALSO"};
        QTest::newRow("Russian") << RussianManualPage
                                 << QStringList{"ИМЯ", "ОБЗОР", "ОПИСАНИЕ", "ФАЙЛЫ", "СМОТРИТЕ ТАКЖЕ"};
    }

    // Each page formats without a single complaint from groff, in the usual sections, and tells
    // where the hall of fame lives.
    void manualPagesRender()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, sections);
        const QString man = QStandardPaths::findExecutable(QStringLiteral("man"));
        if (man.isEmpty())
            QSKIP("man is not installed (Debian: man-db)");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        p.setProcessEnvironment(env);
        p.start(man, {QStringLiteral("--warnings"), QStringLiteral("-E"), QStringLiteral("UTF-8"), QStringLiteral("-l"),
                      QDir(prefix.path()).filePath(page)});
        QVERIFY(p.waitForFinished(60000));
        const QString errors = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(p.exitCode() == 0 && errors.isEmpty(), qPrintable(errors));
        const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n');
        for (const QString &section : sections)
            QVERIFY2(lines.contains(section), qPrintable(section));
        QVERIFY(lines.contains(QStringLiteral("       $XDG_DATA_HOME/zarviki/имя")));
    }

    // --- The icon ---

    void windowIconIsTheDieOfTheScalableIcon()
    {
        const SvgDie svg = readSvgDie(QDir(prefix.path()).filePath(IconFile));
        QCOMPARE(svg.viewBox, QSizeF(64, 64));
        QCOMPARE(svg.pips.size(), 5);
        QVERIFY(svg.face.isValid());

        const QImage painted = gameIcon().pixmap(QSize(64, 64), 1.0).toImage();
        QCOMPARE(painted.size(), QSize(64, 64));
        for (const QPointF &pip : svg.pips) {
            QVERIFY2(near(painted.pixelColor(pip.toPoint()), svg.pipColour), "a pip of the icon is missing");
            const QPoint besidePip = (pip + QPointF(svg.pipRadius + 2, 0)).toPoint();
            QVERIFY2(painted.pixelColor(besidePip).lightness() > 200, "a pip of the icon is too large");
        }
        QVERIFY(painted.pixelColor(svg.face.center().toPoint() + QPoint(0, 12)).lightness() > 200);
        QCOMPARE(painted.pixelColor(0, 0).alpha(), 0);                // round corners: transparent outside
        QCOMPARE(painted.pixelColor(63, 0).alpha(), 0);
        QVERIFY(painted.pixelColor(svg.face.topLeft().toPoint() + QPoint(0, 26)).lightness() < 120);  // outline
    }

    void iconIsSharpAtEveryScale()
    {
        const QIcon icon = gameIcon();
        QVERIFY(!icon.availableSizes().isEmpty());
        for (qreal scale : {1.0, 1.5, 2.0, 3.0}) {
            const QPixmap pm = icon.pixmap(QSize(32, 32), scale);
            QCOMPARE(pm.size(), QSize(32, 32) * scale);
            QCOMPARE(pm.devicePixelRatio(), scale);
        }
    }

};

QTEST_MAIN(PackagingTest)
#include "tst_packaging.moc"
