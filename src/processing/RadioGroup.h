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
    // Keeps the room of this many items whatever the count, so that the controls below do not
    // move when an item comes or goes (a quick second click would land on the wrong one).
    void setReservedRows(int rows);

    int itemIndex() const { return index_; }
    void setItemIndex(int index);

signals:
    void itemClicked(int index);

private:
    QButtonGroup* buttons_;
    QVBoxLayout* layout_;
    void updatePlaceholders();

    QList<QRadioButton*> radios_;
    QList<QRadioButton*> placeholders_;   // hidden, keeping their room
    int reserved_ = 0;
    int index_ = -1;
};
