#include "ListedFonts.h"
#include "TestMain.h"
#include "UnprintableText.h"

#include <QTest>

namespace {
using Ranges = QList<QPair<char32_t, char32_t>>;

// Fonts for Latin text only, as a system with nothing but the Liberation fonts has.
const Ranges kLatinOnly{{0x20, 0x24F}};

ReceiptRecord describing(const QString &description)
{
    ReceiptRecord r;
    r[ReceiptRecord::Receipt] = QStringLiteral("Tea house");
    r[ReceiptRecord::Amount] = QStringLiteral("5");
    r[ReceiptRecord::Description] = description;
    return r;
}
} // namespace

class TestUnprintableText final : public QObject
{
    Q_OBJECT

private slots:
    void eachScriptIsNamed_data();
    void eachScriptIsNamed();
    void warnings_data();
    void warnings();
};

void TestUnprintableText::eachScriptIsNamed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Ranges>("fonts");
    QTest::addColumn<QString>("what"); // empty: nothing is missing
    QTest::addColumn<QString>("package");

    const QString core = QStringLiteral("fonts-noto-core");
    const QString cjk = QStringLiteral("fonts-noto-cjk");
    QTest::newRow("Chinese") << QStringLiteral("台北茶館") << kLatinOnly << "Chinese text" << cjk;
    QTest::newRow("Japanese") << QStringLiteral("ひらがなカタカナ") << kLatinOnly << "Japanese text" << cjk;
    QTest::newRow("Korean") << QStringLiteral("한국어") << kLatinOnly << "Korean text" << cjk;
    QTest::newRow("Arabic") << QStringLiteral("مرحبا") << kLatinOnly << "Arabic text" << core;
    QTest::newRow("Hebrew") << QStringLiteral("שלום") << kLatinOnly << "Hebrew text" << core;
    QTest::newRow("Devanagari") << QStringLiteral("नमस्ते") << kLatinOnly << "Devanagari text" << core;
    QTest::newRow("Bengali") << QStringLiteral("বাংলা") << kLatinOnly << "Bengali text" << core;
    QTest::newRow("Tamil") << QStringLiteral("வணக்கம்") << kLatinOnly << "Tamil text" << core;
    QTest::newRow("Thai") << QStringLiteral("สวัสดี") << kLatinOnly << "Thai text" << core;
    QTest::newRow("emoji") << QStringLiteral("Tea 🍵") << kLatinOnly << "emoji"
                           << "fonts-noto-color-emoji";
    // The joiner and the variation selector only choose how the pictographs look.
    QTest::newRow("joined emoji") << QStringLiteral("👨‍👩‍👧 ❤️") << kLatinOnly << "emoji"
                                  << "fonts-noto-color-emoji";
    QTest::newRow("a symbol") << QStringLiteral("₿ 5") << kLatinOnly << "symbols" << core;
    QTest::newRow("a script without a common name")
        << QStringLiteral("𐤀𐤁") << kLatinOnly << "characters such as U+10900" << core;
    QTest::newRow("accented Latin") << QStringLiteral("Café Weiß") << kLatinOnly << ""
                                    << "";
    QTest::newRow("blanks and private use") << QStringLiteral("a\u00a0b\u2028\ue000") << kLatinOnly << ""
                                            << "";
    QTest::newRow("Chinese with a font for it")
        << QStringLiteral("台北茶館") << Ranges{{0x20, 0x7e}, {0x4e00, 0x9fff}} << ""
        << "";
}

void TestUnprintableText::eachScriptIsNamed()
{
    QFETCH(QString, text);
    QFETCH(Ranges, fonts);
    QFETCH(QString, what);
    QFETCH(QString, package);

    const ListedFonts installed(fonts);
    const QList<UnprintableScript> found = FindUnprintableText({describing(text)}, installed);

    if (what.isEmpty()) {
        QCOMPARE(found.size(), 0);
        return;
    }
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().what, what);
    QCOMPARE(found.first().package, package);
    QCOMPARE(found.first().owners, QList<int>{1});
}

void TestUnprintableText::warnings_data()
{
    QTest::addColumn<QList<int>>("owners");
    QTest::addColumn<bool>("plural");
    QTest::addColumn<QString>("warning");

    const QString chinese = QStringLiteral(" Chinese text, but no font for it is installed; it would print as empty "
                                           "boxes. Install the package fonts-noto-cjk.");
    QTest::newRow("one") << QList<int>{5} << false << QStringLiteral("Receipt 5 holds") + chinese;
    QTest::newRow("two") << QList<int>{5, 9} << false << QStringLiteral("Receipts 5 and 9 hold") + chinese;
    QTest::newRow("eight, the rest counted") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8} << false
                                             << QStringLiteral("Receipts 1, 2, 3, 4, 5 and 3 more hold") + chinese;
    QTest::newRow("said of them") << QList<int>{3} << true
                                  << "Receipt 3 holds Chinese text, but no font for them is installed; they would "
                                     "print as empty boxes. Install the package fonts-noto-cjk.";
}

void TestUnprintableText::warnings()
{
    QFETCH(QList<int>, owners);
    QFETCH(bool, plural);
    QFETCH(QString, warning);

    const UnprintableScript found{QStringLiteral("Chinese text"), plural, QStringLiteral("fonts-noto-cjk"), owners};
    QCOMPARE(UnprintableTextWarnings({found}, QStringLiteral("Receipt"), QStringLiteral("Receipts")),
             QStringList{warning});
}

PARVOLINE_TEST_GUILESS_MAIN(TestUnprintableText)
#include "tst_unprintabletext.moc"
