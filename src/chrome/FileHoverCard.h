#pragma once

#include "FileCardInfo.h"

#include <QStringList>
#include <QWidget>

class CardBandView;
class QLabel;
class QVBoxLayout;

// The path with a zero-width space after every "/", so that a long path breaks at its slashes.
QString withBreaksAtSlashes(const QString &path);
// The path laid out in lines at most `width` wide, breaking at slashes where it can and anywhere
// when a single name is too long; past `maxLines` the last line is cut at its end with "…".
QStringList pathLines(const QString &path, const QFont &font, int width, int maxLines);

// The card shown while the pointer rests on a tab: the file's name and path above a band with
// its line and character counts and its last commit. It never takes the mouse: clicks, hovering
// and wheel turns go to whatever is under it.
class FileHoverCard : public QWidget
{
    Q_OBJECT
public:
    static constexpr int cardWidth = 280;

    explicit FileHoverCard(const FileCardInfo &info, QWidget *parent = nullptr);

    const FileCardInfo &info() const { return shown; }
    void setInfo(const FileCardInfo &info);
    // The commit row arrives later than the rest; the card takes its new height at once.
    void setCommit(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QLabel *makeLabel(const char *objectName, qreal points, bool bold);
    void fill();
    void applyColours();

    QLabel *name;
    QLabel *path;
    QLabel *lines;
    QLabel *characters;
    QLabel *commit;
    CardBandView *band;
    QVBoxLayout *bandStack;
    FileCardInfo shown;
};
