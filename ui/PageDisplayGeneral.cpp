#include "ui/PageDisplayGeneral.h"

#include "ui/SheetDisplayOpt.h"
#include "ui/SheetOptionSpin.h"
#include "ui/SheetOptionStrings.h"
#include "ui/UiText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QWidget* W(QWidget* widget)
{
    return widget;
}

} // namespace

CPageDisplayGeneral::CPageDisplayGeneral(const DisplayPrefs& prefs, QWidget* parent) : QWidget(parent)
{
    auto* toolbarGroup = new QGroupBox(ResText(kStrDispToolbarGroup).trimmed(), this);
    toolbar = new QCheckBox(ResText(kStrDispToolbar), toolbarGroup);
    textLabels = new QCheckBox(ResText(kStrDispTextLabels), toolbarGroup);
    bigIcons = new QCheckBox(ResText(kStrDispBigIcons), toolbarGroup);
    auto* toolbarLayout = new QVBoxLayout(toolbarGroup);
    toolbarLayout->addWidget(toolbar);
    auto* styleRow = new QVBoxLayout;
    styleRow->setContentsMargins(24, 0, 0, 0);
    styleRow->addWidget(textLabels);
    styleRow->addWidget(bigIcons);
    toolbarLayout->addLayout(styleRow);

    auto* viewerGroup = new QGroupBox(ResText(kStrDispViewerGroup).trimmed(), this);
    viewer = new QCheckBox(ResText(kStrDispViewer), viewerGroup);
    fontLabel = new QLabel(ResText(kStrDispFontSize), viewerGroup);
    fontSize = new QComboBox(viewerGroup);
    for (int i = 0; i < kFontSizeChoices; ++i)
        fontSize->addItem(ResText(kStrDispFontSmallest + i));
    fontLabel->setBuddy(fontSize);
    auto* viewerLayout = new QVBoxLayout(viewerGroup);
    viewerLayout->addWidget(viewer);
    auto* fontRow = new QHBoxLayout;
    fontRow->setContentsMargins(24, 0, 0, 0);
    fontRow->addWidget(fontLabel);
    fontRow->addWidget(fontSize);
    fontRow->addStretch(1);
    viewerLayout->addLayout(fontRow);

    auto* listGroup = new QGroupBox(ResText(kStrDispListGroup).trimmed(), this);
    trackChanges = new QCheckBox(ResText(kStrDispTrackChanges), listGroup);
    readLabel = new QLabel(ResText(kStrDispReadAfter), listGroup);
    readTime = new CRangeSpin(kReadTimeRange, listGroup);
    readTime->setObjectName(QStringLiteral("readTime"));
    readLabel->setBuddy(readTime);
    readUnit = new QLabel(ResText(kStrDispSeconds), listGroup);
    auto* listLayout = new QVBoxLayout(listGroup);
    listLayout->addWidget(trackChanges);
    auto* readRow = new QHBoxLayout;
    readRow->setContentsMargins(24, 0, 0, 0);
    readRow->addWidget(readLabel);
    readRow->addWidget(readTime);
    readRow->addWidget(readUnit);
    readRow->addStretch(1);
    listLayout->addLayout(readRow);

    auto* top = new QHBoxLayout;
    top->addWidget(toolbarGroup, 1);
    top->addWidget(viewerGroup, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(listGroup);
    layout->addStretch(1);

    toolbar->setChecked(prefs.toolbar);
    textLabels->setChecked(prefs.textLabels);
    bigIcons->setChecked(prefs.bigIcons);
    viewer->setChecked(prefs.viewer);
    fontSize->setCurrentIndex(prefs.fontSize >= 0 && prefs.fontSize < kFontSizeChoices ? prefs.fontSize : -1);
    trackChanges->setChecked(prefs.trackChanges);
    readTime->setValue(prefs.readTime);

    for (QCheckBox* box : {toolbar, textLabels, bigIcons, viewer, trackChanges})
        connect(box, &QCheckBox::toggled, this, &CPageDisplayGeneral::Changed);
    connect(fontSize, &QComboBox::currentIndexChanged, this, &CPageDisplayGeneral::Changed);
    connect(readTime, &QSpinBox::textChanged, this, &CPageDisplayGeneral::Changed);
    for (QCheckBox* box : {toolbar, viewer, trackChanges})
        connect(box, &QCheckBox::toggled, this, &CPageDisplayGeneral::UpdateEnabling);
    UpdateEnabling();
}

void CPageDisplayGeneral::UpdateEnabling()
{
    textLabels->setEnabled(toolbar->isChecked());
    bigIcons->setEnabled(toolbar->isChecked());
    fontLabel->setEnabled(viewer->isChecked());
    fontSize->setEnabled(viewer->isChecked());
    for (QWidget* widget : {W(readLabel), W(readTime), W(readUnit)})
        widget->setEnabled(trackChanges->isChecked());
}

CRangeSpin* CPageDisplayGeneral::InvalidField() const
{
    return trackChanges->isChecked() && !readTime->Valid() ? readTime : nullptr;
}

void CPageDisplayGeneral::Store(DisplayPrefs& prefs) const
{
    prefs.toolbar = toolbar->isChecked();
    prefs.textLabels = textLabels->isChecked();
    prefs.bigIcons = bigIcons->isChecked();
    prefs.viewer = viewer->isChecked();
    if (fontSize->currentIndex() >= 0)
        prefs.fontSize = fontSize->currentIndex();
    prefs.trackChanges = trackChanges->isChecked();
    if (readTime->Valid())
        prefs.readTime = readTime->value();
}
