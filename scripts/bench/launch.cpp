// How long a click keeps the panel's thread busy starting a target, for
// each kind of target, beside the floor: QProcess::startDetached of the same
// program. Usage: launch <rounds> <program> <desktop entry> <document>
#include "platform/platform.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

static void measure(const char *label, int rounds, const std::function<bool()> &start)
{
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        const bool ok = start();
        ms.push_back(clock.nsecsElapsed() / 1e6);
        if (!ok) {
            std::fprintf(stderr, "%s: not started\n", label);
            return;
        }
        QThread::msleep(20); // let the started program end before the next
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-40s %10.2f %10.2f\n", label, ms[ms.size() / 2], ms.back());
}

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 5)
        return 2;
    const int rounds = QString::fromLocal8Bit(argv[1]).toInt();
    const QString program = QString::fromLocal8Bit(argv[2]);
    const QString entry = QString::fromLocal8Bit(argv[3]);
    const QString document = QString::fromLocal8Bit(argv[4]);
    // QString, not a builder that would refer to temporaries of the lambda.
    auto quoted = [](const QString &path) -> QString { return QLatin1Char('"') + path + QLatin1Char('"'); };

    std::printf("%-40s %10s %10s\n", "blocking time per start", "median ms", "worst ms");
    measure("floor: QProcess::startDetached", rounds, [&] { return QProcess::startDetached(program, {}); });
    measure("program (quoted path, two arguments)", rounds,
        [&] { return nativePlatform().startTarget(quoted(program) + QStringLiteral(" -a \"b c\"")).started; });
    measure("desktop entry", rounds, [&] { return nativePlatform().startTarget(quoted(entry)).started; });
    measure("document (default application)", rounds,
        [&] { return nativePlatform().startTarget(quoted(document)).started; });
    return 0;
}
