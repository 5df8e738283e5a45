#include "tests/support/workstations.h"

#include "core/database.h"
#include "platform/db/database.h"
#include "tests/support/scripted_dialogs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#include <exception>

#include <sys/wait.h>
#include <unistd.h>

namespace test {

namespace {

// Answers every message box alike and notes its text in the report.
class AnsweringDialogs : public ScriptedDialogs {
public:
    AnsweringDialogs(ui::Answer answer, QStringList& report) : m_answer(answer), m_report(report) {}
    ui::Answer message(const ui::MessageRequest& request) override
    {
        m_report << QStringLiteral("Meldung: ") + request.text;
        return m_answer;
    }

private:
    ui::Answer m_answer;
    QStringList& m_report;
};

QString marker(const QDir& dir, int station, int round)
{
    return dir.filePath(QStringLiteral("station-%1-round-%2").arg(station).arg(round));
}

// Marks this station at the round and waits for the others; false when one
// of them never comes (it died).
bool meet(const QDir& dir, int station, int count, int round)
{
    QFile(marker(dir, station, round)).open(QIODevice::WriteOnly);
    QElapsedTimer waited;
    waited.start();
    for (int other = 0; other < count; ++other) {
        while (!QFile::exists(marker(dir, other, round))) {
            if (waited.elapsed() > 20000)
                return false;
            QThread::usleep(50);
        }
    }
    return true;
}

int runStation(const QString& dbPath, const QDir& dir, int index, int count, int rounds, const Station& station,
               QStringList& report)
{
    // The parent's connection stays the parent's: not closed from here.
    (void)Db.release();
    Db = db::Database::open(dbPath);
    (void)ui::DialogService::install(std::make_unique<AnsweringDialogs>(station.answer, report)).release();
    QRandomGenerator random(static_cast<quint32>(getpid()));
    if (station.setUp)
        station.setUp();
    for (int round = 0; round < rounds; ++round) {
        if (station.prepare)
            station.prepare(round, report);
        if (!meet(dir, index, count, round))
            return 5;
        QThread::usleep(random.bounded(1500));
        station.run(round, report);
    }
    return 0;
}

}  // namespace

std::vector<StationResult> RunStations(const QString& dbPath, int rounds, const std::vector<Station>& stations)
{
    const QDir dir = QFileInfo(dbPath).absoluteDir();
    const int count = static_cast<int>(stations.size());
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = fork();
        if (pid < 0)
            break;
        if (pid == 0) {
            QStringList report;
            int code = 0;
            try {
                code = runStation(dbPath, dir, i, count, rounds, stations[static_cast<size_t>(i)], report);
            } catch (const std::exception& e) {
                report << QStringLiteral("Fehler: ") + QString::fromUtf8(e.what());
                code = 4;
            }
            QFile out(dir.filePath(QStringLiteral("station-%1.txt").arg(i)));
            if (out.open(QIODevice::WriteOnly))
                out.write(report.join(QLatin1Char('\x1e')).toUtf8());
            out.close();
            _exit(code);
        }
        children.push_back(pid);
    }
    std::vector<StationResult> results(stations.size());
    for (size_t i = 0; i < children.size(); ++i) {
        int status = 0;
        waitpid(children[i], &status, 0);
        results[i].exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        QFile in(dir.filePath(QStringLiteral("station-%1.txt").arg(i)));
        if (in.open(QIODevice::ReadOnly))
            results[i].report = QString::fromUtf8(in.readAll()).split(QLatin1Char('\x1e'), Qt::SkipEmptyParts);
    }
    return results;
}

}  // namespace test
