#include "ui/PageItemPtyGeneral.h"

#include "core/item/Item.h"
#include "ui/AlarmStrings.h"
#include "ui/UiText.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

const struct
{
    int labelId;
    int columnId;
} kReadOnlyFields[] = {
    {kStrPtyItemNumber, kColItemNumber},       {kStrPtyServer, kColServer},
    {kStrPtyDescription, kColDescription},     {kStrPtyCategory, kColCategory},
    {kStrPtyStartDate, kColStartDateLocal},    {kStrPtyEndDate, kColEndDateLocal},
    {kStrPtyRetrievalDate, kColRetrievalDate}, {kStrPtyInitialPrice, kColInitialPrice},
    {kStrPtyQuantity, kColQuantity},           {kStrPtyCurrentPrice, kColCurrentPrice},
    {kStrPtyBidCount, kColBidCount},           {kStrPtySeller, kColSeller},
    {kStrPtyLocation, kColLocation},           {kStrPtyBuyer, kColCurrentBuyer},
};

QString FieldName(int columnId)
{
    return QStringLiteral("column%1").arg(columnId);
}

} // namespace

CPageItemPtyGeneral::CPageItemPtyGeneral(const CItem& item, QWidget* parent) : QWidget(parent)
{
    auto* form = new QFormLayout(this);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    for (const auto& field : kReadOnlyFields) {
        auto* edit = new QLineEdit(ToQt(item.GetDisplayText(field.columnId)), this);
        edit->setObjectName(FieldName(field.columnId));
        edit->setReadOnly(true);
        edit->setCursorPosition(0);
        form->addRow(ResText(field.labelId), edit);
    }
    shipping = new QLineEdit(ToQt(item.shippingCharges), this);
    shipping->setObjectName(QStringLiteral("shipping"));
    memo = new QLineEdit(ToQt(item.memo), this);
    memo->setObjectName(QStringLiteral("memo"));
    form->addRow(ResText(kStrPtyShipping), shipping);
    form->addRow(ResText(kStrPtyMemo), memo);
    // The labels carry mnemonics: they move the focus to their field.
    for (QLineEdit* edit : {shipping, memo})
        if (auto* label = qobject_cast<QLabel*>(form->labelForField(edit)))
            label->setBuddy(edit);
}

QLineEdit* CPageItemPtyGeneral::Field(int columnId) const
{
    return findChild<QLineEdit*>(FieldName(columnId));
}
