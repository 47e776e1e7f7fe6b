// A titled group of radio buttons addressed by item index, with items added and removed
// at run time. Choosing an item, by the user or from code, emits itemClicked once; choosing
// the item already chosen does nothing.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit RadioGroup(QWidget* parent = nullptr);

    void setItems(const QStringList& items);
    QStringList items() const;
    int count() const;
    void addItem(const QString& text);
    void removeItem(int index);   // a removed chosen item leaves none chosen

    int itemIndex() const { return index_; }
    void setItemIndex(int index);

signals:
    void itemClicked(int index);

private:
    QButtonGroup* buttons_;
    QVBoxLayout* layout_;
    QList<QRadioButton*> radios_;
    int index_ = -1;
};
