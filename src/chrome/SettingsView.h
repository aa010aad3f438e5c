#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QScrollArea;
class QSpinBox;
class QVBoxLayout;

// The settings page shown over the editor area. Every show reads the values afresh from the
// settings store; a change is written there at once and reported, so the controller can apply
// it everywhere. The two Return-key options need nothing more than the write.
class SettingsView : public QWidget
{
    Q_OBJECT
public:
    // The pane covers `editorArea` and follows its size; it starts hidden.
    explicit SettingsView(QWidget *editorArea = nullptr);

    std::function<void()> onClose;
    std::function<void(double size)> onFontSize;
    std::function<void(int width)> onIndentWidth;
    std::function<void(bool wrap)> onWordWrap;
    std::function<void(bool inlineBlame)> onInlineBlame;

    // Sets every control from the settings store.
    void load();
    // Loads, shows the pane above everything else in the editor area and takes the focus.
    void present();

    QSpinBox *fontStepper() const { return fontSize; }
    QComboBox *indentPopup() const { return indentWidth; }
    // "wrap", "copyIndent", "braces" or "inlineBlame"; none for any other identifier.
    QCheckBox *checkbox(const QString &identifier) const { return checkboxes.value(identifier); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *buildPage();
    void addHeader();
    void addSection(const QString &title);
    void addRow(const QString &label, const QString &help, QWidget *control);
    QWidget *buildFontStepper();
    QWidget *buildIndentPopup();
    void addCheckboxRows(const char *section);
    void applyColours();

    QScrollArea *scroll;
    QWidget *content = nullptr;
    QVBoxLayout *stack = nullptr;
    QSpinBox *fontSize = nullptr;
    QComboBox *indentWidth = nullptr;
    QHash<QString, QCheckBox *> checkboxes;
};
