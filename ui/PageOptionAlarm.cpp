#include "ui/PageOptionAlarm.h"

#include "core/options/AppOptions.h"
#include "ui/AlarmSound.h"
#include "ui/PageItemPtyAlarm.h"
#include "ui/SheetOptionSpin.h"
#include "ui/SheetOptionStrings.h"
#include "ui/UiText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

CPageOptionAlarm::SoundPreviewHook& PreviewHook()
{
    static CPageOptionAlarm::SoundPreviewHook hook;
    return hook;
}

// The play and stop images: a triangle and a square on the button face, drawn at two sizes so
// that high-density screens get sharp edges; the disabled look comes from the style.
QIcon PlayerIcon(bool playing)
{
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        painter.setPen(QPen(QColor(0, 64, 0), 1));
        if (playing) {
            QPainterPath triangle;
            triangle.moveTo(4.5, 2.5);
            triangle.lineTo(13, 8);
            triangle.lineTo(4.5, 13.5);
            triangle.closeSubpath();
            painter.setBrush(QColor(0, 160, 0));
            painter.drawPath(triangle);
        } else {
            painter.setPen(QPen(QColor(0, 0, 0), 1));
            painter.setBrush(QColor(40, 40, 40));
            painter.drawRect(QRectF(3.5, 3.5, 9, 9));
        }
        icon.addPixmap(pixmap);
    }
    return icon;
}

QWidget* W(QWidget* widget)
{
    return widget;
}

} // namespace

CPageOptionAlarm::CPageOptionAlarm(const CAppOptions& options, QWidget* parent) : QWidget(parent)
{
    endCheck = new QCheckBox(ResText(kStrOptAlarmEnd), this);
    leadValue = new CRangeSpin(kAlarmLeadRange, this);
    leadValue->setObjectName(QStringLiteral("leadValue"));
    leadUnit = new QComboBox(this);
    leadUnit->addItems({ResText(kStrOptSeconds), ResText(kStrOptMinutesUnit), ResText(kStrOptHours)});
    beforeEnd = new QLabel(ResText(kStrOptAlarmBeforeEnd), this);
    buyerCheck = new QCheckBox(ResText(kStrOptAlarmBuyer), this);

    auto* behaviorGroup = new QGroupBox(ResText(kStrOptBehavior).trimmed(), this);
    message = new QRadioButton(ResText(kStrOptMessage), behaviorGroup);
    sound = new QRadioButton(ResText(kStrOptSound), behaviorGroup);
    both = new QRadioButton(ResText(kStrOptMessageAndSound), behaviorGroup);
    auto* behaviors = new QButtonGroup(this);
    for (QRadioButton* button : {message, sound, both})
        behaviors->addButton(button);
    auto* behaviorLayout = new QVBoxLayout(behaviorGroup);
    behaviorLayout->addWidget(message);
    behaviorLayout->addWidget(sound);
    behaviorLayout->addWidget(both);
    behaviorLayout->addStretch(1);

    soundGroup = new QGroupBox(ResText(kStrOptSoundFile).trimmed(), this);
    defaultSound = new QRadioButton(ResText(kStrOptDefaultSound), soundGroup);
    customSound = new QRadioButton(ResText(kStrOptCustomSound), soundGroup);
    auto* sounds = new QButtonGroup(this);
    sounds->addButton(defaultSound);
    sounds->addButton(customSound);
    fileLabel = new QLabel(ResText(kStrOptFile), soundGroup);
    fileEdit = new QLineEdit(soundGroup);
    fileEdit->setObjectName(QStringLiteral("soundFile"));
    fileLabel->setBuddy(fileEdit);
    browse = new QPushButton(ResText(kStrOptBrowse), soundGroup);
    browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(browse->text()) + 24);
    play = new QToolButton(soundGroup);
    play->setIcon(PlayerIcon(true));
    play->setToolTip(ResText(kStrOptPlay));
    stop = new QToolButton(soundGroup);
    stop->setIcon(PlayerIcon(false));
    stop->setToolTip(ResText(kStrOptStop));

    auto* fileRow = new QHBoxLayout;
    fileRow->setContentsMargins(24, 0, 0, 0);
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(fileEdit, 1);
    fileRow->addWidget(browse);
    auto* playerRow = new QHBoxLayout;
    playerRow->addStretch(1);
    playerRow->addWidget(play);
    playerRow->addWidget(stop);
    auto* soundLayout = new QVBoxLayout(soundGroup);
    soundLayout->addWidget(defaultSound);
    soundLayout->addWidget(customSound);
    soundLayout->addLayout(fileRow);
    soundLayout->addLayout(playerRow);

    auto* leadRow = new QHBoxLayout;
    leadRow->setContentsMargins(24, 0, 0, 0);
    leadRow->addWidget(leadValue);
    leadRow->addWidget(leadUnit);
    leadRow->addWidget(beforeEnd);
    leadRow->addStretch(1);
    auto* groups = new QHBoxLayout;
    groups->addWidget(behaviorGroup);
    groups->addWidget(soundGroup, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(endCheck);
    layout->addLayout(leadRow);
    layout->addWidget(buyerCheck);
    layout->addSpacing(6);
    layout->addLayout(groups);
    layout->addStretch(1);

    endCheck->setChecked(TriggerHasEnd(options.alarmTrigger));
    buyerCheck->setChecked(TriggerHasBuyer(options.alarmTrigger));
    const LeadTime lead = LeadTimeFromSeconds(options.alarmSeconds);
    leadValue->setValue(lead.value);
    leadUnit->setCurrentIndex(lead.unit);
    message->setChecked(options.alarmBehavior == 0);
    sound->setChecked(options.alarmBehavior == 1);
    both->setChecked(options.alarmBehavior == 2);
    const bool custom = !options.alarmSoundFile.empty();
    customSound->setChecked(custom);
    defaultSound->setChecked(!custom);
    fileEdit->setText(QFile::decodeName(QByteArray::fromStdString(options.alarmSoundFile)));

    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{endCheck, message, sound, both, customSound})
        connect(button, &QAbstractButton::toggled, this, &CPageOptionAlarm::UpdateEnabling);
    connect(fileEdit, &QLineEdit::textChanged, this, &CPageOptionAlarm::UpdateEnabling);
    connect(browse, &QPushButton::clicked, this, &CPageOptionAlarm::Browse);
    connect(play, &QToolButton::clicked, this, &CPageOptionAlarm::Play);
    connect(stop, &QToolButton::clicked, this, &CPageOptionAlarm::Stop);
    UpdateEnabling();
}

// A preview still playing ends with the sheet: the player process belongs to the page.
CPageOptionAlarm::~CPageOptionAlarm() = default;

bool CPageOptionAlarm::SoundOn() const
{
    return sound->isChecked() || both->isChecked();
}

void CPageOptionAlarm::UpdateEnabling()
{
    const bool leadOn = endCheck->isChecked();
    for (QWidget* widget : {W(leadValue), W(leadUnit), W(beforeEnd)})
        widget->setEnabled(leadOn);

    const bool soundOn = SoundOn();
    soundGroup->setEnabled(soundOn);
    for (QWidget* widget : {W(stop), W(defaultSound), W(customSound)})
        widget->setEnabled(soundOn);
    const bool custom = customSound->isChecked();
    play->setEnabled(soundOn && (!custom || !fileEdit->text().isEmpty()));
    for (QWidget* widget : {W(fileLabel), W(fileEdit), W(browse)})
        widget->setEnabled(soundOn && custom);
}

CRangeSpin* CPageOptionAlarm::InvalidField() const
{
    return endCheck->isChecked() && !leadValue->Valid() ? leadValue : nullptr;
}

void CPageOptionAlarm::Store(CAppOptions& options) const
{
    options.alarmTrigger = TriggerFromChecks(endCheck->isChecked(), buyerCheck->isChecked());
    if (leadValue->Valid())
        options.alarmSeconds = LeadTimeToSeconds({leadValue->value(), leadUnit->currentIndex()});
    if (message->isChecked())
        options.alarmBehavior = 0;
    else if (sound->isChecked())
        options.alarmBehavior = 1;
    else if (both->isChecked())
        options.alarmBehavior = 2;
    options.alarmSoundFile =
        SoundFileToStore(customSound->isChecked(), QFile::encodeName(fileEdit->text()).toStdString());
}

QString CPageOptionAlarm::SoundFolder()
{
    for (const QString& root : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString folder = QDir(root).filePath(QStringLiteral("sounds"));
        if (QFileInfo(folder).isDir())
            return folder;
    }
    return {};
}

QString CPageOptionAlarm::DialogFilter(const QString& pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (description.isEmpty() || patterns.isEmpty())
            continue;
        filters << (description.contains(QLatin1Char('(')) ? description
                                                           : description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

void CPageOptionAlarm::Browse()
{
    QString path = QFileDialog::getOpenFileName(this, ResText(kStrOptSoundDialogTitle), SoundFolder(),
                                                DialogFilter(ResText(kStrSoundFilter)));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty() && !QFileInfo::exists(path))
        path += QStringLiteral(".wav");
    fileEdit->setText(QDir::toNativeSeparators(path));
}

void CPageOptionAlarm::Play()
{
    Stop();
    const QString file = customSound->isChecked() ? fileEdit->text() : QString();
    if (PreviewHook()) {
        PreviewHook()(file.isEmpty() ? QStringLiteral("SystemAsterisk") : file);
        return;
    }
    // A file that cannot be read plays the desktop's information sound, as the alarm does.
    const QString resolved = !file.isEmpty() && QFileInfo(file).isReadable() ? file : InformationSoundFile();
    if (resolved.isEmpty())
        return;
    QStringList command = SoundPlayerCommand(resolved);
    if (command.isEmpty())
        return;
    if (!player) {
        player = new QProcess(this);
        player->setStandardOutputFile(QProcess::nullDevice());
        player->setStandardErrorFile(QProcess::nullDevice());
    }
    const QString program = command.takeFirst();
    player->start(program, command);
}

void CPageOptionAlarm::Stop()
{
    if (PreviewHook()) {
        PreviewHook()(QString());
        return;
    }
    if (player && player->state() != QProcess::NotRunning) {
        player->kill();
        player->waitForFinished(1000);
    }
}

void CPageOptionAlarm::SetSoundPreviewHook(SoundPreviewHook hook)
{
    PreviewHook() = std::move(hook);
}
