#pragma once
// The alarm sound: a wave file, or the desktop's information sound, played by a player program
// found on the machine. With no player, no sound file or no sound device nothing is heard and
// nothing is reported.

#include <QString>
#include <QStringList>

// The freedesktop sound theme's information sound, or empty when the theme lacks it.
QString InformationSoundFile();

// The program and arguments that would play `file`, or an empty list when no player fits.
QStringList SoundPlayerCommand(const QString& file);

// Plays `wavFile` in the background; an empty name, or a file that cannot be read, plays the
// information sound instead.
void PlayAlarmSound(const QString& wavFile);
