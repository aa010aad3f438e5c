#include "FileSection.h"

#include "CommitStyle.h"
#include "CommitTexts.h"
#include "DiffFill.h"
#include "DiffTextView.h"
#include "FileHeaderRow.h"
#include "common/Theme.h"

#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

namespace
{

constexpr qreal cornerRadius = 6;
constexpr int border = 1;
constexpr qreal loadingPoints = 11;

}

FileSection::FileSection(const ChangedFile &file, LoadDiff loadDiff, QWidget *parent)
    : QWidget(parent)
    , changed(file)
    , loadDiff(std::move(loadDiff))
    , row(new FileHeaderRow(file, this))
    , body(new QWidget(this))
    , loading(new QLabel(QString::fromUtf8(CommitTexts::loadingDiff), body))
    , diff(new DiffTextView(body))
{
    row->onClick = [this] { toggle(); };
    loading->setObjectName(QStringLiteral("loading"));
    loading->setFont(CommitStyle::font(font(), loadingPoints));
    loading->setContentsMargins(10, 6, 10, 6);
    CommitStyle::setTint(loading, CommitStyle::Tint::secondary);

    auto *inner = new QVBoxLayout(body);
    // Room below the last line keeps its background inside the rounded corners.
    inner->setContentsMargins(0, 0, 0, int(cornerRadius));
    inner->setSpacing(0);
    inner->addWidget(loading);
    inner->addWidget(diff);
    body->hide();

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(border, border, border, border);
    column->setSpacing(0);
    column->addWidget(row);
    column->addWidget(body);
}

void FileSection::setExpanded(bool expand)
{
    if (expand == expanded)
        return;
    expanded = expand;
    row->setExpanded(expanded);
    body->setVisible(expanded);
    if (!expanded || loaded)
        return;
    loaded = true;
    loading->show();
    diff->hide();
    if (!loadDiff)
        return;
    loadDiff(changed, [self = QPointer<FileSection>(this)](const std::optional<FileDiff> &lines) {
        if (self)
            self->complete(lines);
    });
}

void FileSection::complete(const std::optional<FileDiff> &lines)
{
    loading->hide();
    diff->show();
    diff->fill(diffFill(lines));
}

void FileSection::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Theme::separator(palette()), border));
    painter.setBrush(Theme::textBackground(palette()));
    painter.drawRoundedRect(
        QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
}
