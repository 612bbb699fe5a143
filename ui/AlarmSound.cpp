#include "ui/AlarmSound.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

QString InformationSoundFile()
{
    QStringList roots = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    if (roots.isEmpty())
        roots << QStringLiteral("/usr/local/share") << QStringLiteral("/usr/share");
    for (const QString& root : roots) {
        const QDir dir(root + QStringLiteral("/sounds/freedesktop/stereo"));
        for (const char* name : {"dialog-information.oga", "dialog-information.ogg", "dialog-information.wav"}) {
            const QString path = dir.filePath(QLatin1String(name));
            if (QFileInfo(path).isReadable())
                return path;
        }
    }
    return {};
}

QStringList SoundPlayerCommand(const QString& file)
{
    // aplay reads wave files only; the sound-server players read Ogg as well.
    const bool wave = file.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive);
    for (const char* player : {"paplay", "pw-play", "aplay"}) {
        if (!wave && QLatin1String(player) == QLatin1String("aplay"))
            continue;
        const QString program = QStandardPaths::findExecutable(QLatin1String(player));
        if (!program.isEmpty())
            return {program, QStringLiteral("--"), file};
    }
    return {};
}

void PlayAlarmSound(const QString& wavFile)
{
    QString file = wavFile;
    if (file.isEmpty() || !QFileInfo(file).isReadable())
        file = InformationSoundFile();
    if (file.isEmpty())
        return;
    QStringList command = SoundPlayerCommand(file);
    if (command.isEmpty())
        return;
    QProcess process;
    process.setProgram(command.takeFirst());
    process.setArguments(command);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.startDetached();
}
