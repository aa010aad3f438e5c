#include "chrome/SettingsView.h"
#include "TestSupport.h"
#include "common/Defaults.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace
{

const QStringList checkboxNames { "wrap", "copyIndent", "braces", "inlineBlame" };

// A pane over a stand-in editor area, with a controller that records what it is told.
class SettingsViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testsupport::clearSettings();
        host = std::make_unique<QWidget>();
        host->resize(900, 600);
        pane = new SettingsView(host.get());
        pane->onClose = [this] { reports << "close"; };
        pane->onFontSize = [this](double size) { reports << QStringLiteral("font %1").arg(size); };
        pane->onIndentWidth
            = [this](int width) { reports << QStringLiteral("indent %1").arg(width); };
        pane->onWordWrap = [this](bool on) { reports << QStringLiteral("wrap %1").arg(on); };
        pane->onInlineBlame = [this](bool on) { reports << QStringLiteral("blame %1").arg(on); };
        host->show();
        host->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
    }

    void TearDown() override { testsupport::clearSettings(); }

    std::unique_ptr<QWidget> host;
    SettingsView *pane = nullptr;
    QStringList reports;
};

}

TEST_F(SettingsViewTest, FirstRunShowsTheDefaultsOverTheEditorArea)
{
    EXPECT_FALSE(pane->isVisible());
    pane->present();
    EXPECT_TRUE(pane->isVisible());
    EXPECT_EQ(pane->geometry(), host->rect());
    EXPECT_TRUE(testsupport::waitUntil([&] { return pane->hasFocus(); }));

    EXPECT_EQ(pane->fontStepper()->value(), 11);
    EXPECT_EQ(pane->indentPopup()->currentText(), "2");
    for (const QString &name : checkboxNames)
        EXPECT_TRUE(pane->checkbox(name)->isChecked()) << name.toStdString();
    // Showing reports nothing and writes nothing.
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_FALSE(Defaults::contains(Defaults::FontSize));

    host->resize(700, 400);
    EXPECT_EQ(pane->geometry(), host->rect());
}

TEST_F(SettingsViewTest, EveryShowReadsTheStoredValuesAfresh)
{
    pane->present();
    Defaults::set(Defaults::FontSize, 100);
    Defaults::set(Defaults::IndentWidth, 9);
    Defaults::set(Defaults::Wrap, false);
    Defaults::set(Defaults::Braces, false);
    pane->present();
    EXPECT_EQ(pane->fontStepper()->value(), 48);
    EXPECT_EQ(pane->indentPopup()->currentText(), "8");
    EXPECT_FALSE(pane->checkbox("wrap")->isChecked());
    EXPECT_TRUE(pane->checkbox("copyIndent")->isChecked());
    EXPECT_FALSE(pane->checkbox("braces")->isChecked());
    // Loading is not a change: nothing was reported.
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(SettingsViewTest, FontStepperWritesAndReportsWithinEightToFortyEight)
{
    pane->present();
    QSpinBox *stepper = pane->fontStepper();
    QTest::keyClick(stepper, Qt::Key_Up);
    EXPECT_EQ(stepper->value(), 12);
    EXPECT_EQ(Defaults::fontSize(), 12);
    EXPECT_EQ(reports, QStringList { "font 12" });

    Defaults::set(Defaults::FontSize, 48);
    pane->load();
    reports.clear();
    QTest::keyClick(stepper, Qt::Key_Up);
    EXPECT_EQ(stepper->value(), 48);
    Defaults::set(Defaults::FontSize, 8);
    pane->load();
    QTest::keyClick(stepper, Qt::Key_Down);
    EXPECT_EQ(stepper->value(), 8);
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_EQ(Defaults::fontSize(), 8);
}

TEST_F(SettingsViewTest, IndentPopupWritesAndReportsTheChosenWidth)
{
    pane->present();
    QComboBox *popup = pane->indentPopup();
    EXPECT_EQ(popup->count(), 8);
    QTest::keyClick(popup, Qt::Key_Down);
    EXPECT_EQ(popup->currentText(), "3");
    EXPECT_EQ(Defaults::indentWidth(), 3);
    EXPECT_EQ(reports, QStringList { "indent 3" });

    // An item that is not a number is passed over.
    popup->addItem("wide");
    popup->setCurrentIndex(7);
    QTest::keyClick(popup, Qt::Key_Down);
    EXPECT_EQ(popup->currentText(), "wide");
    EXPECT_EQ(Defaults::indentWidth(), 3);
    EXPECT_EQ(reports, QStringList { "indent 3" });
}

TEST_F(SettingsViewTest, CheckboxesWriteTheirSettingAndReportWhereTheControllerActs)
{
    pane->present();
    for (const QString &name : checkboxNames)
        QTest::mouseClick(pane->checkbox(name), Qt::LeftButton);
    EXPECT_FALSE(Defaults::wrap());
    // The Return-key options take effect through the store alone.
    EXPECT_FALSE(Defaults::copyIndent());
    EXPECT_FALSE(Defaults::braces());
    EXPECT_FALSE(Defaults::inlineBlame());
    EXPECT_EQ(reports, QStringList({ "wrap 0", "blame 0" }));

    QTest::mouseClick(pane->checkbox("copyIndent"), Qt::LeftButton);
    QTest::mouseClick(pane->checkbox("inlineBlame"), Qt::LeftButton);
    EXPECT_TRUE(Defaults::copyIndent());
    EXPECT_TRUE(Defaults::inlineBlame());
    EXPECT_EQ(reports, QStringList({ "wrap 0", "blame 0", "blame 1" }));
}

TEST_F(SettingsViewTest, EscapeAsksToCloseFromAnywhereInThePane)
{
    pane->present();
    ASSERT_TRUE(testsupport::waitUntil([&] { return pane->hasFocus(); }));
    QTest::keyClick(pane, Qt::Key_A);
    QTest::keyClick(pane, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_TRUE(reports.isEmpty());
    QTest::keyClick(pane, Qt::Key_Escape);
    EXPECT_EQ(reports, QStringList { "close" });

    // Escape reaches the pane from a control that has the focus as well.
    QCheckBox *wrap = pane->checkbox("wrap");
    wrap->setFocus();
    ASSERT_TRUE(testsupport::waitUntil([&] { return wrap->hasFocus(); }));
    QTest::keyClick(wrap, Qt::Key_Escape);
    QTest::keyClick(pane->fontStepper(), Qt::Key_Escape);
    EXPECT_EQ(reports, QStringList({ "close", "close", "close" }));
    // The pane leaves closing to the controller.
    EXPECT_TRUE(pane->isVisible());
}
