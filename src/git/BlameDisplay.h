#pragma once

#include "BlameInfo.h"

#include <QDateTime>
#include <QLocale>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// The texts of the caret line's blame, and where its hover card goes. All pure.

// The status bar's text: "Uncommitted", or the age and the author, a long name shortened
// ("3h Ada Lov…").
QString blameStatusText(
    const BlameInfo &info, const QDateTime &now = QDateTime::currentDateTimeUtc());
// The annotation drawn after the caret line: the status text and the summary.
QString blameAnnotationText(
    const BlameInfo &info, const QDateTime &now = QDateTime::currentDateTimeUtc());

// The hover card's title: the age, the author and, when known, the email, two spaces apart.
QString blameHoverTitle(
    const BlameInfo &info, const QDateTime &now = QDateTime::currentDateTimeUtc());
// The hover card's body: the commit's full message once it has been read and is not empty,
// otherwise the summary.
QString blameHoverBody(const BlameInfo &info, const QString &fullMessage = {});

// The details card's title: the summary.
QString blameDetailsTitle(const BlameInfo &info);
// The details card's detail line: short hash, author with email, and the local date and time.
QString blameDetailsDetail(const BlameInfo &info, const QLocale &locale = QLocale::system());
// The details card's button titles in order: "Close", then for a commit "Copy Hash", which is
// the primary button. Both close the card.
QStringList blameDetailsButtons(const BlameInfo &info);

// Where the hover card's top-left corner goes: under the anchor, or over it when there is no
// room below; horizontally at the anchor's left edge, kept inside. `anchor` and `visible` are in
// the coordinates of the card's parent.
QPoint blameCardPosition(const QRect &anchor, QSize card, const QRect &visible);
