#include "InstrumentList.h"

#include "TrackCommands.h"

InstrumentList::InstrumentList(const std::array<std::string, 10>& names, int count, QWidget* parent)
    : QListWidget(parent)
{
    setObjectName(QStringLiteral("instruments"));
    for (int i = 0; i < count && i < static_cast<int>(edit::kInstrumentChoices.size()); ++i) {
        const int c = edit::kInstrumentChoices[static_cast<std::size_t>(i)];
        auto* item = new QListWidgetItem(QString::fromStdString(names[static_cast<std::size_t>(c)]), this);
        item->setData(Qt::UserRole, c);
    }
    setCurrentRow(0);
}

int InstrumentList::code() const
{
    const QListWidgetItem* item = currentItem() ? currentItem() : this->item(0);
    return item ? item->data(Qt::UserRole).toInt() : edit::kInstrumentChoices[0];
}

void InstrumentList::selectCode(int code)
{
    for (int r = 0; r < count(); ++r)
        if (item(r)->data(Qt::UserRole).toInt() == code) {
            setCurrentRow(r);
            return;
        }
}
