#include "ServerPreview.h"

#include "ui/qt/DisplayConnection.h"
#include "ui/qt/MainWindow.h"

#include <QApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QWidget>

#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

namespace ondulix::bench {
namespace {

constexpr auto kWarmUp = std::chrono::milliseconds(1500); // fonts, first paints, the server's caches
constexpr QSize kBareWindowSize(599, 478);                 // the real window's client size
constexpr int kChildTimeoutMs = 30000;

// What a child runs in its turns, and how far it got.
struct TurnSubject {
    std::function<void()> start;
    std::function<void()> stop;
    std::function<std::int64_t()> count;
};

// Reads "turn <ms>" lines until "end" or the end of input; answers each with the turn's figures.
void answerTurns(const TurnSubject& subject) {
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream command(line);
        std::string word;
        int milliseconds = 0;
        command >> word >> milliseconds;
        if (word != "turn" || milliseconds <= 0)
            return;
        TurnTotals totals;
        subject.start();
        totals.run(std::chrono::milliseconds(milliseconds), subject.count);
        subject.stop();
        std::cout << "turn " << totals.seconds() << ' ' << totals.cpuSeconds() << ' ' << totals.count() << std::endl;
    }
}

// One child process, talked to line by line.
class Child {
public:
    Child(const QString& program, TurnChild which) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(program, {QStringLiteral("--turn-child"), QString::fromLatin1(TurnChildName(which))});
    }
    ~Child() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The next line whose first word is `word`, split into its words; nothing when the child
    // ended or went quiet first.
    std::optional<QList<QByteArray>> expect(const char* word) {
        for (;;) {
            while (!process_.canReadLine())
                if (!process_.waitForReadyRead(kChildTimeoutMs))
                    return std::nullopt;
            const QList<QByteArray> fields = process_.readLine().trimmed().split(' ');
            if (!fields.isEmpty() && fields.front() == word)
                return fields;
        }
    }
    void send(const std::string& line) {
        process_.write(QByteArray::fromStdString(line + "\n"));
        process_.waitForBytesWritten(kChildTimeoutMs);
    }
    // One turn of the given length, added to `totals`; false when the child did not answer.
    bool turn(std::chrono::milliseconds length, TurnTotals& totals) {
        send("turn " + std::to_string(length.count()));
        const auto fields = expect("turn");
        if (!fields || fields->size() != 4)
            return false;
        totals.add(fields->at(1).toDouble(), fields->at(2).toDouble(), fields->at(3).toLongLong());
        return true;
    }
    bool finish() {
        send("end");
        const auto fields = expect("consistent");
        process_.waitForFinished(kChildTimeoutMs);
        return fields && fields->size() == 2 && fields->at(1) == "1";
    }

private:
    QProcess process_;
};

} // namespace

const char* TurnChildName(TurnChild which) { return which == TurnChild::Preview ? "preview" : "bare"; }

int RunTurnChild(int& argc, char** argv, TurnChild which) {
    ui::qt::SendPicturesThroughTheConnection(); // as the program does
    QApplication app(argc, argv);
    std::unique_ptr<MeasuredWindow> window;
    std::unique_ptr<CountedPreview> preview;
    QWidget bare;
    EmptyTimer emptyTimer;
    TurnSubject subject;
    if (which == TurnChild::Preview) {
        window = std::make_unique<MeasuredWindow>();
        preview = std::make_unique<CountedPreview>(*window);
        window->form->show(); // starts the preview
        subject = {[&] { preview->start(); }, [&] { preview->stop(); }, [&] { return preview->frames(); }};
    } else {
        bare.setFixedSize(kBareWindowSize);
        bare.show();
        subject = {[&] { emptyTimer.start(); }, [&] { emptyTimer.stop(); }, [&] { return emptyTimer.ticks(); }};
    }
    subject.start();
    RunEventLoop(kWarmUp);
    subject.stop();
    RunEventLoop(std::chrono::milliseconds(100)); // the last repaint
    if (preview)
        preview->markStart();
    std::cout << "ready" << std::endl;

    answerTurns(subject);
    std::cout << "consistent " << (preview ? preview->consistent() : true) << std::endl;
    return 0;
}

ServerPreviewFigures MeasurePreviewOnServer(const QString& program, int turns, std::chrono::milliseconds turn) {
    ServerPreviewFigures figures;
    Child bare(program, TurnChild::BareWindow);
    Child preview(program, TurnChild::Preview);
    if (!bare.expect("ready") || !preview.expect("ready")) {
        figures.note = "a child did not start its window on the X server";
        return figures;
    }
    // In turns, so that a change in the machine's load during the run hits both alike; only one
    // child runs its timer at a time.
    TurnTotals empty;
    TurnTotals frames;
    for (int i = 0; i < turns; ++i) {
        if (!bare.turn(turn, empty) || !preview.turn(turn, frames)) {
            figures.note = "a child stopped answering";
            return figures;
        }
    }
    figures.emptyTimer = empty.figures();
    static_cast<TickFigures&>(figures.preview) = frames.figures();
    figures.emptyTurns = empty.turns();
    figures.previewTurns = frames.turns();
    figures.preview.consistent = preview.finish();
    bare.finish();
    figures.ok = true;
    if (!figures.preview.consistent)
        figures.note = "the tables' positions do not match the frames counted";
    return figures;
}

} // namespace ondulix::bench
