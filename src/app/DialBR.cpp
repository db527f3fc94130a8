#include "DialBR.h"

#include "DialogLayout.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpinBox>

#include <algorithm>
#include <array>

namespace {

// The field shows the tones of the position; typing into it is not possible,
// only the arrows (and the arrow keys) change it.
class TonesSpinBox : public QSpinBox {
public:
    explicit TonesSpinBox(QWidget* parent) : QSpinBox(parent)
    {
        setRange(0, 7);
        setWrapping(false);
        lineEdit()->setReadOnly(true);
        setObjectName(QStringLiteral("tones"));
    }

protected:
    QString textFromValue(int value) const override { return DialBR::label(value); }
    int valueFromText(const QString& text) const override
    {
        for (int p = 0; p <= 7; ++p)
            if (DialBR::label(p) == text)
                return p;
        return value();
    }
    QValidator::State validate(QString& text, int&) const override
    {
        for (int p = 0; p <= 7; ++p)
            if (DialBR::label(p) == text)
                return QValidator::Acceptable;
        return QValidator::Intermediate;
    }
};

} // namespace

QString DialBR::label(int position)
{
    static const std::array<const char*, 8> labels = {"1/4", "1/2", "1", "1.5", "2", "2.5", "3", "3.5"};
    return QString::fromLatin1(labels[static_cast<std::size_t>(std::clamp(position, 0, 7))]);
}

DialBR::DialBR(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setModal(true);

    auto* group = new QGroupBox(QStringLiteral("Tons : "), this);
    spin_ = new TonesSpinBox(group);
    spin_->setValue(kStart);
    auto* inGroup = new QHBoxLayout(group);
    inGroup->addWidget(spin_);

    layOutWithOkCancel(*this, group);
    spin_->setFocus();
}

int DialBR::position() const
{
    return std::clamp(spin_->value(), 0, 7);
}

int DialBR::ask()
{
    return exec() == QDialog::Accepted ? position() : -1;
}
