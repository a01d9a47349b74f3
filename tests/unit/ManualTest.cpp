// The manual against the program: every relative link in README.md and docs/*.md leads to
// a file that exists (and, with an #anchor, to one of its headings), every keyword the
// program knows is in the configuration reference, and every environment variable the
// program's --help names is in the options page.
#include "core/ConfigReader.h"
#include "epic/EpicTransfer.h"
#include "phidget/BoardBinding.h"
#include "phidget/LampOutputs.h"
#include "phidget/ServoGauges.h"
#include "phidget/TextDisplays.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

const QString kSource = QStringLiteral(TAVREL_SOURCE_DIR);

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// The manual's pages: README.md and every page under docs/.
QStringList manualPages()
{
    QStringList pages{kSource + u"/README.md"_s};
    for (const QString &name : QDir(kSource + u"/docs"_s).entryList({u"*.md"_s}, QDir::Files, QDir::Name))
        pages += kSource + u"/docs/"_s + name;
    return pages;
}

// The lines that are prose: fenced blocks and lines indented as code (four blanks or
// more, a tab) are left out, and so are inline code spans.
QStringList proseLines(const QString &text)
{
    static const QRegularExpression codeSpan(u"`[^`]*`"_s);
    QStringList lines;
    bool fenced = false;
    for (QString line : text.split(u'\n')) {
        if (line.trimmed().startsWith(u"```"_s)) {
            fenced = !fenced;
            continue;
        }
        if (fenced || line.startsWith(u"    "_s) || line.startsWith(u'\t'))
            continue;
        lines += line.remove(codeSpan);
    }
    return lines;
}

// A heading's anchor as the hosting sites make it: lower case, punctuation dropped,
// blanks made hyphens; a repeated one gets -1, -2, ...
QSet<QString> anchors(const QString &page)
{
    QSet<QString> found;
    QHash<QString, int> seen;
    for (const QString &line : proseLines(readText(page))) {
        if (!line.startsWith(u'#'))
            continue;
        QString slug;
        for (const QChar c : line.sliced(line.indexOf(u' ') + 1).trimmed().toLower()) {
            if (c.isLetterOrNumber() || c == u'-' || c == u'_')
                slug += c;
            else if (c == u' ')
                slug += u'-';
        }
        const int n = seen[slug]++;
        found.insert(n == 0 ? slug : slug + u'-' + QString::number(n));
    }
    return found;
}

TEST(ManualTest, EveryRelativeLinkLeadsToAFileAndHeading)
{
    static const QRegularExpression link(u"\\]\\(([^)\\s]+)\\)"_s);
    int links = 0;
    for (const QString &page : manualPages()) {
        const QDir folder = QFileInfo(page).absoluteDir();
        const QString name = QDir(kSource).relativeFilePath(page);
        for (const QString &line : proseLines(readText(page))) {
            for (const QRegularExpressionMatch &m : link.globalMatch(line)) {
                const QString target = m.captured(1);
                if (target.contains(u"://"_s) || target.startsWith(u"mailto:"_s))
                    continue;
                ++links;
                const qsizetype hash = target.indexOf(u'#');
                const QString path = hash < 0 ? target : target.first(hash);
                const QString file = path.isEmpty() ? page : folder.absoluteFilePath(path);
                EXPECT_TRUE(QFileInfo::exists(file))
                    << name.toStdString() << ": no file for the link " << target.toStdString();
                if (hash >= 0 && file.endsWith(u".md"_s)) {
                    EXPECT_TRUE(anchors(file).contains(target.sliced(hash + 1)))
                        << name.toStdString() << ": no heading for the link " << target.toStdString();
                }
            }
        }
    }
    EXPECT_GT(links, 50); // the pattern still finds the links
}

// Every name and keyword the program's own tables know, as the reference writes it.
QStringList programKeywords()
{
    QStringList keywords = sectionNames();
    keywords += boardSlotNames();
    for (QStringView rule : kBuiltInLampRules)
        keywords += rule.toString();
    for (QStringView keyword : kTextLedKeywords)
        keywords += keyword.toString();
    for (QStringView mode : kTextLcdModes)
        keywords += mode.toString();
    keywords += gaugeKeywords();
    keywords += epicKeywords();
    return keywords;
}

TEST(ManualTest, TheConfigurationReferenceNamesEveryKeyword)
{
    const QString reference = readText(kSource + u"/docs/configuration.md"_s);
    ASSERT_FALSE(reference.isEmpty());
    const QStringList keywords = programKeywords();
    EXPECT_GT(keywords.size(), 70);
    for (const QString &keyword : keywords)
        EXPECT_TRUE(reference.contains(u'`' + keyword + u'`'))
            << "docs/configuration.md lacks `" << keyword.toStdString() << "`";
}

TEST(ManualTest, TheOptionsPageNamesEveryEnvironmentVariable)
{
    // The variables as tavrel --help lists them.
    static const QRegularExpression variable(u"^\\s*u\"\\s+(TAVREL_[A-Z_]+|QT_[A-Z_]+)"_s,
                                             QRegularExpression::MultilineOption);
    const QString help = readText(kSource + u"/src/app/main.cpp"_s);
    const QString page = readText(kSource + u"/docs/log.md"_s);
    int variables = 0;
    for (const QRegularExpressionMatch &m : variable.globalMatch(help)) {
        ++variables;
        EXPECT_TRUE(page.contains(u'`' + m.captured(1))) << "docs/log.md lacks " << m.captured(1).toStdString();
    }
    EXPECT_GE(variables, 10); // the pattern still finds them
}

} // namespace
} // namespace tavrel
