#pragma once
// The "Alarm options" page of the options sheet: the default alarm given to items (before the
// end with its lead time, when the buyer changes), how it shows itself and which sound it
// plays, with buttons to hear the sound and stop it.

#include <QWidget>

#include <functional>

class CAppOptions;
class CRangeSpin;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProcess;
class QPushButton;
class QRadioButton;
class QToolButton;

class CPageOptionAlarm : public QWidget
{
    Q_OBJECT
public:
    explicit CPageOptionAlarm(const CAppOptions& options, QWidget* parent = nullptr);
    ~CPageOptionAlarm() override;

    CRangeSpin* InvalidField() const;
    // Writes the page's values; call only when InvalidField() is nullptr.
    void Store(CAppOptions& options) const;

    // The folder the sound file chooser starts in: the desktop's sound folder when one exists,
    // else empty (the chooser's own default).
    static QString SoundFolder();
    // "Description|pattern|..." as a file dialog filter list.
    static QString DialogFilter(const QString& pairs);

    // Replaces the player of the play and stop buttons (tests): called with the file to play,
    // or with an empty name to stop. An empty function restores the player.
    using SoundPreviewHook = std::function<void(const QString& file)>;
    static void SetSoundPreviewHook(SoundPreviewHook hook);

    void Browse();
    void Play();
    void Stop();

    QCheckBox* EndCheck() const { return endCheck; }
    CRangeSpin* LeadValue() const { return leadValue; }
    QComboBox* LeadUnit() const { return leadUnit; }
    QLabel* BeforeEndText() const { return beforeEnd; }
    QCheckBox* BuyerCheck() const { return buyerCheck; }
    QRadioButton* MessageButton() const { return message; }
    QRadioButton* SoundButton() const { return sound; }
    QRadioButton* BothButton() const { return both; }
    QGroupBox* SoundGroup() const { return soundGroup; }
    QRadioButton* DefaultSoundButton() const { return defaultSound; }
    QRadioButton* CustomSoundButton() const { return customSound; }
    QLabel* FileLabel() const { return fileLabel; }
    QLineEdit* FileEdit() const { return fileEdit; }
    QPushButton* BrowseButton() const { return browse; }
    QToolButton* PlayButton() const { return play; }
    QToolButton* StopButton() const { return stop; }

private:
    void UpdateEnabling();
    bool SoundOn() const;

    QCheckBox* endCheck = nullptr;
    CRangeSpin* leadValue = nullptr;
    QComboBox* leadUnit = nullptr;
    QLabel* beforeEnd = nullptr;
    QCheckBox* buyerCheck = nullptr;
    QRadioButton* message = nullptr;
    QRadioButton* sound = nullptr;
    QRadioButton* both = nullptr;
    QGroupBox* soundGroup = nullptr;
    QRadioButton* defaultSound = nullptr;
    QRadioButton* customSound = nullptr;
    QLabel* fileLabel = nullptr;
    QLineEdit* fileEdit = nullptr;
    QPushButton* browse = nullptr;
    QToolButton* play = nullptr;
    QToolButton* stop = nullptr;
    QProcess* player = nullptr;
};
