#include "DocumentGeneration.h"
#include "ReceiptTemplate.h"
#include "ScopedDefaultLocale.h"
#include "TemplateCheck.h"
#include "TemplateChoice.h"
#include "TestMain.h"

#include <QTest>

// What the check makes of a template's receipt table, and which paper the built-in template takes,
// without any word processor.
class TestTemplateCheck : public QObject
{
    Q_OBJECT

private slots:
    void reviewTable_data();
    void reviewTable();
    void paperOfTheCountry_data();
    void paperOfTheCountry();
};

namespace {
// The placeholders, as the run searches for them, less \a present.
QStringList allExcept(const QStringList &present)
{
    QStringList names;
    for (const Placeholder &placeholder : kPlaceholders) {
        if (!present.contains(QLatin1String(placeholder.text), Qt::CaseInsensitive))
            names.append(QLatin1String(placeholder.text));
    }
    return names;
}
} // namespace

void TestTemplateCheck::reviewTable_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QStringList>("missing");
    QTest::addColumn<QStringList>("misspelt");

    const QStringList every = allExcept({});
    const QString all = every.join(QLatin1Char('\n')).toLower();
    const QStringList amount{QStringLiteral("[Amount]")};

    QTest::newRow("every placeholder, any case") << all << true << QStringList() << QStringList();
    // "[SubTotal]" holds "Total]" but no "[Total]": the run would fill nothing for the total.
    QTest::newRow("two lacking") << allExcept({QStringLiteral("[Tax]"), QStringLiteral("[Total]")}).join(u' ') << true
                                 << QStringList{QStringLiteral("[Tax]"), QStringLiteral("[Total]")} << QStringList();
    QTest::newRow("misspelt total") << QString(all).replace(QStringLiteral("[total]"), QStringLiteral("[Totl]")) << true
                                    << QStringList{QStringLiteral("[Total]")}
                                    << QStringList{QStringLiteral("[Totl] (for [Total])")};
    QTest::newRow("blanks, dots and case are slips too")
        << QStringLiteral("[Amount] [From Payee] [no]") << true << allExcept(amount)
        << QStringList{QStringLiteral("[From Payee] (for [FromPayee])"), QStringLiteral("[no] (for [NO.])")};
    QTest::newRow("other bracketed text is no slip")
        << QStringLiteral("[Amount] [Note] [see overleaf]") << true << allExcept(amount) << QStringList();
    QTest::newRow("inside longer text, as the run finds it")
        << QStringLiteral("Paid:[AMOUNT]EUR") << true << allExcept(amount) << QStringList();
    QTest::newRow("no placeholder") << QStringLiteral("Date\nAmount") << false << QStringList() << QStringList();
    QTest::newRow("only a misspelt one") << QStringLiteral("[Ammount]") << false << QStringList() << QStringList();
}

void TestTemplateCheck::reviewTable()
{
    QFETCH(QString, table);
    QFETCH(bool, usable);
    QFETCH(QStringList, missing);
    QFETCH(QStringList, misspelt);

    const TemplateReview review = TemplateCheck::reviewTable(table, QStringLiteral("mine.docx"));

    QCOMPARE(review.usable(), usable);
    QCOMPARE(review.missing, missing);
    QCOMPARE(review.misspelt, misspelt);
    const QString warning = review.warning(QStringLiteral("mine.docx"));
    if (!usable) {
        QVERIFY2(
            review.refusal.startsWith(QStringLiteral("The template mine.docx cannot be used: its first table holds "
                                                     "none of the placeholders")),
            qPrintable(review.refusal));
        // One sentence, which names a slip when there is one.
        QVERIFY(review.refusal.endsWith(QLatin1Char('.')) && !review.refusal.contains(QLatin1Char('\n')));
        QCOMPARE(review.refusal.contains(QStringLiteral("[Ammount] (for [Amount])")), table.contains(u"Ammount"));
        QCOMPARE(warning, QString());
        return;
    }
    QCOMPARE(warning.isEmpty(), missing.isEmpty() && misspelt.isEmpty());
    for (const QString &name : missing + misspelt)
        QVERIFY2(warning.contains(name), qPrintable(warning));
}

void TestTemplateCheck::paperOfTheCountry_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<Paper>("paper");
    QTest::newRow("United States") << "en_US" << Paper::Letter;
    QTest::newRow("Canada, English") << "en_CA" << Paper::Letter;
    QTest::newRow("Canada, French") << "fr_CA" << Paper::Letter;
    QTest::newRow("Mexico") << "es_MX" << Paper::Letter;
    QTest::newRow("Germany") << "de_DE" << Paper::A4;
    QTest::newRow("France") << "fr_FR" << Paper::A4;
    QTest::newRow("United Kingdom") << "en_GB" << Paper::A4;
    QTest::newRow("Japan") << "ja_JP" << Paper::A4;
    QTest::newRow("Australia") << "en_AU" << Paper::A4;
}

void TestTemplateCheck::paperOfTheCountry()
{
    QFETCH(QString, locale);
    QFETCH(Paper, paper);
    QCOMPARE(LocalPaper(QLocale(locale)), paper);
    // The built-in template follows the user's locale unless a paper was chosen.
    const ScopedDefaultLocale scoped{QLocale(locale)};
    TemplateChoice choice;
    QCOMPARE(choice.builtInPaper(), paper);
    choice.setChosenPaper(paper == Paper::A4 ? Paper::Letter : Paper::A4);
    QVERIFY(choice.builtInPaper() != paper);
}

PARVOLINE_TEST_GUILESS_MAIN(TestTemplateCheck)
#include "tst_templatecheck.moc"
