#pragma once

#include "ChangedFile.h"
#include "FileDiff.h"

#include <QWidget>

#include <functional>
#include <optional>

class DiffTextView;
class FileHeaderRow;
class QLabel;

// One changed file of a commit: a header that toggles the section, and below it the file's
// diff, asked for through loadDiff on the first expansion only.
class FileSection : public QWidget
{
    Q_OBJECT
public:
    // Receives the diff, or nothing when it could not be read.
    using Completion = std::function<void(const std::optional<FileDiff> &)>;
    using LoadDiff = std::function<void(const ChangedFile &, Completion)>;

    FileSection(const ChangedFile &file, LoadDiff loadDiff, QWidget *parent = nullptr);

    const ChangedFile &file() const { return changed; }
    bool isExpanded() const { return expanded; }
    // The diff was asked for.
    bool isLoaded() const { return loaded; }
    void setExpanded(bool expanded);
    void toggle() { setExpanded(!expanded); }

    FileHeaderRow *header() const { return row; }
    DiffTextView *diffView() const { return diff; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void complete(const std::optional<FileDiff> &lines);

    ChangedFile changed;
    LoadDiff loadDiff;
    FileHeaderRow *row;
    QWidget *body;
    QLabel *loading;
    DiffTextView *diff;
    bool loaded = false;
    bool expanded = false;
};
