#include "ReceiptTemplate.h"
#include "TestMain.h"
#include "Word97File.h"

#include <QTest>

class TestWord97File : public QObject
{
    Q_OBJECT
private slots:
    void placeholder() { QVERIFY(Word97File::problem(ReceiptTemplateBytes()).isEmpty()); }
};

PARVOLINE_TEST_GUILESS_MAIN(TestWord97File)
#include "tst_word97file.moc"
