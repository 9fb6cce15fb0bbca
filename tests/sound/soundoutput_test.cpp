// The sound output on Qt Multimedia, offscreen: every embedded recording
// loads, one sound plays at a time, an unknown name plays nothing, a
// recording loads at its first cue, and sounds play to their end on a real
// device.
//
// The test brings its own device: a PulseAudio server with one null sink,
// started before the application and stopped at the end, so it neither
// needs nor disturbs the machine's own sound. Without pulseaudio installed
// it plays through the machine's device, if there is one.
#include "sound/qtsoundoutput.h"

#include <QApplication>
#include <QAudioDevice>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QSoundEffect>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <csignal>

using namespace gorse;

namespace {

class NullSink
{
public:
    NullSink() = default;
    NullSink(const NullSink&) = delete;
    NullSink& operator=(const NullSink&) = delete;
    ~NullSink() { stop(); }

    bool installed() const
    {
        return !QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty();
    }

    // Starts the server and points this process's sound at it. Must run
    // before the application is made. Returns "" or what went wrong.
    QString start()
    {
        if (!dir_.isValid())
            return QStringLiteral("no temporary folder");
        const QString runtime = dir_.filePath(QStringLiteral("run"));
        const QString home = dir_.filePath(QStringLiteral("home"));
        const QString socket = dir_.filePath(QStringLiteral("native"));
        QDir().mkpath(runtime);
        QDir().mkpath(home);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.remove(QStringLiteral("PULSE_SERVER"));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        QProcess daemon;
        daemon.setProcessEnvironment(env);
        daemon.setProcessChannelMode(QProcess::MergedChannels);
        // It exits by itself 30 s after its last client left, should the
        // test die before stopping it.
        daemon.start(
            QStringLiteral("pulseaudio"),
            {QStringLiteral("--daemonize=yes"), QStringLiteral("-n"),
             QStringLiteral("--exit-idle-time=30"),
             QStringLiteral("--load=module-null-sink sink_name=gorse_test"),
             QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1 socket=") +
                 socket});
        if (!daemon.waitForFinished(30000) || daemon.exitStatus() != QProcess::NormalExit ||
            daemon.exitCode() != 0)
            return QStringLiteral("pulseaudio did not start: ") +
                   QString::fromLocal8Bit(daemon.readAll());
        QFile pidFile(runtime + QStringLiteral("/pulse/pid"));
        if (pidFile.open(QIODevice::ReadOnly))
            pid_ = pidFile.readAll().trimmed().toLongLong();
        if (pid_ <= 0 || !QFile::exists(socket))
            return QStringLiteral("pulseaudio started without its pid file or socket");
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(socket));
        return {};
    }

    void stop()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_t(pid_), SIGTERM);
        QDeadlineTimer deadline(5000);
        while (::kill(pid_t(pid_), 0) == 0 && !deadline.hasExpired())
            QThread::msleep(20);
        pid_ = 0;
    }

private:
    QTemporaryDir dir_;
    qint64 pid_ = 0;
};

QStringList expectedNames()
{
    QStringList names{
        QStringLiteral("badword"),   QStringLiteral("clear"),    QStringLiteral("entered"),
        QStringLiteral("gameover"),  QStringLiteral("goodword"), QStringLiteral("place"),
        QStringLiteral("roundover"), QStringLiteral("shift"),    QStringLiteral("timer"),
        QStringLiteral("turn"),      QStringLiteral("turnnew"),  QStringLiteral("winner")};
    for (int n = 1; n <= 20; ++n)
        names.append(QStringLiteral("wave%1").arg(n));
    names.sort();
    return names;
}

QString statusName(QSoundEffect::Status status)
{
    switch (status) {
    case QSoundEffect::Null:
        return QStringLiteral("no source");
    case QSoundEffect::Loading:
        return QStringLiteral("still loading");
    case QSoundEffect::Ready:
        return QStringLiteral("ready");
    case QSoundEffect::Error:
        return QStringLiteral("error");
    }
    return QStringLiteral("unknown");
}

} // namespace

class SoundOutputTest : public QObject
{
    Q_OBJECT
public:
    SoundOutputTest(const NullSink& sink, QString sinkProblem)
        : sink_(sink), sinkProblem_(std::move(sinkProblem))
    {
    }

private:
    // Waits until every recording has finished loading, well or not, and
    // returns those that did not load, with their status.
    static QStringList notLoaded(const QtSoundOutput& out)
    {
        const QStringList names = out.names();
        (void)QTest::qWaitFor(
            [&] {
                for (const QString& name : names) {
                    const auto status = out.effect(name)->status();
                    if (status == QSoundEffect::Null || status == QSoundEffect::Loading)
                        return false;
                }
                return true;
            },
            30000);
        QStringList failed;
        for (const QString& name : names) {
            const auto status = out.effect(name)->status();
            if (status != QSoundEffect::Ready)
                failed.append(name + QStringLiteral(".wav (") + statusName(status) + u')');
        }
        return failed;
    }

    static QStringList playing(const QtSoundOutput& out)
    {
        QStringList names;
        for (const QString& name : out.names()) {
            if (out.effect(name)->isPlaying())
                names.append(name);
        }
        return names;
    }

    const NullSink& sink_;
    QString sinkProblem_;

private slots:
    void initTestCase()
    {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        qInfo("sound device: %s%s", device.isNull() ? "none" : qPrintable(device.description()),
              sinkProblem_.isEmpty() ? "" : qPrintable(QStringLiteral(" (") + sinkProblem_ + u')'));
    }

    // Small mono 16-bit PCM files, together under 2 MB.
    void recordingsAreSmallMono16BitPcm()
    {
        const QDir dir(QStringLiteral(":/sounds"));
        QStringList names;
        qint64 total = 0;
        for (const QString& file : dir.entryList(QDir::Files)) {
            QFile wav(dir.filePath(file));
            QVERIFY(wav.open(QIODevice::ReadOnly));
            const QByteArray head = wav.read(36);
            QVERIFY2(head.size() == 36 && head.startsWith("RIFF") && head.mid(8, 8) == "WAVEfmt ",
                     qPrintable(file));
            const uchar* fmt = reinterpret_cast<const uchar*>(head.constData()) + 20;
            QVERIFY2(qFromLittleEndian<quint16>(fmt) == 1,
                     qPrintable(file + QStringLiteral(": not PCM")));
            QVERIFY2(qFromLittleEndian<quint16>(fmt + 2) == 1,
                     qPrintable(file + QStringLiteral(": not mono")));
            QVERIFY2(qFromLittleEndian<quint16>(fmt + 14) == 16,
                     qPrintable(file + QStringLiteral(": not 16-bit")));
            const quint32 rate = qFromLittleEndian<quint32>(fmt + 4);
            QVERIFY2(rate >= 8000 && rate <= 22050,
                     qPrintable(file + QStringLiteral(": rate %1").arg(rate)));
            total += wav.size();
            names.append(file.chopped(4));
        }
        names.sort();
        QCOMPARE(names, expectedNames());
        QVERIFY2(total < 2 * 1024 * 1024, qPrintable(QStringLiteral("%1 bytes").arg(total)));
    }

    void loadsEveryRecording()
    {
        const QtSoundOutput out;
        QStringList names = out.names();
        names.sort();
        QCOMPARE(names, expectedNames());
        const QStringList failed = notLoaded(out);
        QVERIFY2(failed.isEmpty(),
                 qPrintable(QStringLiteral("not loaded: ") + failed.join(QStringLiteral(", "))));
    }

    // Recordings are found by name in any letter case; one that does not
    // load is reported by its file name.
    void aBrokenRecordingIsReportedByName()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::copy(QStringLiteral(":/sounds/timer.wav"),
                            dir.filePath(QStringLiteral("Timer.WAV"))));
        QFile broken(dir.filePath(QStringLiteral("broken.wav")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray("RIFF\x24\x00\x00\x00WAVEjunk") + QByteArray(64, 'x'));
        broken.close();
        QFile other(dir.filePath(QStringLiteral("notes.txt")));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();

        QtSoundOutput out(dir.path());
        QCOMPARE(out.names(), (QStringList{QStringLiteral("broken"), QStringLiteral("timer")}));
        QCOMPARE(notLoaded(out), QStringList{QStringLiteral("broken.wav (error)")});
        QVERIFY(out.effect(QStringLiteral("TIMER")) == out.effect(QStringLiteral("timer")));
        out.play(QStringLiteral("Timer"));
        QCOMPARE(playing(out), QStringList{QStringLiteral("timer")});
    }

    void aNewSoundCutsOffThePlayingOne()
    {
        QtSoundOutput out;
        QVERIFY(notLoaded(out).isEmpty());
        // No events are handled in between, so nothing ends by itself here.
        out.play(QStringLiteral("roundover"));
        QCOMPARE(playing(out), QStringList{QStringLiteral("roundover")});
        out.play(QStringLiteral("GoodWord"));
        QCOMPARE(playing(out), QStringList{QStringLiteral("goodword")});
        out.play(QStringLiteral("no such sound"));
        out.play(QString());
        QCOMPARE(playing(out), QStringList{QStringLiteral("goodword")});
        out.play(QStringLiteral("WAVE13"));
        QCOMPARE(playing(out), QStringList{QStringLiteral("wave13")});
        out.play(QStringLiteral("wave13"));
        QCOMPARE(playing(out), QStringList{QStringLiteral("wave13")});
    }

    // Nothing is loaded, and the sound system is not set up, before the
    // first cue (a player's own arrival); a cue loads its own recording
    // only, once, and is heard in full although it was asked for before it
    // had loaded.
    void aRecordingLoadsAtItsFirstCueAndIsHeard()
    {
        if (!sinkProblem_.isEmpty() && sink_.installed())
            QFAIL(qPrintable(sinkProblem_));
        if (QMediaDevices::audioOutputs().isEmpty())
            QSKIP("no sound device, and pulseaudio is not installed");
        QtSoundOutput out;
        QCOMPARE(out.loadedNames(), QStringList());
        QFile wav(QStringLiteral(":/sounds/entered.wav"));
        QVERIFY(wav.open(QIODevice::ReadOnly));
        const QByteArray head = wav.read(44);
        const quint32 bytesPerSecond =
            qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(head.constData()) + 28);
        const qint64 lengthMs = (wav.size() - 44) * 1000 / bytesPerSecond;
        QVERIFY(lengthMs > 100);

        QElapsedTimer heard;
        heard.start();
        out.play(QStringLiteral("Entered"));
        const QSoundEffect* entered = out.effect(QStringLiteral("entered"));
        QCOMPARE(out.loadedNames(), QStringList{QStringLiteral("entered")});
        QTRY_VERIFY_WITH_TIMEOUT(entered->status() == QSoundEffect::Ready, 10000);
        QVERIFY(entered->isPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(!entered->isPlaying(), 10000);
        QVERIFY2(heard.elapsed() >= lengthMs * 3 / 4,
                 qPrintable(QStringLiteral("%1 ms of %2").arg(heard.elapsed()).arg(lengthMs)));
        out.play(QStringLiteral("entered"));
        QCOMPARE(out.effect(QStringLiteral("ENTERED")), entered);
        QCOMPARE(out.loadedNames(), QStringList{QStringLiteral("entered")});
    }

    // On a real device a sound ends when it has been heard; a cut-off one
    // stays silent.
    void soundsPlayToTheirEndOnTheDevice()
    {
        if (!sinkProblem_.isEmpty() && sink_.installed())
            QFAIL(qPrintable(sinkProblem_));
        if (QMediaDevices::audioOutputs().isEmpty())
            QSKIP("no sound device, and pulseaudio is not installed");
        QtSoundOutput out;
        QVERIFY(notLoaded(out).isEmpty());
        out.play(QStringLiteral("roundover"));
        out.play(QStringLiteral("timer"));
        QCOMPARE(playing(out), QStringList{QStringLiteral("timer")});
        QTRY_VERIFY_WITH_TIMEOUT(playing(out).isEmpty(), 10000);
        out.play(QStringLiteral("place"));
        QTRY_VERIFY_WITH_TIMEOUT(playing(out).isEmpty(), 10000);
        QVERIFY(!out.effect(QStringLiteral("roundover"))->isPlaying());
    }
};

int main(int argc, char** argv)
{
    NullSink sink;
    const QString problem =
        sink.installed() ? sink.start() : QStringLiteral("pulseaudio is not installed");
    int result = 0;
    {
        QApplication app(argc, argv);
        SoundOutputTest test(sink, problem);
        result = QTest::qExec(&test, argc, argv);
    }
    sink.stop();
    return result;
}

#include "soundoutput_test.moc"
