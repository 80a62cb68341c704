// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for a starting copy of the desktop program, for the single-instance tests: claims
// the instance named by its argument. Refused, it asks the running copy to come forward and
// prints "refused" (exit 3); running, it prints "running", then "raised" when a later copy asks
// for its window, and ends (exit 0; exit 4 when nobody asked within 30 s).
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "app/SingleInstance.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    kotar::SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    if (!instance.Claim()) {
        std::printf(instance.ActivateEarlierCopy() ? "refused\n" : "refused unanswered\n");
        return 3;
    }
    std::printf("running\n");
    std::fflush(stdout);
    instance.SetRaiseRequest([] {
        std::printf("raised\n");
        QCoreApplication::exit(0);
    });
    QTimer::singleShot(30000, [] { QCoreApplication::exit(4); });
    return QCoreApplication::exec();
}
