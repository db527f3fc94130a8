// The editing keys as Qt reports them, and the two dialogs of the note commands.
#include "CDialArpAccord.h"
#include "DialBR.h"
#include "EditKeyMapping.h"
#include "DialogButtons.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using edit::Key;

namespace {

std::optional<Key> keyOf(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier, quint32 scan = 0)
{
    const auto k = EditKeyMapping::map(qtKey, mods, scan);
    return k ? std::optional<Key>(k->key) : std::nullopt;
}

int valueOf(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    return EditKeyMapping::map(qtKey, mods)->value;
}

void onNextModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* modal = nullptr;
        if (QTest::qWaitFor([&] { return (modal = QApplication::activeModalWidget()) != nullptr; }, 2000))
            act(modal);
    });
}

} // namespace

TEST(EditKeys, ModifiersAndTheKeysWindowShortcutsOwn)
{
    EXPECT_EQ(keyOf(Qt::Key_Enter, Qt::KeypadModifier), Key::Enter);
    EXPECT_EQ(keyOf(Qt::Key_Right, Qt::KeypadModifier), Key::Right);
    EXPECT_EQ(keyOf(Qt::Key_Down, Qt::ControlModifier), Key::Down);
    EXPECT_EQ(keyOf(Qt::Key_Delete, Qt::ControlModifier), Key::Delete);
    EXPECT_EQ(keyOf(Qt::Key_End), std::nullopt);
    // Paste, copy and cut.
    EXPECT_EQ(keyOf(Qt::Key_Insert, Qt::ShiftModifier), std::nullopt);
    EXPECT_EQ(keyOf(Qt::Key_Insert, Qt::ControlModifier), std::nullopt);
    EXPECT_EQ(keyOf(Qt::Key_Delete, Qt::ShiftModifier), std::nullopt);
}

TEST(EditKeys, HomeOnlyWithShiftOrCtrl)
{
    EXPECT_EQ(keyOf(Qt::Key_Home), std::nullopt);
    EXPECT_EQ(keyOf(Qt::Key_Home, Qt::ShiftModifier), Key::Home);
    EXPECT_EQ(keyOf(Qt::Key_Home, Qt::ControlModifier), Key::Home);
}

TEST(EditKeys, LettersDigitsAndTheKeypadOperators)
{
    EXPECT_EQ(keyOf(Qt::Key_H), Key::Letter);
    EXPECT_EQ(valueOf(Qt::Key_H, Qt::ShiftModifier), 'H');
    EXPECT_EQ(valueOf(Qt::Key_A), 'A');
    EXPECT_EQ(keyOf(Qt::Key_H, Qt::AltModifier), std::nullopt) << "Alt belongs to the menus";
    EXPECT_EQ(valueOf(Qt::Key_H, Qt::ControlModifier), 'H');
    // The window's shortcuts never turn into letters, even if they reach the view.
    for (Qt::Key k : {Qt::Key_C, Qt::Key_N, Qt::Key_O, Qt::Key_P, Qt::Key_S, Qt::Key_V, Qt::Key_X, Qt::Key_Z})
        EXPECT_EQ(keyOf(k, Qt::ControlModifier), std::nullopt) << k;
    EXPECT_EQ(keyOf(Qt::Key_S, Qt::ShiftModifier), Key::Letter);
    EXPECT_EQ(valueOf(Qt::Key_7), 7);
    EXPECT_EQ(valueOf(Qt::Key_0, Qt::KeypadModifier), 0);
    EXPECT_EQ(keyOf(Qt::Key_Asterisk, Qt::KeypadModifier), Key::KeypadMultiply);
    EXPECT_EQ(keyOf(Qt::Key_Slash, Qt::KeypadModifier), Key::KeypadDivide);
    EXPECT_EQ(keyOf(Qt::Key_Period, Qt::KeypadModifier), Key::KeypadDecimal);
    EXPECT_EQ(keyOf(Qt::Key_Comma, Qt::KeypadModifier), Key::KeypadDecimal);
    EXPECT_EQ(keyOf(Qt::Key_Plus, Qt::KeypadModifier), Key::KeypadAdd);
    EXPECT_EQ(keyOf(Qt::Key_Minus, Qt::KeypadModifier), Key::KeypadSubtract);
    // The same characters from the main keyboard are not the keypad keys.
    EXPECT_EQ(keyOf(Qt::Key_Asterisk), std::nullopt);
    EXPECT_EQ(keyOf(Qt::Key_Minus), std::nullopt);
    EXPECT_EQ(keyOf(Qt::Key_Period), std::nullopt);
}

TEST(EditKeys, TheDigitRowTypesDigitsOnLayoutsWhereDigitsNeedShift)
{
    // French keyboard: the "1" key gives "&", the "6" key "-", the "0" key "à".
    EXPECT_EQ(EditKeyMapping::map(Qt::Key_Ampersand, Qt::NoModifier, 10)->value, 1);
    EXPECT_EQ(EditKeyMapping::map(Qt::Key_Minus, Qt::NoModifier, 15)->value, 6);
    EXPECT_EQ(EditKeyMapping::map(Qt::Key_Agrave, Qt::NoModifier, 19)->value, 0);
    EXPECT_EQ(keyOf(Qt::Key_Ampersand), std::nullopt) << "without the key's position";
    EXPECT_EQ(keyOf(Qt::Key_Minus, Qt::KeypadModifier, 82), Key::KeypadSubtract);
    EXPECT_EQ(EditKeyMapping::map(Qt::Key_Ampersand, Qt::ControlModifier, 10)->value, 1);
}

TEST(EditDialogs, AmountDialogCountsInTonesFromOneTone)
{
    DialBR dialog;
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Choisissez le nombre de tons"));
    ASSERT_NE(dialog.findChild<QGroupBox*>(), nullptr);
    EXPECT_EQ(dialog.findChild<QGroupBox*>()->title(), QStringLiteral("Tons : "));
    QSpinBox* spin = dialog.spin();
    EXPECT_EQ(spin->value(), 2);
    EXPECT_EQ(spin->text(), QStringLiteral("1"));
    EXPECT_TRUE(spin->findChild<QLineEdit*>()->isReadOnly());
    const char* labels[] = {"1/4", "1/2", "1", "1.5", "2", "2.5", "3", "3.5"};
    for (int p = 0; p < 8; ++p) {
        spin->setValue(p);
        EXPECT_EQ(spin->text(), QString::fromLatin1(labels[p]));
    }
    spin->stepBy(5);
    EXPECT_EQ(dialog.position(), 7) << "clamped at the top";
    spin->setValue(0);
    spin->stepBy(-1);
    EXPECT_EQ(dialog.position(), 0);
    ASSERT_NE(buttonNamed(&dialog, "OK"), nullptr);
    ASSERT_NE(buttonNamed(&dialog, "Annuler"), nullptr);
}

TEST(EditDialogs, AmountDialogReturnsThePositionOrMinusOne)
{
    {
        DialBR dialog;
        onNextModal([](QWidget* w) {
            auto* d = static_cast<DialBR*>(w);
            QTest::keyClick(d->spin(), Qt::Key_Up);
            QTest::keyClick(d->spin(), Qt::Key_Up);
            buttonNamed(d, "OK")->click();
        });
        EXPECT_EQ(dialog.ask(), 4);
    }
    {
        DialBR dialog;
        onNextModal([](QWidget* w) { buttonNamed(w, "Annuler")->click(); });
        EXPECT_EQ(dialog.ask(), -1);
    }
}

TEST(EditDialogs, ArpeggioDirection)
{
    {
        CDialArpAccord dialog;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Arpeggiation"));
        EXPECT_EQ(dialog.findChild<QGroupBox*>()->title(), QStringLiteral("Sens : "));
        EXPECT_EQ(dialog.upwards()->text(), QStringLiteral("De bas en haut"));
        EXPECT_EQ(dialog.downwards()->text(), QStringLiteral("De haut en bas"));
        EXPECT_TRUE(dialog.upwards()->isChecked());
        onNextModal([](QWidget* w) { buttonNamed(w, "OK")->click(); });
        EXPECT_EQ(dialog.ask(), 0);
    }
    {
        CDialArpAccord dialog;
        onNextModal([](QWidget* w) {
            static_cast<CDialArpAccord*>(w)->downwards()->click();
            buttonNamed(w, "OK")->click();
        });
        EXPECT_EQ(dialog.ask(), 1);
        EXPECT_FALSE(dialog.upwards()->isChecked());
    }
    {
        CDialArpAccord dialog;
        onNextModal([](QWidget* w) { buttonNamed(w, "Annuler")->click(); });
        EXPECT_EQ(dialog.ask(), -1);
    }
}
