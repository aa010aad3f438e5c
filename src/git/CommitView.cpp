#include "CommitView.h"

#include "CommitStyle.h"
#include "CommitTexts.h"
#include "GitQueries.h"
#include "LineCounts.h"
#include "MessageLinks.h"
#include "common/MainThread.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace
{

constexpr int margin = 24;
constexpr int rowSpacing = 8;
constexpr int filesGap = 16;
constexpr int summarySpacing = 14;

using CommitStyle::Tint;

QLabel *textLabel(
    const char *name, const QString &text, const QFont &font, Tint tint, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    CommitStyle::setTint(label, tint);
    return label;
}

QLabel *bodyLabel(const QString &body, const QFont &font, QWidget *parent)
{
    auto *label = textLabel("body", QString(), font, Tint::label, parent);
    label->setTextFormat(Qt::RichText);
    label->setText(linkedMessageHtml(body));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
    label->setOpenExternalLinks(true);
    return label;
}

// Rows fill the width and never hold it open: a narrow view cuts a row's end instead of the
// whole page.
void addRow(QVBoxLayout *stack, QWidget *row)
{
    QSizePolicy policy = row->sizePolicy();
    policy.setHorizontalPolicy(QSizePolicy::Ignored);
    row->setSizePolicy(policy);
    stack->addWidget(row);
}

QPushButton *rowButton(const char *title, QWidget *parent)
{
    auto *button = new QPushButton(QString::fromUtf8(title), parent);
    button->setFont(CommitStyle::font(button->font(), 12));
    button->setObjectName(QLatin1String(title));
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}

CommitView::CommitView(QWidget *parent)
    : QWidget(parent)
    , scroll(new QScrollArea(this))
{
    setFocusPolicy(Qt::StrongFocus);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
}

void CommitView::showCommit(const Commit &commit, std::optional<GitSource> root)
{
    const int current = ++generation;
    shown = commit;
    repo = root;
    if (!root) {
        render(QString(), QList<ChangedFile>());
        return;
    }
    render(QString(), std::nullopt);
    QPointer<CommitView> self(this);
    gitWork(*root, [self, current, source = *root, commit] {
        const auto message = GitQueries::fullMessage(source, commit.sha);
        const auto files = GitQueries::changedFiles(source, commit.sha);
        MainThread::post([self, current, commit, message, files] {
            if (!self || self->generation != current)
                return;
            self->render(CommitTexts::messageBody(message.value_or(QString()), commit.subject),
                files.value_or(QList<ChangedFile>()));
        });
    });
}

// Builds everything afresh in a new page; the old page and its sections go with it.
void CommitView::render(const QString &body, const std::optional<QList<ChangedFile>> &files)
{
    sections.clear();
    auto *content = new QWidget;
    content->setAutoFillBackground(false);
    auto *stack = new QVBoxLayout(content);
    stack->setContentsMargins(margin, margin, margin, margin);
    stack->setSpacing(rowSpacing);
    addRow(stack,
        textLabel("subject", shown.subject, CommitStyle::font(font(), 20, QFont::DemiBold),
            Tint::label, content));
    if (!body.isEmpty())
        addRow(stack, bodyLabel(body, CommitStyle::font(font(), 13), content));
    addRow(stack,
        textLabel("meta", CommitTexts::metaLine(shown), CommitStyle::font(font(), 12),
            Tint::secondary, content));
    if (files)
        addFiles(content, *files);
    else
        addRow(stack,
            textLabel("reading", QString::fromUtf8(CommitTexts::readingCommit),
                CommitStyle::font(font(), 13), Tint::secondary, content));
    stack->addStretch(1);
    scroll->setWidget(content);
}

void CommitView::addFiles(QWidget *content, const QList<ChangedFile> &files)
{
    auto *stack = static_cast<QVBoxLayout *>(content->layout());
    stack->addSpacing(filesGap);
    addRow(stack, summaryRow(files, content));
    const auto load = [this](const ChangedFile &file, FileSection::Completion done) {
        loadDiff(file, std::move(done));
    };
    for (const ChangedFile &file : files) {
        auto *section = new FileSection(file, load, content);
        sections.append(section);
        addRow(stack, section);
    }
}

QWidget *CommitView::summaryRow(const QList<ChangedFile> &files, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(summarySpacing);
    auto *count = new QLabel(CommitTexts::filesChanged(files.size()), row);
    count->setObjectName(QStringLiteral("filesChanged"));
    count->setFont(CommitStyle::font(font(), 13, QFont::Medium));
    line->addWidget(count);
    const CommitTexts::LineSums sums = CommitTexts::lineSums(files);
    line->addWidget(new LineCounts(sums.added, sums.removed, 12, row));
    line->addStretch(1);
    if (!files.isEmpty()) {
        auto *expand = rowButton(CommitTexts::expandAll, row);
        auto *collapse = rowButton(CommitTexts::collapseAll, row);
        connect(expand, &QPushButton::clicked, this, [this] {
            for (FileSection *section : sections)
                section->setExpanded(true);
        });
        connect(collapse, &QPushButton::clicked, this, [this] {
            for (FileSection *section : sections)
                section->setExpanded(false);
        });
        line->addWidget(expand);
        line->addWidget(collapse);
    }
    return row;
}

void CommitView::loadDiff(const ChangedFile &file, FileSection::Completion done)
{
    if (!repo) {
        done(std::nullopt);
        return;
    }
    QPointer<CommitView> self(this);
    gitWork(*repo, [self, current = generation, source = *repo, sha = shown.sha, file, done] {
        auto diff = GitQueries::fileDiff(source, sha, file);
        MainThread::post([self, current, diff = std::move(diff), done] {
            if (self && self->generation == current)
                done(diff);
        });
    });
}

void CommitView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        if (onClose)
            onClose();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CommitView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        CommitStyle::refreshTints(this);
}
