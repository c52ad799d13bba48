// The windows' keeping of the receipt list, in a process of its own that a test can kill.
//
//     recovery_helper change <folder> <count>   restores what is kept, appends <count> unusual receipts,
//                                               removes the second row, edits the first, prints "kept"
//                                               once all of it is in the file, then waits to be killed
//     recovery_helper dump <folder>             restores what is kept (answering "Restore") and writes
//                                               the restored list to standard output as a recovery file

#include "KeptReceipts.h"
#include "ReceiptKeeper.h"
#include "ReceiptList.h"
#include "RecoveryFile.h"
#include "ScriptedDialogs.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QByteArray mode = argv[1];
    ScriptedDialogs dialogs;
    dialogs.queueChoice(QStringLiteral("Restore"));
    ReceiptList list;
    ReceiptKeeper keeper(&list, QString::fromLocal8Bit(argv[2]));
    keeper.start();
    if (!keeper.isKeeping())
        return 3;

    if (mode == "dump") {
        const QByteArray bytes = RecoveryFile::encode(list.records());
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        return 0;
    }
    if (mode != "change" || argc < 4)
        return 2;

    bool changed = false;
    QObject::connect(&keeper, &ReceiptKeeper::kept, &app, [&] {
        if (!changed)
            return;
        std::fputs("kept\n", stdout);
        std::fflush(stdout);
    });
    // The changes come as a user's do, one event after another.
    QTimer::singleShot(0, &app, [&] {
        const QList<ReceiptRecord> records = UnusualReceipts(QByteArray(argv[3]).toInt());
        for (const ReceiptRecord &record : records)
            list.append(record);
        QTimer::singleShot(0, &app, [&] {
            list.removeRow(2);
            list.setSubItem(1, ReceiptRecord::Tax, QStringLiteral(" edited \U0001F58A "));
            changed = true;
        });
    });
    return app.exec();
}
