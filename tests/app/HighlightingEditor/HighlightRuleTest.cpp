#include <QBrush>
#include <QColor>
#include <QGuiApplication>
#include <QtTest>

#include <tuple>

#include "HighlightingEditor/AttributedText.h"
#include "HighlightingEditor/HighlightRule.h"

using namespace tarvine;

Q_DECLARE_METATYPE(TextRange)

namespace {

const QColor stringColor(Qt::red);
const QColor commentColor(Qt::green);

QRegularExpression lines(const QString& pattern)
{
    return QRegularExpression(pattern, QRegularExpression::MultilineOption);
}

// The app's two rules with distinguishable colours.
QList<HighlightRule> notepadRules()
{
    return {
        HighlightRule(lines(QStringLiteral("\".*\"")), TextFormattingRule(QTextFormat::ForegroundBrush, QBrush(stringColor))),
        HighlightRule(lines(QStringLiteral("#.*$")), TextFormattingRule(QTextFormat::ForegroundBrush, QBrush(commentColor))),
    };
}

// The colour of each run, as "start-end:colour" pieces.
QString colourRuns(const AttributedText& text)
{
    QStringList pieces;
    for (const auto& run : text.runs()) {
        const QColor colour = run.format.foreground().color();
        const QString name = colour == stringColor ? QStringLiteral("string")
            : colour == commentColor               ? QStringLiteral("comment")
            : colour == defaultEditorColor()       ? QStringLiteral("default")
                                                   : colour.name();
        pieces << QStringLiteral("%1-%2:%3").arg(run.range.location).arg(run.range.end()).arg(name);
    }
    return pieces.join(u' ');
}

} // namespace

class HighlightRuleTest : public QObject {
    Q_OBJECT
private slots:
    void notepadRules_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("runs");
        QTest::newRow("empty text") << "" << "";
        QTest::newRow("no rule matches") << "x = 3 kg" << "0-8:default";
        QTest::newRow("a string") << "s = \"hi\"" << "0-4:default 4-8:string";
        QTest::newRow("a single quote is no string") << "s = \"hi" << "0-7:default";
        QTest::newRow("two strings joined are one span") << "\"a\" + \"b\"" << "0-9:string";
        QTest::newRow("a comment") << "1 + 2 # three" << "0-6:default 6-13:comment";
        QTest::newRow("a comment after a quoted word wins over the string")
            << "x = \"a\" # \"b\"" << "0-4:default 4-8:string 8-13:comment";
        QTest::newRow("each line its own string") << "\"a\"\n\"b\"" << "0-3:string 3-4:default 4-7:string";
        QTest::newRow("comments end at line ends") << "#a\nb" << "0-2:comment 2-4:default";
        QTest::newRow("UTF-16 ranges") << "\U0001F600 \"x\" #c" << "0-3:default 3-6:string 6-7:default 7-9:comment";
    }

    void notepadRules()
    {
        QFETCH(QString, text);
        QFETCH(QString, runs);
        QCOMPARE(colourRuns(getHighlightedText(text, ::notepadRules())), runs);
    }

    void valueFunctionsSeeEachNonEmptyMatch_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("matches");
        QTest::addColumn<QString>("runs");
        QTest::newRow("empty text") << "" << ".*" << QStringList{} << "";
        QTest::newRow("UTF-16 ranges over lines") << "\u00e9\U0001F600 12\n345" << "[0-9]+"
                                                  << QStringList{"12@4+2", "345@7+3"}
                                                  << "0-4:default 4-6:#0000ff 6-7:default 7-10:#0000ff";
        QTest::newRow("empty matches") << "axxb" << "x*" << QStringList{"xx@1+2"} << "0-1:default 1-3:#0000ff 3-4:default";
    }

    void valueFunctionsSeeEachNonEmptyMatch()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(QStringList, matches);
        QFETCH(QString, runs);
        QStringList seen;
        const QList<HighlightRule> rules{HighlightRule(
            lines(pattern), TextFormattingRule(QTextFormat::ForegroundBrush, [&](const QString& match, TextRange range) {
                seen << QStringLiteral("%1@%2+%3").arg(match).arg(range.location).arg(range.length);
                return QVariant(QBrush(Qt::blue));
            }))};
        const AttributedText result = getHighlightedText(text, rules);
        QCOMPARE(seen, matches);
        QCOMPARE(result.text(), text);
        QCOMPARE(colourRuns(result), runs);
    }

    void laterFormattingRulesOfOneRuleWin()
    {
        const QList<HighlightRule> rules{HighlightRule(
            lines(QStringLiteral("b+")),
            QList<TextFormattingRule>{TextFormattingRule(QTextFormat::ForegroundBrush, QBrush(Qt::red)),
                                      TextFormattingRule(QTextFormat::ForegroundBrush, QBrush(Qt::blue))})};
        QCOMPARE(colourRuns(getHighlightedText(QStringLiteral("abba"), rules)), "0-1:default 1-3:#0000ff 3-4:default");
    }

    void fontTraits()
    {
        const QList<HighlightRule> rules{
            HighlightRule(lines(QStringLiteral("\\*\\*.*?\\*\\*")), TextFormattingRule(FontTraits(FontTrait::bold))),
            // Bold again over text that is already bold.
            HighlightRule(lines(QStringLiteral("\\*\\*b")), TextFormattingRule(FontTraits(FontTrait::bold))),
            HighlightRule(lines(QStringLiteral("_.*?_")), TextFormattingRule(FontTraits(FontTrait::italic))),
            // No traits: the font is set again unchanged.
            HighlightRule(lines(QStringLiteral("plain")), TextFormattingRule(FontTraits())),
        };
        const QString text = QStringLiteral("plain **b _i_** _j_");
        const AttributedText result = getHighlightedText(text, rules);
        const auto fontAt = [&](const char* needle) { return result.formatAt(text.indexOf(needle)).font(); };
        QCOMPARE(fontAt("plain"), result.formatAt(5).font());
        QCOMPARE(fontAt("plain"), defaultEditorFont());
        // The traits each piece ends with.
        const QList<std::tuple<const char*, bool, bool>> expected{
            {"**b", true, false}, {"i_", true, true}, {"j_", false, true}};
        for (const auto& [needle, bold, italic] : expected) {
            QCOMPARE(fontAt(needle).bold(), bold);
            QCOMPARE(fontAt(needle).italic(), italic);
            QCOMPARE(fontAt(needle).family(), defaultEditorFont().family());
        }
    }

    void attributedTextRunsSplitAndMerge_data()
    {
        QTest::addColumn<QList<TextRange>>("painted");
        QTest::addColumn<QList<TextRange>>("runs");
        QTest::newRow("nothing") << QList<TextRange>{} << QList<TextRange>{{0, 10}};
        QTest::newRow("the middle") << QList<TextRange>{{3, 4}} << QList<TextRange>{{0, 3}, {3, 4}, {7, 3}};
        QTest::newRow("beyond the end is cut") << QList<TextRange>{{8, 50}} << QList<TextRange>{{0, 8}, {8, 2}};
        QTest::newRow("before the start is cut") << QList<TextRange>{{-5, 7}} << QList<TextRange>{{0, 2}, {2, 8}};
        QTest::newRow("touching ranges merge") << QList<TextRange>{{2, 2}, {4, 3}} << QList<TextRange>{{0, 2}, {2, 5}, {7, 3}};
        QTest::newRow("overlapping ranges merge") << QList<TextRange>{{2, 4}, {3, 5}} << QList<TextRange>{{0, 2}, {2, 6}, {8, 2}};
        QTest::newRow("the whole text") << QList<TextRange>{{4, 2}, {0, 10}} << QList<TextRange>{{0, 10}};
        QTest::newRow("an empty range") << QList<TextRange>{{4, 0}} << QList<TextRange>{{0, 10}};
    }

    void attributedTextRunsSplitAndMerge()
    {
        QFETCH(QList<TextRange>, painted);
        QFETCH(QList<TextRange>, runs);
        AttributedText text(QStringLiteral("0123456789"));
        for (const TextRange& range : painted) {
            text.setAttribute(range, QTextFormat::ForegroundBrush, QBrush(Qt::red));
        }
        QList<TextRange> actual;
        for (const auto& run : text.runs()) {
            actual << run.range;
        }
        QCOMPARE(actual, runs);
    }

    void attributedTextRunsInCutsToTheRange()
    {
        AttributedText text(QStringLiteral("abcdef"));
        text.setAttribute({2, 2}, QTextFormat::FontWeight, QFont::Bold);
        const auto runs = text.runsIn({1, 2});
        QCOMPARE(runs.size(), std::size_t(2));
        QCOMPARE(runs[0].range, (TextRange{1, 1}));
        QCOMPARE(runs[1].range, (TextRange{2, 1}));
        QCOMPARE(runs[1].format.fontWeight(), int(QFont::Bold));
        QVERIFY(text.formatAt(6).properties().isEmpty());
    }
};

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    HighlightRuleTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "HighlightRuleTest.moc"
