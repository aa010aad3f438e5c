#pragma once

#include "AppendBudget.h"
#include "CommandHistory.h"
#include "LaunchSpec.h"
#include "OutputQueue.h"
#include "RemoteContext.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class CommandRun;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTextCursor;
class QToolButton;

// The panel under the editor that runs one shell command at a time: a command field with a
// history of 50 lines, a label naming the folder the command runs in, run or stop, clear and
// close buttons, and the read-only output with a coloured summary line after each command.
class OutputPanelView : public QWidget
{
    Q_OBJECT
public:
    explicit OutputPanelView(QWidget *parent = nullptr);
    ~OutputPanelView() override;

    // Asked at each run and when the folder label is refreshed: the local folder commands run
    // in (the workspace folder, or the home folder when there is none); empty for none.
    std::function<QString()> workingDirectory;
    // Asked at each run and when the folder label is refreshed: the machine a command runs on
    // instead, when the active document is a remote file.
    std::function<std::optional<RemoteContext>()> remoteContext;
    // Give the keyboard focus back to the editor (Escape with no command running).
    std::function<void()> onFocusEditor;
    // The close button: the controller hides the panel.
    std::function<void()> onClose;
    // Called when a command ends, with its summary line queued after its output.
    std::function<void()> onCommandFinished;

    // Called each time the panel is shown: refreshes the folder label, focuses the field.
    void prepare();
    // Shows the folder from workingDirectory in the label (call when the workspace changes).
    void refreshFolderLabel();
    // Reads the font size setting again and applies it to the output.
    void applyFont();
    bool isRunning() const { return run != nullptr; }
    // Stops a running command when the application quits.
    void stopForQuit();

    // The actions behind the field and the buttons.
    void runCommand();
    void stopCommand();
    void clearOutput();
    const QStringList &history() const { return commandHistory.entries(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct CommandPlace {
        QString label;
        std::optional<RemoteContext> remote;
        QString folder;
    };
    CommandPlace commandPlace() const;
    void showPlace(const CommandPlace &place);
    void buildLayout();
    void received(const QString &text);
    void flush();
    void finished(int status, bool stopped, double seconds);
    void enqueue(const QString &text, OutputTint tint);
    void keepTailOnly();
    void trimOutput(QTextCursor *cursor);
    bool isAtEnd() const;
    QColor colour(OutputTint tint) const;
    void showRunButton(bool running);
    void browseHistory(int delta);
    void handleEscape();
    bool handleControlKey(int key);

    QLineEdit *field = nullptr;
    QLabel *folderLabel = nullptr;
    QToolButton *runButton = nullptr;
    QToolButton *clearButton = nullptr;
    QToolButton *closeButton = nullptr;
    QPlainTextEdit *output = nullptr;

    void stopOnMachine();

    std::unique_ptr<CommandRun> run;
    LaunchSpec remoteStop; // how the running remote command is stopped on its machine; empty locally
    OutputQueue pending;
    QTimer flushTimer; // active while a flush is scheduled
    AppendBudget budget;
    CommandHistory commandHistory;
    double fontSize = 11;
    bool stopRequested = false; // for the current run: output beyond the tail is dropped
    qsizetype documentCut = 0; // units at the top of the output the next flush deletes
};
