#pragma once

#include "IndexedFile.h"

#include <QList>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractListModel;
class QLabel;
class QLineEdit;
class QListView;

// Go to file: a field over a list of the best-ranked files, shown over the editor area. Typing
// ranks the files again, the arrow keys move the selection, Return or a click chooses, Escape
// cancels. The card deletes itself once closed, whichever way that happens.
class QuickPickCard : public QWidget
{
    Q_OBJECT
public:
    // The prompt is the field's placeholder.
    QuickPickCard(QList<IndexedFile> files, const QString &prompt);

    // Called after the card has closed and given the focus back.
    std::function<void(const IndexedFile &file)> onChoose;
    // Called after Escape has closed the card.
    std::function<void()> onCancel;
    // Gives the keyboard focus back when the card closes; without it the host takes the focus.
    std::function<void()> restoreFocus;
    // Called once when the card closes for any reason, so its owner can let go of it.
    std::function<void()> onDismiss;
    // Set only when the files are the first part of a longer list: asks the machine for the
    // files that fit the query, a moment after typing pauses. `done` may be called at any time.
    std::function<void(const QString &query, std::function<void(QList<IndexedFile>)> done)>
        serverSearch;

    // Replaces the files (and the prompt when one is given) and ranks them again.
    void setFiles(QList<IndexedFile> files, const std::optional<QString> &prompt = std::nullopt);
    // A line under the field for what does not fit in the prompt (a list that was cut, for
    // instance); wrapped, never clipped. Empty hides it.
    void setNote(const QString &text);
    QString note() const;
    // Adds the card to the host (the editor area), above everything in it, and takes the focus.
    void showIn(QWidget *host);
    // Closes the card, giving the focus back first when `restore` is true.
    void dismiss(bool restore);

    QLineEdit *field() const { return queryField; }
    QListView *table() const { return list; }
    // The line shown instead of the list when the query fits no file.
    QLabel *noMatchLine() const { return noMatch; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void queryChanged();
    void searchServer();
    void replaceFiles(QList<IndexedFile> newFiles);
    void rankFiles();
    void select(int row);
    bool answer(const QKeyEvent *event);
    void choose(int row);
    void cancel();
    void giveFocusBack();
    void place();

    QList<IndexedFile> files;
    QStringList lowerPaths;
    QStringList lowerNames;
    // Indexes into files, best first.
    QList<int> shown;
    QTimer serverWork;
    QLineEdit *queryField;
    QLabel *noteLabel;
    QListView *list;
    QLabel *noMatch;
    QAbstractListModel *rows;
};
