#include "RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(QWidget* parent)
    : QGroupBox(parent), buttons_(new QButtonGroup(this)), layout_(new QVBoxLayout(this))
{
    layout_->setContentsMargins(6, 2, 6, 2);
    layout_->setSpacing(2);
    connect(buttons_, &QButtonGroup::idClicked, this, &RadioGroup::setItemIndex);
}

void RadioGroup::setItems(const QStringList& items)
{
    while (!radios_.isEmpty())
        removeItem(static_cast<int>(radios_.size()) - 1);
    for (const QString& text : items)
        addItem(text);
}

QStringList RadioGroup::items() const
{
    QStringList texts;
    for (const QRadioButton* r : radios_)
        texts << r->text();
    return texts;
}

int RadioGroup::count() const
{
    return static_cast<int>(radios_.size());
}

void RadioGroup::addItem(const QString& text)
{
    auto* radio = new QRadioButton(text, this);
    buttons_->addButton(radio, count());
    radios_.append(radio);
    layout_->insertWidget(count() - 1, radio);
    updatePlaceholders();
}

void RadioGroup::setReservedRows(int rows)
{
    reserved_ = rows;
    updatePlaceholders();
}

void RadioGroup::updatePlaceholders()
{
    while (count() + placeholders_.size() > reserved_ && !placeholders_.isEmpty())
        delete placeholders_.takeLast();
    while (count() + placeholders_.size() < reserved_) {
        auto* room = new QRadioButton(QStringLiteral(" "), this);
        QSizePolicy policy = room->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        room->setSizePolicy(policy);
        room->hide();
        layout_->addWidget(room);
        placeholders_.append(room);
    }
}

void RadioGroup::removeItem(int index)
{
    if (index < 0 || index >= count())
        return;
    QRadioButton* radio = radios_.takeAt(index);
    buttons_->removeButton(radio);
    delete radio;
    for (int i = index; i < count(); ++i)
        buttons_->setId(radios_[i], i);
    if (index_ == index)
        index_ = -1;
    else if (index_ > index)
        --index_;
    updatePlaceholders();
}

void RadioGroup::setItemIndex(int index)
{
    if (index < -1 || index >= count() || index == index_)
        return;
    index_ = index;
    if (index >= 0) {
        radios_[index]->setChecked(true);
    } else {
        buttons_->setExclusive(false);
        for (QRadioButton* r : radios_)
            r->setChecked(false);
        buttons_->setExclusive(true);
    }
    emit itemClicked(index_);
}
