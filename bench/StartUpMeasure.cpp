#include "StartUpMeasure.h"

#include "ProcessStats.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>

namespace ondulix::bench {
namespace {

struct ChildReport {
    double startUpMs = 0.0;
    double peakMB = 0.0;
};

std::optional<ChildReport> runChild(const QString& program, const char* window, std::string& note) {
    QProcess child;
    child.setProgram(program);
    child.setArguments({QStringLiteral("--probe"), QString::fromLatin1(window)});
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const std::int64_t spawned = ProcessStats::MonotonicNanoseconds();
    child.start();
    if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        note = std::string("the ") + window + " window's child process failed";
        child.kill();
        child.waitForFinished();
        return std::nullopt;
    }

    std::optional<std::int64_t> painted;
    std::optional<std::int64_t> peakKiB;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() != 2)
            continue;
        if (fields[0] == "first-paint-ns")
            painted = fields[1].toLongLong();
        else if (fields[0] == "peak-resident-kib")
            peakKiB = fields[1].toLongLong();
    }
    if (!painted || !peakKiB) {
        note = std::string("the ") + window + " window's child reported no first paint or no peak memory";
        return std::nullopt;
    }
    return ChildReport{static_cast<double>(*painted - spawned) / 1e6, static_cast<double>(*peakKiB) * 1024.0 / 1e6};
}

} // namespace

const char* ProbeName(ProbedWindow which) {
    switch (which) {
    case ProbedWindow::Real:
        return "real";
    case ProbedWindow::Standard:
        return "standard";
    case ProbedWindow::Blank:
        break;
    }
    return "blank";
}

StartUpFigures MeasureStartUp(const QString& program, int rounds) {
    StartUpFigures figures;
    for (int round = 0; round < rounds && figures.ok; ++round) {
        // In turn, so that a slow stretch of the machine hurts all alike.
        for (const ProbedWindow which : {ProbedWindow::Blank, ProbedWindow::Standard, ProbedWindow::Real}) {
            const auto report = runChild(program, ProbeName(which), figures.note);
            if (!report) {
                figures.ok = false;
                break;
            }
            figures.of(which).startUpMs.push_back(report->startUpMs);
            figures.of(which).peakMB.push_back(report->peakMB);
        }
    }
    return figures;
}

} // namespace ondulix::bench
