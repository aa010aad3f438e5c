#pragma once

#include "ChangedFile.h"
#include "Commit.h"
#include "FileSection.h"
#include "GitSource.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class QScrollArea;

// One commit in the editor area: its subject, message with clickable links, hash, author and
// date, a summary of the changed files, and one collapsible section per file whose diff is read
// on its first expansion. Answers that arrive for a commit no longer shown are dropped.
class CommitView : public QWidget
{
    Q_OBJECT
public:
    explicit CommitView(QWidget *parent = nullptr);

    // Escape pressed in the view.
    std::function<void()> onClose;

    // Shows the commit at once and reads its message and files from the repository root;
    // without a root nothing is read and the commit shows no files.
    void showCommit(const Commit &commit, std::optional<GitSource> root);

    const QList<FileSection *> &fileSections() const { return sections; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void render(const QString &body, const std::optional<QList<ChangedFile>> &files);
    void addFiles(QWidget *content, const QList<ChangedFile> &files);
    QWidget *summaryRow(const QList<ChangedFile> &files, QWidget *parent);
    void loadDiff(const ChangedFile &file, FileSection::Completion done);

    QScrollArea *scroll;
    QList<FileSection *> sections;
    Commit shown;
    std::optional<GitSource> repo;
    int generation = 0;
};
